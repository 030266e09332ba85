#pragma once

#include <QLabel>
#include <QList>

class ClickLabel;

// One of the main window's pop-up menu panels: its own background picture
// carrying the title, two or three items acting on a plain click, and a
// hover bar that lies behind the item under the pointer.
class MenuPanel : public QLabel {
    Q_OBJECT
public:
    MenuPanel(const QString& title, const QString& picture, QWidget* parent);

    ClickLabel* addItem(const QString& caption);
    const QList<ClickLabel*>& items() const { return m_items; }
    QLabel* hoverBar() const { return m_hoverBar; }
    void hideHoverBar();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QList<ClickLabel*> m_items;
    QLabel* m_hoverBar;
};
