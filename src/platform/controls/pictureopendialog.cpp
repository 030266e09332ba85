#include "platform/controls/pictureopendialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

const QSize PreviewSize(200, 200);

// Where the next dialog opens: the folder of the last picture taken, at
// first the user's pictures.
QString& lastFolder()
{
    static QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return folder;
}

} // namespace

PictureOpenDialog::PictureOpenDialog(QWidget* parent, const QString& title, const QStringList& filters)
    : QFileDialog(parent, title)
{
    setObjectName(QStringLiteral("OpenPictureDialog"));
    // The dialog's own widgets, so the preview can stand beside the file list.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(filters);
    if (QFileInfo(lastFolder()).isDir())
        setDirectory(lastFolder());
    resize(860, 480);

    auto* side = new QWidget(this);
    side->setObjectName(QStringLiteral("PreviewPane"));
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(6, 0, 0, 0);
    m_preview = new QLabel(side);
    m_preview->setObjectName(QStringLiteral("Preview"));
    m_preview->setAccessibleName(title);
    m_preview->setFixedSize(PreviewSize);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_details = new QLabel(side);
    m_details->setObjectName(QStringLiteral("PreviewDetails"));
    m_details->setAlignment(Qt::AlignCenter);
    m_details->setWordWrap(true);
    column->addWidget(m_preview);
    column->addWidget(m_details);
    column->addStretch();
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(side, 1, grid->columnCount(), grid->rowCount() - 1, 1);

    connect(this, &QFileDialog::currentChanged, this, &PictureOpenDialog::showPreviewOf);
}

void PictureOpenDialog::showPreviewOf(const QString& path)
{
    const QFileInfo file(path);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage picture = file.isFile() ? reader.read() : QImage();
    if (picture.isNull()) {
        m_preview->clear();
        m_details->clear();
        return;
    }
    m_preview->setPixmap(QPixmap::fromImage(
        picture.scaled(PreviewSize - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    m_details->setText(QStringLiteral("%1 × %2\n%3")
                           .arg(picture.width())
                           .arg(picture.height())
                           .arg(QLocale().formattedDataSize(file.size(), 1, QLocale::DataSizeTraditionalFormat)));
}

namespace {

QStringList chosen(QWidget* parent, const QString& title, const QStringList& filters, QFileDialog::FileMode mode)
{
    PictureOpenDialog dialog(parent, title, filters);
    dialog.setFileMode(mode);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    lastFolder() = QFileInfo(dialog.selectedFiles().constFirst()).absolutePath();
    return dialog.selectedFiles();
}

} // namespace

QString PictureOpenDialog::choose(QWidget* parent, const QString& title, const QStringList& filters)
{
    const QStringList files = chosen(parent, title, filters, QFileDialog::ExistingFile);
    return files.isEmpty() ? QString() : files.constFirst();
}

QStringList PictureOpenDialog::chooseSeveral(QWidget* parent, const QString& title, const QStringList& filters)
{
    return chosen(parent, title, filters, QFileDialog::ExistingFiles);
}
