// The phone book's window and entry screen as a clerk uses them: the menu and
// its highlight, the corner areas, a contact typed in and seen after a press
// on the background, the main window's grid opening it, Enter through the
// fields, and the photograph from a file or the clipboard.
#include "kit/behaviours/pressbutton.h"
#include "kit/picturemenu.h"
#include "phonebook/phonebook.h"
#include "phonebook/phoneentry.h"
#include "platform/controls/dbedit.h"
#include "platform/engine/dataset.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"
#include "platform/engine/table.h"
#include "shell/mainwindow.h"
#include "shell/programscreens.h"
#include "support/behaviourtesting.h"
#include "support/testsupport.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

QImage testPicture(const QSize& size, bool noisy = false)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    if (noisy) {
        QRandomGenerator random(7);
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                line[x] = 0xff000000u | (random.generate() & 0xffffffu);
        }
    }
    return image;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QSize pictureSize(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    return QImageReader(&buffer).size();
}

} // namespace

class PhoneBookTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    PhoneBook* m_book = nullptr;
    PhoneEntry* m_entry = nullptr;
    QTemporaryDir m_files;
    Installed<CollectingReporter> m_messages;

    // Inserts a contact on the entry screen, typing as a clerk does, and posts it.
    void typeContact(const QString& name, const QString& surname, const QString& phoneDigits)
    {
        m_entry->navigator()->press(DbNavigator::Insert);
        typeText(m_entry->control(QStringLiteral("Ad")), name);
        typeText(m_entry->control(QStringLiteral("Soyad")), surname);
        typeText(m_entry->control(QStringLiteral("Telefon")), phoneDigits);
        m_entry->navigator()->press(DbNavigator::Post);
    }
    QString pictureFile(const QString& name, const QImage& image, const char* format)
    {
        const QString path = m_files.filePath(name);
        if (!image.save(path, format))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    Table* cursor() const { return m_entry->cursor(); }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
    }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(programScreens());
        m_book = m_screens->get<PhoneBook>(QStringLiteral("PhoneBook"));
        m_entry = m_screens->get<PhoneEntry>(QStringLiteral("PhoneEntry"));
        QVERIFY(m_book && m_entry);
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        m_messages.shown.clear();
        QGuiApplication::clipboard()->clear();
    }

    void theWindowIsCutToItsRoundedOutline()
    {
        QCOMPARE(m_book->windowTitle(), QStringLiteral("Telefon defteri"));
        QCOMPARE(m_book->size(), QSize(597, 397));
        QVERIFY(m_book->hasArtwork());
        const QRegion outline = m_book->mask();
        for (QPoint inside : {QPoint(298, 198), QPoint(298, 2), QPoint(2, 198), QPoint(40, 40), QPoint(556, 356)})
            QVERIFY2(outline.contains(inside), qPrintable(QStringLiteral("%1,%2").arg(inside.x()).arg(inside.y())));
        for (QPoint corner : {QPoint(2, 2), QPoint(594, 2), QPoint(2, 394), QPoint(594, 394), QPoint(12, 12)})
            QVERIFY2(!outline.contains(corner), qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
    }

    void menuItemsShowTheirScreens()
    {
        auto* main = m_screens->get<MainWindow>(QStringLiteral("MainWindow"));
        main->show();
        clickCentre(main->menuItems().at(5)); // "Telefon Defteri"
        QVERIFY(m_book->isVisible());
        const QList<QPair<QString, QString>> opens{{"Yeni Kayıt", "PhoneEntry"},
                                                   {"Listeleme", "PhoneSearch"},
                                                   {"Düzeltme", "PhoneEdit"},
                                                   {"Yardım", "AboutBox"}};
        for (const auto& [caption, screen] : opens) {
            QVERIFY(m_screens->find(screen)->isHidden());
            clickCentre(m_book->menuItem(caption));
            QVERIFY2(m_screens->find(screen)->isVisible(), qPrintable(caption));
        }
        QCOMPARE(m_book->menuItem(QStringLiteral("Bilgisayarı Kapama"))->toolTip(),
                 QStringLiteral("Bilgisayarın İstendiği Zaman Kapatılması"));
        clickCentre(m_book->menuItem(QStringLiteral("Çıkış")));
        QVERIFY(m_book->isHidden());
    }

    void theHighlightFollowsThePointerAndNeverHides()
    {
        m_book->show();
        QCOMPARE(m_book->highlight()->pos(), m_book->menuItem(QStringLiteral("Çıkış"))->pos());
        for (const QString& caption : {QStringLiteral("Listeleme"), QStringLiteral("Yardım")}) {
            QEvent enter(QEvent::Enter);
            QApplication::sendEvent(m_book->menuItem(caption), &enter);
            QCOMPARE(m_book->highlight()->pos(), m_book->menuItem(caption)->pos());
        }
        QTest::mouseMove(m_book->background(), QPoint(400, 380));
        QVERIFY(m_book->highlight()->isVisible());
    }

    void theCornerAreasCloseAndMinimiseTheMainWindow()
    {
        auto* main = m_screens->find(QStringLiteral("MainWindow"));
        QVERIFY(behaviourtest::showAndWait(main));
        QVERIFY(behaviourtest::showAndWait(m_book));
        clickCentre(m_book->minimiseArea());
        QVERIFY(main->isMinimized());
        QVERIFY(!m_book->isMinimized());
        clickCentre(m_book->closeArea());
        QVERIFY(m_book->isHidden());
    }

    void aContactTypedInShowsAfterABackgroundPressAndOpensFromTheMainGrid()
    {
        m_book->show();
        QCOMPARE(m_book->grid()->model()->rowCount(), 0);
        typeContact(QStringLiteral("Gül"), QStringLiteral("Öztürk"), QStringLiteral("2125551234"));
        typeContact(QStringLiteral("Şükrü"), QStringLiteral("Işıklı"), QStringLiteral("3125550000"));
        QCOMPARE(cursor()->text(QStringLiteral("Telefon")), QStringLiteral("(312) 555-00-00"));
        QCOMPARE(m_book->grid()->model()->rowCount(), 0); // not until the background is pressed

        behaviourtest::press(m_book->background(), Qt::LeftButton, QPoint(300, 380));
        behaviourtest::release(m_book->background(), Qt::LeftButton, QPoint(300, 380));
        QCOMPARE(m_book->grid()->model()->rowCount(), 2);
        QCOMPARE(m_book->grid()->model()->index(1, 0).data().toString(), QStringLiteral("Şükrü"));

        // The main window's grid opens the contact double-clicked.
        auto* main = m_screens->get<MainWindow>(QStringLiteral("MainWindow"));
        main->contacts()->refresh();
        cursor()->first();
        m_entry->hide();
        DbGrid* grid = main->contactGrid();
        main->show();
        const QPoint cell = grid->visualRect(grid->model()->index(1, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QVERIFY(m_entry->isVisible());
        QCOMPARE(cursor()->text(QStringLiteral("Soyad")), QStringLiteral("Işıklı"));
        // And the phone book's own grid, the first contact.
        const QPoint first = m_book->grid()->visualRect(m_book->grid()->model()->index(0, 0)).center();
        QTest::mouseClick(m_book->grid()->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(m_book->grid()->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(cursor()->text(QStringLiteral("Ad")), QStringLiteral("Gül"));
    }

    void enterMovesThroughEveryFieldInOrder()
    {
        QVERIFY(activate(m_entry));
        QWidget* first = m_entry->control(QStringLiteral("Ad"));
        QVERIFY(focusOn(first));
        QStringList visited{m_entry->fields().first()};
        for (int i = 1; i < m_entry->fields().size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            const int at = int(m_entry->dataControls().indexOf(QApplication::focusWidget()));
            const QWidget* memo = QApplication::focusWidget()->parentWidget();
            const int memoAt = int(m_entry->dataControls().indexOf(const_cast<QWidget*>(memo)));
            visited << m_entry->fields().value(at >= 0 ? at : memoAt);
        }
        QCOMPARE(visited, (QStringList{"Ad", "Soyad", "Telefon", "Ceptel", "Ikincitel", "Faks", "Il", "Resim",
                                       "Adres", "Aciklama"}));
    }

    void aPictureFileIsStoredAsItIs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("bitmap") << "foto.bmp" << QByteArray("bmp");
        QTest::newRow("jpeg") << "foto.jpg" << QByteArray("jpeg");
        QTest::newRow("png") << "foto.png" << QByteArray("png");
    }

    void aPictureFileIsStoredAsItIs()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, format);
        const QString path = pictureFile(file, testPicture(QSize(120, 90)), format.constData());
        typeContact(QStringLiteral("Deniz"), QString(), QString());
        QVERIFY(PictureMenu::loadFile(m_entry->picture(), path));
        QCOMPARE(cursor()->state(), DatasetState::Edit);
        QVERIFY(!m_entry->picture()->pixmap().isNull());
        m_entry->navigator()->press(DbNavigator::Post);

        Table stored(*m_store->db, QStringLiteral("tel"));
        stored.open();
        QCOMPARE(stored.value(QStringLiteral("Resim")).toByteArray(), fileBytes(path));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void aLargePhotographIsScaledDownAndTheClerkTold()
    {
        const QString path = pictureFile(QStringLiteral("buyuk.png"), testPicture(QSize(2000, 1500), true), "png");
        QVERIFY(QFileInfo(path).size() > PictureMenu::LargestStoredPicture);
        typeContact(QStringLiteral("Deniz"), QString(), QString());
        QVERIFY(PictureMenu::loadFile(m_entry->picture(), path));
        const QByteArray stored = cursor()->value(QStringLiteral("Resim")).toByteArray();
        QVERIFY(stored.size() <= PictureMenu::LargestStoredPicture);
        QVERIFY(stored.startsWith("\xff\xd8")); // JPEG
        const QSize size = pictureSize(stored);
        QVERIFY(std::max(size.width(), size.height()) <= PictureMenu::ScaledSide);
        QCOMPARE(double(size.width()) / size.height(), 2000.0 / 1500.0);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown.first().contains(QStringLiteral("küçültüldü")));
    }

    void aMissingOrForeignFileIsRefusedWithAMessage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing") << "yok.jpg" << "bulunamadı";
        QTest::newRow("not a picture") << "mektup.jpg" << "okunabilen bir resim değil";
        QTest::newRow("a folder") << "klasor.png" << "okunamadı";
    }

    void aMissingOrForeignFileIsRefusedWithAMessage()
    {
        QFETCH(QString, file);
        QFETCH(QString, says);
        QFile letter(m_files.filePath(QStringLiteral("mektup.jpg")));
        QVERIFY(letter.open(QIODevice::WriteOnly));
        letter.write("Sayın Ayşe Hanım, ...");
        letter.close();
        QDir(m_files.path()).mkpath(QStringLiteral("klasor.png"));

        typeContact(QStringLiteral("Deniz"), QString(), QString());
        QVERIFY(!PictureMenu::loadFile(m_entry->picture(), m_files.filePath(file)));
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY2(m_messages.shown.first().contains(says), qPrintable(m_messages.shown.first()));
        QVERIFY(m_messages.shown.first().contains(file));
        QCOMPARE(cursor()->state(), DatasetState::Browse);
        QVERIFY(cursor()->isBlank(QStringLiteral("Resim")));
    }

    void theClipboardGivesItsPictureAndNothingWithoutOne()
    {
        DbImage* picture = m_entry->picture();
        QCOMPARE(PictureMenu::fromFileAction(picture)->text(), QStringLiteral("Dosyadan"));
        QCOMPARE(PictureMenu::fromClipboardAction(picture)->text(), QStringLiteral("Clipborddan"));
        typeContact(QStringLiteral("Deniz"), QString(), QString());

        QGuiApplication::clipboard()->clear();
        PictureMenu::fromClipboardAction(picture)->trigger();
        QGuiApplication::clipboard()->setText(QStringLiteral("bir yazı"));
        PictureMenu::fromClipboardAction(picture)->trigger();
        QCOMPARE(cursor()->state(), DatasetState::Browse);
        QVERIFY(cursor()->isBlank(QStringLiteral("Resim")));
        QVERIFY(m_messages.shown.isEmpty());

        QGuiApplication::clipboard()->setImage(testPicture(QSize(64, 48)));
        PictureMenu::fromClipboardAction(picture)->trigger();
        QCOMPARE(cursor()->state(), DatasetState::Edit);
        QCOMPARE(pictureSize(cursor()->value(QStringLiteral("Resim")).toByteArray()), QSize(64, 48));
    }
};

QTEST_MAIN(PhoneBookTest)
#include "tst_phonebook.moc"
