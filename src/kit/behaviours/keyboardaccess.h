#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>

class DbNavigator;
class PressButton;
class QShortcut;
class QWidget;

// Everything a screen does is reachable from the keyboard, with the same keys
// on every screen: the action labels, the corner icons, the navigator's
// buttons. A control's keys show in its tooltip after its hint ("Kayıt Ekle
// (Insert, Ctrl+N)"), or alone where it has none, and are read out to
// assistive technology as its shortcut; the hint itself stays as it is.
namespace KeyboardAccess {

// The program's keys for its commands.
namespace Keys {
QList<QKeySequence> first();    // Alt+Home
QList<QKeySequence> prior();    // Ctrl+PgUp
QList<QKeySequence> next();     // Ctrl+PgDown
QList<QKeySequence> last();     // Alt+End
QList<QKeySequence> insert();   // Insert, Ctrl+N
QList<QKeySequence> remove();   // Ctrl+Delete
QList<QKeySequence> edit();     // F2
QList<QKeySequence> post();     // Ctrl+S
QList<QKeySequence> cancel();   // Escape: the screen's own key (Screen)
QList<QKeySequence> refresh();  // F5
QList<QKeySequence> close();    // Escape: the screen's own key (Screen)
QList<QKeySequence> minimise(); // Ctrl+M
QList<QKeySequence> quit();     // Ctrl+Q, the main window's "Çıkış"
} // namespace Keys

// The keys of a captioned action label: "Bul" F3, "Yazdır" Ctrl+P, "Kaydet"
// Ctrl+S, "Liste" Ctrl+L, "Tümünü Göster" Ctrl+T, "Karşılaştır" Ctrl+K,
// "Emlak Sahibini Göster" Ctrl+E, "Yakın Sonuçlar" Ctrl+Y, "Müşteriler" Ctrl+U,
// "İlandan" Ctrl+I, "Çıkış" Escape; none for another caption.
QList<QKeySequence> forCaption(const QString& caption);

// Runs `run` on these keys while the control's window is the active one and
// the control is shown and enabled (a disabled navigator button takes no
// key); the tooltip shows them. No keys: nothing.
QShortcut* bind(QWidget* control, const QList<QKeySequence>& keys, std::function<void()> run);
// A press button acts on its keys as on a release of the mouse.
void bind(PressButton* button, const QList<QKeySequence>& keys);
// Only shows the keys: another binding acts on them (Escape is the screen's).
void showKeys(QWidget* control, const QList<QKeySequence>& keys);

// The keys a control acts on, and the tooltip it shows with them.
QList<QKeySequence> keysOf(const QWidget* control);
QString shownTooltip(const QWidget* control);

// The navigator's ten buttons on their keys; the tooltips keep their hints.
void bindNavigator(DbNavigator* navigator);

// Enter (either keyboard block) in any of these criterion controls (in a
// drop-down's text too) runs the search, as `find` does on its keys.
void searchOnEnter(const QList<QWidget*>& criteria, PressButton* find);
// The same for a search control of another kind: `run` searches.
void searchOnEnter(const QList<QWidget*>& criteria, QWidget* find, const std::function<void()>& run);

} // namespace KeyboardAccess
