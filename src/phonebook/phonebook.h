#pragma once

#include "kit/screen.h"
#include "phonebook/shutdownschedule.h"
#include "platform/controls/editmask.h"

#include <QList>

class ClickLabel;
class DbGrid;
class QLineEdit;
class QPushButton;
class QTimer;
class Screens;
class Table;

// The phone book's own window, cut to a rounded outline: six menu items with
// a highlight that follows the pointer, the contact grid, a scrolling line,
// and the timed shut-down of the computer. A press on the background re-reads
// the contacts before the window is dragged.
//
// The shut-down: "Bilgisayarı Kapama" shows the panel in the grid's place,
// "Tamam" arms it for the typed time and shows "Kapanma Saati =" with the time,
// "İptal" clears the time, disarms and hides that line. While armed (also with
// the window closed) a one-second timer asks the system to shut down once,
// on the first tick at or after the time.
class PhoneBook : public Screen {
    Q_OBJECT
public:
    explicit PhoneBook(Screens& screens);

    static const QStringList& menuCaptions();
    static const QString& marqueeText();

    Table* contacts() const { return m_contacts; }
    DbGrid* grid() const { return m_grid; }
    const QList<ClickLabel*>& menuItems() const { return m_items; }
    ClickLabel* menuItem(const QString& caption) const;
    QLabel* highlight() const { return m_highlight; }
    ClickLabel* closeArea() const { return m_closeArea; }
    ClickLabel* minimiseArea() const { return m_minimiseArea; }
    QLabel* marquee() const { return m_marquee; }
    QLabel* statusLabel() const { return m_status; }
    QWidget* shutdownPanel() const { return m_panel; }
    QLineEdit* shutdownTime() const { return m_time; }
    QLabel* currentTime() const { return m_now; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QTimer* clockTimer() const { return m_clock; }
    QTimer* shutdownTimer() const { return m_shutdownTimer; }
    const ShutdownSchedule& schedule() const { return m_schedule; }

    // The clock's second: the line turns one character, the time is shown.
    void tick();
    // The shut-down timer's second.
    void shutdownTick();

    void showShutdownPanel(); // "Bilgisayarı Kapama"
    void armShutdown();       // "Tamam"
    void disarmShutdown();    // "İptal"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void buildGrid();
    void buildShutdownPanel();
    void moveHighlightBehind(QWidget* item);
    void rereadContacts();
    void showPanel(bool shutdown);

    Screens& m_screens;
    Table* m_contacts = nullptr;
    DbGrid* m_grid = nullptr;
    QList<ClickLabel*> m_items;
    QLabel* m_highlight = nullptr;
    ClickLabel* m_closeArea = nullptr;
    ClickLabel* m_minimiseArea = nullptr;
    QLabel* m_marquee = nullptr;
    QLabel* m_status = nullptr;
    QWidget* m_panel = nullptr;
    QLineEdit* m_time = nullptr;
    EditMask m_timeMask;
    QLabel* m_now = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer* m_clock = nullptr;
    QTimer* m_shutdownTimer = nullptr;
    ShutdownSchedule m_schedule;
};
