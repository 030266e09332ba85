#pragma once

#include "platform/controls/fieldlink.h"

#include <QLabel>
#include <QPlainTextEdit>

// A memo bound to a text field of any length.
class DbMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DbMemo(QWidget* parent = nullptr);
    void bind(Dataset* dataset, const QString& field);
    FieldLink& link() { return *m_link; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    FieldLink* m_link;
    bool m_showing = false;
};

// A picture bound to a graphic field, shown whole in its frame (scaled to fit,
// turned upright as the camera recorded it).
class DbImage : public QLabel {
    Q_OBJECT
public:
    explicit DbImage(QWidget* parent = nullptr);
    void bind(Dataset* dataset, const QString& field);
    FieldLink& link() { return *m_link; }
    // Stores a picture into the field (putting the record into edit state).
    bool setImage(const QImage& image);
    // Stores a picture file's bytes as they are (putting the record into edit
    // state); false when the record cannot be edited.
    bool setPictureData(const QByteArray& bytes);
    QImage image() const;
    QByteArray pictureData() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showValue();
    FieldLink* m_link;
};
