#include "platform/controls/dbmemo.h"

#include "platform/controls/dbedit.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QPixmap>

DbMemo::DbMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    m_link = new FieldLink(
        this,
        [this] {
            m_showing = true;
            setPlainText(m_link->editText());
            m_showing = false;
        },
        [this] { m_link->table()->setText(m_link->field()->name, toPlainText()); });
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (m_showing)
            return;
        // Keys start the edit before they land; a paste from the menu only
        // shows up here.
        if (m_link->table() && !m_link->table()->isEditing())
            m_link->beginEditKeepingText();
        m_link->setDirty(true);
    });
    setTabChangesFocus(true);
}

void DbMemo::bind(Dataset* dataset, const QString& field)
{
    m_link->bind(dataset, field);
    setReadOnly(!qobject_cast<Table*>(dataset));
}

void DbMemo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_link->isDirty()) {
        m_link->reset();
        return;
    }
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!isReadOnly() && (keyChangesText(event) || newLine) && !m_link->beginEdit())
        return;
    QPlainTextEdit::keyPressEvent(event);
}

void DbMemo::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    m_link->focusLeft(event->reason());
}

DbImage::DbImage(QWidget* parent) : QLabel(parent)
{
    m_link = new FieldLink(this, [this] { showValue(); }, [] {});
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
}

void DbImage::bind(Dataset* dataset, const QString& field)
{
    m_link->bind(dataset, field);
}

void DbImage::showValue()
{
    const QImage picture = image();
    setPixmap(picture.isNull() ? QPixmap()
                               : QPixmap::fromImage(picture.scaled(contentsRect().size(), Qt::KeepAspectRatio,
                                                                   Qt::SmoothTransformation)));
}

void DbImage::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    showValue();
}

QByteArray DbImage::pictureData() const
{
    return m_link->value().toByteArray();
}

QImage DbImage::image() const
{
    QByteArray bytes = pictureData();
    if (bytes.isEmpty())
        return {};
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read();
}

bool DbImage::setImage(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.isNull())
        image.save(&buffer, "BMP");
    return setPictureData(bytes);
}

bool DbImage::setPictureData(const QByteArray& bytes)
{
    if (!m_link->beginEdit())
        return false;
    try {
        m_link->table()->setValue(m_link->fieldIndex(), bytes);
    } catch (const DataError& error) {
        reportDataError(this, error.message());
        return false;
    }
    return true;
}
