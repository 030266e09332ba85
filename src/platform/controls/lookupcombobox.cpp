#include "platform/controls/lookupcombobox.h"

#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/dataset.h"

#include "platform/engine/turkishtext.h"
#include "platform/system/beeper.h"

#include <QApplication>
#include <QCollator>
#include <QDateTime>
#include <QKeyEvent>
#include <QLocale>

#include <algorithm>

LookupComboBox::LookupComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this](int index) { choose(itemText(index)); });
}

void LookupComboBox::setSource(Dataset* source, const QString& nameField)
{
    m_source = source;
    m_nameField = nameField;
    reloadNames();
}

QStringList LookupComboBox::offered() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names << itemText(i);
    return names;
}

bool LookupComboBox::pick(const QString& name)
{
    reloadNames();
    if (findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        return false;
    choose(name);
    return true;
}

void LookupComboBox::clearValue()
{
    setValue(QString());
}

void LookupComboBox::setValue(const QString& value)
{
    const bool changed = value != m_value;
    m_value = value;
    showValue();
    if (changed)
        emit valueChanged(m_value);
}

void LookupComboBox::reloadNames()
{
    QStringList names;
    if (m_source) {
        try {
            if (m_source->isActive())
                m_source->refresh();
            else
                m_source->open();
            const int field = m_source->fieldIndex(m_nameField);
            const int rows = m_source->recordCount();
            for (int row = 0; row < rows; ++row)
                names << m_source->valueAt(row, field).toString();
        } catch (const DataError& error) {
            reportDataError(this, error.message());
        }
    }
    // In the Turkish alphabet (Ç after C, Ğ after G, I before İ, Ş after S ...),
    // whatever order the names were entered in.
    QCollator turkish(QLocale(QLocale::Turkish, QLocale::Turkey));
    turkish.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(),
                     [&turkish](const QString& a, const QString& b) { return turkish.compare(a, b) < 0; });
    const QSignalBlocker quiet(this);
    clear();
    addItems(names);
    showValue();
}

void LookupComboBox::showValue()
{
    const QSignalBlocker quiet(this);
    const QString name = shownName();
    const int index = name.isEmpty() ? -1 : findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(index);
    // A name renamed or deleted since it was picked still shows, and still counts.
    setPlaceholderText(index < 0 ? name : QString());
}

bool LookupComboBox::jumpToTyped(const QString& typed)
{
    const QString start = TurkishText::searchKey(typed);
    for (int index = 0; index < count(); ++index) {
        if (!TurkishText::searchKey(itemText(index)).startsWith(start))
            continue;
        if (index != currentIndex()) {
            setCurrentIndex(index);
            emit activated(index); // a pick, as the arrow keys make one
        }
        return true;
    }
    return false;
}

void LookupComboBox::showPopup()
{
    reloadNames();
    QComboBox::showPopup();
}

void LookupComboBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        choose(QString());
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now - m_lastKeyAt > QApplication::keyboardInputInterval())
            m_typed.clear();
        m_lastKeyAt = now;
        // Every key counts, also one that matched nothing: "xqz" names no
        // item, and must not land on one that merely begins with its last
        // letter. Such typing leaves the pick as it was, with a beep.
        m_typed += text;
        if (!jumpToTyped(m_typed))
            beeper().beep();
        return;
    }
    // Arrow keys step through the names; the combo box reports that as a pick.
    QComboBox::keyPressEvent(event);
}
