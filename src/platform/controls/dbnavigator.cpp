#include "platform/controls/dbnavigator.h"

#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "platform/system/confirmer.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace {

// Drawn with letters every installed face has (the media-control signs are
// missing from Liberation and DejaVu).
const char* const Glyphs[] = {"|◀", "◀", "▶", "▶|", "+", "−", "▲", "✔", "✖", "↻"};
const char* const ObjectNames[] = {"First", "Prior", "Next", "Last", "Insert",
                                   "Delete", "Edit", "Post", "Cancel", "Refresh"};

} // namespace

const QStringList& DbNavigator::turkishHints()
{
    static const QStringList hints{
        QStringLiteral("İlk Kayıt"),  QStringLiteral("Önceki Kayıt"), QStringLiteral("Sonraki Kayıt"),
        QStringLiteral("Son Kayıt"),  QStringLiteral("Kayıt Ekle"),   QStringLiteral("Kayıt Sil"),
        QStringLiteral("Değişiklik"), QStringLiteral("Onayla"),       QStringLiteral("Değişiklik İptal"),
        QStringLiteral("Yenile")};
    return hints;
}

const QStringList& DbNavigator::defaultHints()
{
    static const QStringList hints{
        QStringLiteral("First record"), QStringLiteral("Prior record"),  QStringLiteral("Next record"),
        QStringLiteral("Last record"),  QStringLiteral("Insert record"), QStringLiteral("Delete record"),
        QStringLiteral("Edit record"),  QStringLiteral("Post edit"),     QStringLiteral("Cancel edit"),
        QStringLiteral("Refresh data")};
    return hints;
}

DbNavigator::DbNavigator(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DBNavigator1"));
    setAccessibleName(QStringLiteral("Kayıt gezgini"));
    setFocusPolicy(Qt::NoFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromUtf8(Glyphs[i]));
        button->setObjectName(QString::fromLatin1(ObjectNames[i]));
        button->setAccessibleName(turkishHints().at(i));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        connect(button, &QToolButton::clicked, this, [this, i] { press(Button(i)); });
        row->addWidget(button);
        m_buttons[i] = button;
    }
    updateButtons();
}

void DbNavigator::setDataset(Table* table)
{
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    for (auto signal : {&Dataset::afterScroll, &Dataset::afterOpen, &Dataset::afterClose, &Dataset::rowsReset,
                        &Dataset::recordChanged})
        connect(table, signal, this, &DbNavigator::updateButtons);
    connect(table, &Dataset::stateChanged, this, &DbNavigator::updateButtons);
    updateButtons();
}

void DbNavigator::setHints(const QStringList& hints)
{
    for (int i = 0; i < ButtonCount; ++i)
        m_buttons[i]->setToolTip(hints.value(i));
}

void DbNavigator::updateButtons()
{
    const bool active = m_table && m_table->isActive();
    const bool editing = active && m_table->isEditing();
    const bool upward = active && !m_table->bof();
    const bool downward = active && !m_table->eof();
    m_buttons[First]->setEnabled(upward);
    m_buttons[Prior]->setEnabled(upward);
    m_buttons[Next]->setEnabled(downward);
    m_buttons[Last]->setEnabled(downward);
    m_buttons[Insert]->setEnabled(active);
    m_buttons[Delete]->setEnabled(active && (!m_table->isEmpty() || editing));
    m_buttons[Edit]->setEnabled(active && !editing);
    m_buttons[Post]->setEnabled(editing);
    m_buttons[Cancel]->setEnabled(editing);
    m_buttons[Refresh]->setEnabled(active);
}

void DbNavigator::press(Button which)
{
    if (!m_table)
        return;
    try {
        switch (which) {
        case First: m_table->first(); break;
        case Prior: m_table->prior(); break;
        case Next: m_table->next(); break;
        case Last: m_table->last(); break;
        case Insert: m_table->insert(); break;
        case Delete:
            if (confirmer().confirm(this, QStringLiteral("Delete record?")))
                m_table->remove();
            break;
        case Edit: m_table->edit(); break;
        case Post: m_table->post(); break;
        case Cancel: m_table->cancel(); break;
        case Refresh: m_table->refresh(); break;
        case ButtonCount: break;
        }
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
    updateButtons();
}
