#pragma once

#include "kit/screen.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class LabelButton;
class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;
class Screens;

// One row of a findings list: the texts it shows, and the record a
// double-click (or Enter) opens, by the screen's program name and the key No.
struct FoundRow {
    QString screen;
    qint64 key = 0;
    QStringList cells;
};

// The one window design behind what the matching finds beside its exact
// result: the near misses of a request, the listings a search can never find,
// the customers a listing suits. A notice line, an optional choice (the
// criterion, the margin) that asks its owner to fill the list again, and a
// read-only list whose rows open their records. Made by its owner when first
// needed and kept; closing only hides it.
class FindingsWindow : public Screen {
    Q_OBJECT
public:
    FindingsWindow(const Screens& screens, const QString& programName, const QString& caption,
                   QWidget* parent = nullptr);

    // Offers the seven criteria, `chosen` selected; changing it emits refill().
    void offerCriterion(int chosen);
    int criterion() const;
    // Offers the margin in percent; changing it emits refill().
    void offerMargin(int margin);
    int margin() const;

    void setNotice(const QString& text);
    QString notice() const;
    void setRows(const QStringList& titles, const QList<FoundRow>& rows);
    const QList<FoundRow>& rows() const { return m_rows; }

    QTableWidget* list() const { return m_list; }
    QComboBox* criterionChoice() const { return m_criterion; }
    QSpinBox* marginChoice() const { return m_margin; }
    LabelButton* closeAction() const { return m_close; }

    // Opens the row's record in its entry screen, as a double-click does;
    // or, once pickWith() is given, hands the row to it instead.
    void openRow(int row) const;
    void pickWith(std::function<void(const FoundRow&)> pick) { m_pick = std::move(pick); }

signals:
    void refill();

private:
    const Screens& m_screens;
    QLabel* m_notice = nullptr;
    QComboBox* m_criterion = nullptr;
    QSpinBox* m_margin = nullptr;
    QTableWidget* m_list = nullptr;
    LabelButton* m_close = nullptr;
    QList<FoundRow> m_rows;
    std::function<void(const FoundRow&)> m_pick;
};

// An action a screen's picture does not frame (the picture frames only the
// screen's own): it draws its frame itself, after the action's own style.
void framedByItself(Screen* screen, LabelButton* action);
