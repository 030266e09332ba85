#pragma once

#include <QColor>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>

class DragByBackground;
class QLabel;

// Where a screen places itself.
enum class ScreenPlacement {
    CentreOnCreation,    // once, when created (nearly every screen)
    CentreOnActivation,  // each time it becomes the program's active window
    None,
};

// What differs between screens at the window level; one constant row per screen.
struct ScreenSetup {
    QString programName;   // object name, e.g. "RentalFlatEntry"
    QString caption;       // window title and accessible name
    QSize clientSize;      // fixed
    QString background;    // picture resource, e.g. ":/art/rentalflatentry.jpg"
    QColor colour = QColor(0, 0, 192);  // window colour; the fill when the picture is missing
    ScreenPlacement placement = ScreenPlacement::CentreOnCreation;
    bool dragByBackground = true;
};

// The base of every borderless screen: a frameless top-level window of fixed size,
// covered by its background picture (which drags the window). Closing a screen only
// hides it, so its datasets, current record and typed criteria stay as they were; only
// the screen marked as ending the program on close (the main window) ends it.
//
// Every screen is made at start-up but only the main window is seen then, so what
// only a seen screen needs (its pictures, style sheets, costly set-up of controls) is
// its dressing, done at its first show: before it is polished or painted, so nothing
// is ever drawn undressed.
class Screen : public QWidget {
    Q_OBJECT
public:
    explicit Screen(const ScreenSetup& setup, QWidget* parent = nullptr);

    const ScreenSetup& setup() const { return m_setup; }
    // The background label, its picture decoded if it was not yet.
    QLabel* background() const;
    // False when the background resource was missing and a plain fill stands in.
    bool hasArtwork() const;
    // The label under everything, its picture perhaps not decoded yet: for wiring
    // events to it without decoding a picture nobody sees yet.
    QLabel* backgroundLabel() const { return m_background; }

    // A dressing step for control (the screen itself, a child, or any object the
    // step works on): queued while the screen has never been shown, run once at its
    // first show (or when it is drawn unshown, by grab() or render()), run at once
    // when it has been. Steps run in the order given; a step whose control is gone
    // by then is dropped.
    void whenDressed(QObject* control, std::function<void()> step);
    // The same for a control on whichever screen it lies on; off a screen the step
    // runs at once.
    static void dressWithScreen(QWidget* control, std::function<void()> step);
    // Runs the waiting steps now (the first show does it).
    void dress();
    bool isDressed() const { return m_dressed; }

    void setVisible(bool visible) override;
    // The drag on the background picture, or nullptr when the screen opted out.
    DragByBackground* backgroundDrag() const { return m_drag; }

    // The main window: its close ends the program. Other screens only hide.
    void setEndsProgramOnClose(bool ends);
    bool endsProgramOnClose() const { return testAttribute(Qt::WA_QuitOnClose); }

    // Before the screen closes, nothing typed may be lost without a word: while
    // one of its datasets is inserting or editing a record, the user is asked
    // "Kaydedilsin mi?". "Evet" posts (a refused post shows the store's message
    // and keeps the screen open), "Hayır" cancels, "Vazgeç" keeps the screen
    // open. True when the screen may close.
    bool settlePendingEdits();
    static const QString& saveQuestion();

    // What "Çıkış" (or the exit icon) is on this screen: Escape activates it
    // when nothing is being edited. Without one, Escape closes the screen.
    void setExitAction(QWidget* action) { m_exitAction = action; }
    QWidget* exitAction() const { return m_exitAction; }
    // Escape: while a record is being inserted or edited the edit is
    // cancelled (a field's own Escape, undoing its typing, comes first);
    // otherwise the screen closes as its "Çıkış" closes it.
    virtual void escape();

    // The text part of each editable drop-down is named by its drop-down's
    // caption, so a screen reader names the field the clerk types into.
    static void nameInnerParts(QWidget* screen);

    // The picture for a missing background: the colour, a thin edge and the caption.
    static QPixmap fallbackPicture(const QSize& size, const QColor& colour, const QString& caption);

protected:
    // Asked by every close; the main window widens it to every screen.
    virtual bool mayClose() { return settlePendingEdits(); }
    void closeEvent(QCloseEvent* event) override;
    // Keys no control took: Escape.
    void keyPressEvent(QKeyEvent* event) override;
    // A screen polished without being shown (grabbed or rendered) is dressed first.
    bool event(QEvent* event) override;

private:
    void decodeBackground() const;

    struct DressingStep {
        QPointer<QObject> control;
        bool guarded;
        std::function<void()> run;
    };

    ScreenSetup m_setup;
    QLabel* m_background = nullptr;
    DragByBackground* m_drag = nullptr;
    mutable bool m_decoded = false;
    mutable bool m_hasArtwork = false;
    bool m_dressed = false;
    QList<DressingStep> m_dressing;
    QPointer<QWidget> m_exitAction;
};
