#include "entry/picturestrip.h"

#include "data/listingpictures.h"
#include "kit/behaviours/printbutton.h"
#include "kit/picturemenu.h"
#include "platform/controls/pictureopendialog.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "platform/system/confirmer.h"
#include "platform/system/errorreporter.h"
#include "reports/reports.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QSize ThumbnailBox(96, 72);
const QSize LargeBox(800, 600);

QPixmap placeholder()
{
    QPixmap blank(ThumbnailBox);
    blank.fill(QColor(0xe8, 0xe8, 0xe8));
    return blank;
}

PictureStrip::FolderChooser& folderChooser()
{
    static PictureStrip::FolderChooser chooser = [](QWidget* parent) {
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("Resimleri Kaydet"));
    };
    return chooser;
}

} // namespace

PictureViewer::PictureViewer(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("PictureViewer"));
    setWindowTitle(QStringLiteral("Resim"));
    setAccessibleName(QStringLiteral("Resim"));
    auto* column = new QVBoxLayout(this);
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("BuyukResim"));
    m_picture->setAccessibleName(QStringLiteral("Resim"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("ResimAciklamasi"));
    m_caption->setAlignment(Qt::AlignCenter);
    column->addWidget(m_picture);
    column->addWidget(m_caption);
}

void PictureViewer::mousePressEvent(QMouseEvent* event)
{
    hide();
    event->accept();
}

void PictureViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        hide();
    else
        QWidget::keyPressEvent(event);
}

void PictureViewer::showPicture(const QImage& picture, const QString& caption, QWidget* over)
{
    const QImage shown = picture.width() > LargeBox.width() || picture.height() > LargeBox.height()
                             ? picture.scaled(LargeBox, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             : picture;
    m_picture->setPixmap(QPixmap::fromImage(shown));
    m_caption->setText(caption);
    m_caption->setVisible(!caption.isEmpty());
    adjustSize();
    move(over->geometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

PictureStrip* PictureStrip::attach(QWidget* screen, Table& cursor, const QString& card)
{
    return new PictureStrip(screen, cursor, card);
}

void PictureStrip::setFolderChooser(FolderChooser chooser)
{
    folderChooser() = std::move(chooser);
}

QToolButton* PictureStrip::button(const QString& objectName, const QString& text, const QString& hint)
{
    auto* made = new QToolButton(this);
    made->setObjectName(objectName);
    made->setText(text);
    made->setAccessibleName(text);
    made->setToolTip(hint);
    made->setToolButtonStyle(Qt::ToolButtonTextOnly);
    made->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return made;
}

PictureStrip::PictureStrip(QWidget* screen, Table& cursor, const QString& card)
    : QWidget(screen, Qt::Tool | Qt::FramelessWindowHint)
    , m_screen(screen)
    , m_cursor(cursor)
    , m_card(card)
    , m_pictures(new ListingPictures(cursor.database(), cursor, this))
{
    setObjectName(QStringLiteral("PictureStrip"));
    setAccessibleName(QStringLiteral("Resimler"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(screen->width(), Height);
    setAutoFillBackground(true);

    m_thumbnails = new QListWidget(this);
    m_thumbnails->setObjectName(QStringLiteral("ResimListesi"));
    m_thumbnails->setAccessibleName(QStringLiteral("Resimler"));
    m_thumbnails->setViewMode(QListView::IconMode);
    m_thumbnails->setFlow(QListView::LeftToRight);
    m_thumbnails->setWrapping(false);
    m_thumbnails->setMovement(QListView::Static);
    m_thumbnails->setIconSize(ThumbnailBox);
    m_thumbnails->setGridSize(ThumbnailBox + QSize(12, 10));
    m_thumbnails->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* add = button(QStringLiteral("ResimEkle"), QStringLiteral("Ekle"), QStringLiteral("Resim Ekle"));
    auto* menu = new QMenu(add);
    QAction* fromFile = menu->addAction(QStringLiteral("Dosyadan"));
    fromFile->setObjectName(QStringLiteral("MenuDosyadan"));
    QAction* fromClipboard = menu->addAction(QStringLiteral("Clipborddan"));
    fromClipboard->setObjectName(QStringLiteral("MenuClipborddan"));
    add->setMenu(menu);
    add->setPopupMode(QToolButton::InstantPopup);
    auto* remove = button(QStringLiteral("ResimSil"), QStringLiteral("Sil"), QStringLiteral("Resmi Sil"));
    auto* earlier = button(QStringLiteral("ResimOnceye"), QStringLiteral("◀ Önceye"), QStringLiteral("Resmi Öne Al"));
    auto* later = button(QStringLiteral("ResimSonraya"), QStringLiteral("Sonraya ▶"), QStringLiteral("Resmi Sona Al"));
    auto* print = button(QStringLiteral("ResimliYazdir"), QStringLiteral("Resimli Yazdır"),
                         QStringLiteral("Bütün resimleriyle yazdır"));
    auto* save = button(QStringLiteral("ResimleriKaydet"), QStringLiteral("Resimleri Kaydet"),
                        QStringLiteral("Resimleri bir klasöre kaydet"));
    m_caption = new QLineEdit(this);
    m_caption->setObjectName(QStringLiteral("ResimAciklama"));
    m_caption->setAccessibleName(QStringLiteral("Açıklama"));
    m_caption->setPlaceholderText(QStringLiteral("Açıklama"));
    m_caption->setMaxLength(60);

    auto* buttons = new QGridLayout;
    buttons->setSpacing(3);
    buttons->addWidget(add, 0, 0);
    buttons->addWidget(remove, 0, 1);
    buttons->addWidget(earlier, 1, 0);
    buttons->addWidget(later, 1, 1);
    buttons->addWidget(m_caption, 2, 0, 1, 2);
    buttons->addWidget(print, 3, 0);
    buttons->addWidget(save, 3, 1);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->addWidget(m_thumbnails, 1);
    row->addLayout(buttons);

    m_viewer = new PictureViewer(this);

    connect(fromFile, &QAction::triggered, this, [this] {
        const QStringList paths =
            PictureOpenDialog::chooseSeveral(window(), QStringLiteral("Resim Aç"), PictureMenu::fileFilters());
        if (!paths.isEmpty())
            addFiles(paths);
    });
    connect(fromClipboard, &QAction::triggered, this, &PictureStrip::pasteClipboard);
    connect(remove, &QToolButton::clicked, this, &PictureStrip::removeCurrent);
    connect(earlier, &QToolButton::clicked, this, [this] { moveCurrent(-1); });
    connect(later, &QToolButton::clicked, this, [this] { moveCurrent(1); });
    connect(print, &QToolButton::clicked, this, &PictureStrip::printWithPictures);
    connect(save, &QToolButton::clicked, this, [this] {
        const QString folder = folderChooser()(window());
        if (!folder.isEmpty())
            saveToFolder(folder);
    });
    connect(m_thumbnails, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showLarge(m_thumbnails->row(item)); });
    connect(m_thumbnails, &QListWidget::currentRowChanged, this, [this](int index) {
        const QSignalBlocker quiet(m_caption);
        m_caption->setText(index >= 0 && index < m_pictures->count() ? m_pictures->at(index).caption : QString());
    });
    // The caption is the picture's once the clerk leaves the field or presses Enter.
    connect(m_caption, &QLineEdit::editingFinished, this, [this] {
        try {
            m_pictures->setCaption(current(), m_caption->text());
        } catch (const DataError& error) {
            tell({error.message()});
        }
    });
    connect(m_pictures, &ListingPictures::changed, this, &PictureStrip::refill);
    connect(m_pictures, &ListingPictures::thumbnailReady, this, [this](int index) {
        if (QListWidgetItem* item = m_thumbnails->item(index))
            item->setIcon(QPixmap::fromImage(m_pictures->at(index).thumbnailImage));
    });

    screen->installEventFilter(this);
    refill();
    follow();
}

bool PictureStrip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_screen) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            follow();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Hangs right under the screen, as wide as it, shown while it is.
void PictureStrip::follow()
{
    setFixedWidth(m_screen->width());
    move(m_screen->geometry().bottomLeft() + QPoint(0, 1));
    setVisible(m_screen->isVisible());
    if (!m_screen->isVisible())
        m_viewer->hide();
}

int PictureStrip::current() const
{
    return m_thumbnails->currentRow();
}

void PictureStrip::setCurrent(int index)
{
    m_thumbnails->setCurrentRow(index);
}

void PictureStrip::refill()
{
    // Walking past records without pictures leaves an empty strip as it is.
    if (m_pictures->count() == 0 && m_thumbnails->count() == 0 && m_caption->text().isEmpty())
        return;
    const int keep = current();
    const QSignalBlocker quiet(m_thumbnails);
    m_thumbnails->clear();
    for (int i = 0; i < m_pictures->count(); ++i) {
        const ListingPictures::Item& picture = m_pictures->at(i);
        auto* item = new QListWidgetItem(QString::number(i + 1), m_thumbnails);
        item->setToolTip(picture.caption);
        // Until its thumbnail is decoded a picture holds its place with a
        // blank of the same size, so the strip is laid out once.
        item->setIcon(picture.thumbnailImage.isNull() ? placeholder() : QPixmap::fromImage(picture.thumbnailImage));
    }
    m_thumbnails->setCurrentRow(std::min(keep, m_pictures->count() - 1));
    const QSignalBlocker quietCaption(m_caption);
    m_caption->setText(current() >= 0 ? m_pictures->at(current()).caption : QString());
    if (m_pictures->count() == 0)
        m_viewer->hide();
}

void PictureStrip::showLarge(int index)
{
    if (index < 0 || index >= m_pictures->count())
        return;
    m_viewer->showPicture(m_pictures->pictureImage(index), m_pictures->at(index).caption, m_screen);
}

void PictureStrip::tell(const QStringList& messages)
{
    if (!messages.isEmpty())
        errorReporter().report(window(), messages.join(QStringLiteral("\n\n")));
}

void PictureStrip::addFiles(const QStringList& paths)
{
    const int before = m_pictures->count();
    tell(m_pictures->addFiles(paths));
    if (m_pictures->count() > before)
        setCurrent(m_pictures->count() - 1);
}

void PictureStrip::pasteClipboard()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return;
    bool added = false;
    const QString said = m_pictures->addImage(qvariant_cast<QImage>(data->imageData()), &added);
    if (!said.isEmpty())
        tell({said});
    if (added)
        setCurrent(m_pictures->count() - 1);
}

void PictureStrip::removeCurrent()
{
    const int index = current();
    if (index < 0 || !confirmer().confirm(window(), QStringLiteral("Resim silinsin mi?")))
        return;
    try {
        m_pictures->remove(index);
    } catch (const DataError& error) {
        tell({error.message()});
    }
}

void PictureStrip::moveCurrent(int by)
{
    const int index = current();
    const int to = index + by;
    if (index < 0 || to < 0 || to >= m_pictures->count())
        return;
    try {
        m_pictures->move(index, to);
        setCurrent(to);
    } catch (const DataError& error) {
        tell({error.message()});
    }
}

void PictureStrip::printWithPictures()
{
    PrintButton::print([this] { return reports::picturedCardForScreen(m_card, m_cursor, window()); });
}

void PictureStrip::saveToFolder(const QString& folder)
{
    if (m_pictures->count() == 0) {
        tell({QStringLiteral("Bu kaydın kaydedilecek resmi yok.")});
        return;
    }
    QVector<QByteArray> bytes;
    for (int i = 0; i < m_pictures->count(); ++i)
        bytes << m_pictures->pictureBytes(i);
    // Flats and properties name their district "Semtadi", land "Semt".
    const QString district = m_cursor.text(m_cursor.schema().indexOf(QStringLiteral("Semtadi")) >= 0
                                               ? QStringLiteral("Semtadi")
                                               : QStringLiteral("Semt"));
    const qint64 key = m_pictures->key() < 0 ? 0 : m_pictures->key(); // 0: a record not posted yet
    const QString failure = PictureStore::saveAll(folder, district, key, bytes);
    if (!failure.isEmpty())
        tell({failure});
}
