#pragma once

#include "kit/screen.h"

#include <QList>

class ClickLabel;
class DbGrid;
class LabelButton;
class MenuPanel;
class Screens;
class Table;
class QAction;
class QTimer;

// The program's main window: eight menu items opening seven panels (and the
// phone book), the clock, the contact grid over the phone book. Closing it
// ends the program.
class MainWindow : public Screen {
    Q_OBJECT
public:
    explicit MainWindow(Screens& screens);

    Table* contacts() const { return m_contacts; }
    DbGrid* contactGrid() const { return m_grid; }
    const QList<LabelButton*>& menuItems() const { return m_menuItems; }
    const QList<MenuPanel*>& panels() const { return m_panels; }
    MenuPanel* visiblePanel() const;
    // A panel item by its caption, for the screens that wire their entry to it.
    ClickLabel* panelItem(const QString& caption) const;
    QLabel* dateLabel() const { return m_date; }
    QLabel* timeLabel() const { return m_time; }
    QTimer* clockTimer() const { return m_clock; }
    // "Yedekten Geri Yükle…" on the window's right-click menu; the store's
    // caretaker answers it.
    QAction* restoreAction() const { return m_restore; }

    void showPanel(int panel); // -1 hides them all
    void tick();                // the clock's second
    // Escape closes the open panel; it never ends the program.
    void escape() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Closing the main window ends the program: first every screen's pending
    // edit is settled, and the program stays when the user says so.
    bool mayClose() override;

private:
    void buildMenu();
    void buildContactGrid();

    Screens& m_screens;
    QList<LabelButton*> m_menuItems;
    QList<MenuPanel*> m_panels;
    QLabel* m_date;
    QLabel* m_time;
    QTimer* m_clock;
    Table* m_contacts;
    DbGrid* m_grid;
    QAction* m_restore;
};
