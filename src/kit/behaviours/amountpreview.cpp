#include "kit/behaviours/amountpreview.h"

#include "platform/system/errorreporter.h"
#include "platform/system/localeformats.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>

AmountPreview::AmountPreview(QLineEdit* edit, QLabel* preview)
    : QObject(edit), m_edit(edit), m_preview(preview)
{
    preview->hide();
    edit->installEventFilter(this);
}

AmountPreview* AmountPreview::install(QLineEdit* edit, QLabel* preview)
{
    if (!edit || !preview)
        return nullptr;
    return new AmountPreview(edit, preview);
}

QString AmountPreview::notANumberMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

void AmountPreview::refresh()
{
    if (!m_edit || !m_preview)
        return;
    const QString text = m_edit->text();
    if (text.size() < 4) {
        m_preview->setEnabled(false);
        m_preview->hide();
        return;
    }
    m_preview->setVisible(true);
    m_preview->setEnabled(true);
    bool ok = false;
    const double value = LocaleFormats::readNumber(text, &ok);
    if (!ok) {
        errorReporter().report(m_edit, notANumberMessage(text));
        return;
    }
    m_preview->setText(LocaleFormats::thousands(value));
    m_preview->setAccessibleName(m_preview->text()); // read out as the amount it shows
}

bool AmountPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit) {
        if (event->type() == QEvent::KeyRelease)
            refresh();
        else if (event->type() == QEvent::FocusOut && m_preview)
            m_preview->hide();
    }
    return false;
}
