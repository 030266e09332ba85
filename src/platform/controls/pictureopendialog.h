#pragma once

#include <QFileDialog>

class QLabel;

// The picture-open dialog: a file dialog with a preview of the picture under
// the cursor beside the file list, and its size in pixels and bytes.
class PictureOpenDialog : public QFileDialog {
    Q_OBJECT
public:
    PictureOpenDialog(QWidget* parent, const QString& title, const QStringList& filters);

    // Asks for one existing picture file; the empty text when the user cancels.
    static QString choose(QWidget* parent, const QString& title, const QStringList& filters);
    // Asks for any number of existing picture files, in the file list's order;
    // none when the user cancels.
    static QStringList chooseSeveral(QWidget* parent, const QString& title, const QStringList& filters);

    QLabel* preview() const { return m_preview; }
    void showPreviewOf(const QString& path);

private:
    QLabel* m_preview;
    QLabel* m_details;
};
