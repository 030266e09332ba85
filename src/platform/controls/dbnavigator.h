#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

class Dataset;
class Table;
class QToolButton;

// The record navigator: ten buttons in the order first, prior, next, last,
// insert, delete, edit, post, cancel, refresh, enabled from the cursor's state
// and position. Delete asks "Delete record?" first. It takes no part in the
// tab order, so the focus stays in the field being edited.
class DbNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, ButtonCount };

    explicit DbNavigator(QWidget* parent = nullptr);

    void setDataset(Table* table);
    // Tooltips in button order; none are shown until set.
    void setHints(const QStringList& hints);
    QToolButton* button(Button which) const { return m_buttons[which]; }
    void press(Button which); // what a click does

    // The program's Turkish hints, and the toolkit's own English ones.
    static const QStringList& turkishHints();
    static const QStringList& defaultHints();

private:
    void updateButtons();

    QPointer<Table> m_table;
    QToolButton* m_buttons[ButtonCount];
};
