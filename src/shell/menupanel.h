#pragma once

#include <QLabel>
#include <QList>

class ClickLabel;

// One of the main window's pop-up menu panels: its own background picture
// carrying the title, two or three items acting on a plain click, and a
// hover bar that lies behind the item under the pointer. Its pictures and
// its items' style are put on at its first show: most panels are never opened.
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
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QList<ClickLabel*> m_items;
    void dress();

    QLabel* m_hoverBar;
    QString m_picture;
    bool m_dressed = false;
};
