// Window-level behaviours: centring, activation, dragging by the background, the
// screen base, and the owner panel toggle.

#include "support/testsupport.h"
#include "kit/behaviours/activationwatch.h"
#include "kit/behaviours/centreonscreen.h"
#include "kit/behaviours/dragbybackground.h"
#include "kit/behaviours/ownerpaneltoggle.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/screen.h"
#include "support/behaviourtesting.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace behaviourtest;

namespace {

ScreenSetup setupFor(const QString& name, QSize size = QSize(400, 300))
{
    ScreenSetup s;
    s.programName = name;
    s.caption = QStringLiteral("Kiralık Daire Girişi");
    s.clientSize = size;
    s.background = QStringLiteral(":/art/missing-in-tests.jpg");
    return s;
}


QPoint expectedCentre(QSize window)
{
    return CentreOnScreen::position(QGuiApplication::primaryScreen()->geometry().size(), window);
}

} // namespace

class ScreensTest : public QObject {
    Q_OBJECT
private slots:
    void centreArithmetic_data();
    void centreArithmetic();
    void screenCentresWhenCreated();
    void centreOnEveryActivation();
    void activationCountsOnlyEnteringFromAnotherWindow();

    void dragFollowsPointerUntilRelease();
    void dragRunsCallbackFirstAndCanBeOptedOut();

    void screenWindowIdentity();
    void missingArtworkStillGivesAPicture();
    void artworkFillsTheWindow();
    void closeOnlyHides();

    void hiddenScreenWaitsForItsPicture();
    void dressingRunsOnceAtTheFirstShow();
    void grabbingANeverShownScreenDressesIt();

    void ownerPanelToggleTwice();
};

void ScreensTest::centreArithmetic_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("even") << QSize(1024, 768) << QSize(640, 480) << QPoint(192, 144);
    // Each half is rounded down on its own: 512 - 150, 383 - 72.
    QTest::newRow("odd") << QSize(1025, 767) << QSize(301, 145) << QPoint(362, 311);
    QTest::newRow("larger than screen") << QSize(800, 600) << QSize(1001, 700) << QPoint(-100, -50);
}

void ScreensTest::centreArithmetic()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, window);
    QFETCH(QPoint, topLeft);
    QCOMPARE(CentreOnScreen::position(screen, window), topLeft);
}

void ScreensTest::screenCentresWhenCreated()
{
    Screen s(setupFor(QStringLiteral("SplashLike"), QSize(301, 145)));
    QCOMPARE(s.pos(), expectedCentre(QSize(301, 145)));
}

void ScreensTest::centreOnEveryActivation()
{
    ScreenSetup setup = setupFor(QStringLiteral("MatchScreen"));
    setup.placement = ScreenPlacement::CentreOnActivation;
    Screen match(setup);
    Screen other(setupFor(QStringLiteral("RequestList")));
    QVERIFY(activate(&match));
    QCOMPARE(match.pos(), expectedCentre(match.size()));

    match.move(5, 7);
    QVERIFY(activate(&other));
    QCOMPARE(match.pos(), QPoint(5, 7));
    QVERIFY(activate(&match));
    QCOMPARE(match.pos(), expectedCentre(match.size()));
}

void ScreensTest::activationCountsOnlyEnteringFromAnotherWindow()
{
    Screen entry(setupFor(QStringLiteral("RentalFlatEntry")));
    Screen main(setupFor(QStringLiteral("MainWindow")));
    int entered = 0;
    ActivationWatch::watch(&entry, &entry, [&] { ++entered; });

    QVERIFY(activate(&entry));
    QCOMPARE(entered, 1);
    QCOMPARE(ActivationWatch::programActiveWindow(), &entry);

    // A dialog over the screen (a message box, say) and back: not an entry.
    {
        QDialog message(&entry);
        message.show();
        message.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &message);
        message.close();
    }
    QVERIFY(activate(&entry));
    QCOMPARE(entered, 1);

    QVERIFY(activate(&main));
    QVERIFY(activate(&entry));
    QCOMPARE(entered, 2);

    // Closed and opened again by the program: entered again.
    entry.close();
    QVERIFY(activate(&entry));
    QCOMPARE(entered, 3);
}

void ScreensTest::dragFollowsPointerUntilRelease()
{
    Screen s(setupFor(QStringLiteral("RentalFlatList")));
    QVERIFY(showAndWait(&s));
    QVERIFY(s.backgroundDrag());
    const QPoint start = s.pos();

    press(s.background(), Qt::LeftButton, QPoint(10, 10));
    QVERIFY(s.backgroundDrag()->isDragging());  // offscreen has no system move
    moveTo(s.background(), QPoint(60, 40));
    QCOMPARE(s.pos(), start + QPoint(50, 30));
    release(s.background(), Qt::LeftButton, QPoint(10, 10));
    QVERIFY(!s.backgroundDrag()->isDragging());

    const QPoint after = s.pos();
    QTest::mouseMove(s.windowHandle(), QPoint(100, 100));
    QCOMPARE(s.pos(), after);

    // Any button drags.
    press(s.background(), Qt::RightButton, QPoint(20, 20));
    moveTo(s.background(), QPoint(25, 20));
    QCOMPARE(s.pos(), after + QPoint(5, 0));
    release(s.background(), Qt::RightButton, QPoint(20, 20));
}

void ScreensTest::dragRunsCallbackFirstAndCanBeOptedOut()
{
    Screen book(setupFor(QStringLiteral("PhoneBook")));
    int reread = 0;
    bool dragStartedBefore = true;
    book.backgroundDrag()->setBeforeDrag([&] {
        ++reread;
        dragStartedBefore = book.backgroundDrag()->isDragging();
    });
    QVERIFY(showAndWait(&book));
    press(book.background(), Qt::LeftButton, QPoint(30, 30));
    release(book.background(), Qt::LeftButton, QPoint(30, 30));
    QCOMPARE(reread, 1);
    QVERIFY(!dragStartedBefore);

    ScreenSetup still = setupFor(QStringLiteral("SplashScreen"));
    still.dragByBackground = false;
    Screen splash(still);
    QVERIFY(!splash.backgroundDrag());
    QVERIFY(showAndWait(&splash));
    const QPoint start = splash.pos();
    press(splash.background(), Qt::LeftButton, QPoint(10, 10));
    moveTo(splash.background(), QPoint(60, 40));
    release(splash.background(), Qt::LeftButton, QPoint(60, 40));
    QCOMPARE(splash.pos(), start);
}

void ScreensTest::screenWindowIdentity()
{
    Screen s(setupFor(QStringLiteral("RentalFlatEntry"), QSize(640, 480)));
    QCOMPARE(s.objectName(), QStringLiteral("RentalFlatEntry"));
    QCOMPARE(s.windowTitle(), QStringLiteral("Kiralık Daire Girişi"));
    QCOMPARE(s.accessibleName(), QStringLiteral("Kiralık Daire Girişi"));
    QVERIFY(s.isWindow());
    QVERIFY(s.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(s.minimumSize(), QSize(640, 480));
    QCOMPARE(s.maximumSize(), QSize(640, 480));
    QCOMPARE(s.background()->geometry(), QRect(0, 0, 640, 480));
    QCOMPARE(s.children().indexOf(s.background()), 0);  // everything else lies above it
    QVERIFY(s.findChild<QLabel*>(QStringLiteral("Background")));
}

void ScreensTest::missingArtworkStillGivesAPicture()
{
    Screen s(setupFor(QStringLiteral("LandEntry"), QSize(320, 200)));
    QVERIFY(!s.hasArtwork());
    const QPixmap picture = s.background()->pixmap();
    QCOMPARE(picture.size(), QSize(320, 200));
    const QImage image = picture.toImage();
    QCOMPARE(QColor(image.pixel(160, 150)), QColor(0, 0, 192));
    // The caption is written across the top strip.
    bool inked = false;
    for (int x = 0; x < 320 && !inked; ++x)
        for (int y = 4; y < 28 && !inked; ++y)
            inked = QColor(image.pixel(x, y)) == QColor(Qt::white);
    QVERIFY(inked);
}

void ScreensTest::artworkFillsTheWindow()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("art.png"));
    QImage art(64, 48, QImage::Format_RGB32);
    art.fill(QColor(200, 10, 10));
    QVERIFY(art.save(path));
    ScreenSetup setup = setupFor(QStringLiteral("AboutBox"), QSize(640, 480));
    setup.background = path;
    Screen s(setup);
    QVERIFY(s.hasArtwork());
    QVERIFY(s.background()->hasScaledContents());
    QCOMPARE(s.background()->size(), QSize(640, 480));
    QCOMPARE(QColor(s.background()->pixmap().toImage().pixel(10, 10)), QColor(200, 10, 10));
}

void ScreensTest::closeOnlyHides()
{
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    auto* s = new Screen(setupFor(QStringLiteral("RentedFlatEntry")));
    QPointer<Screen> alive(s);
    QVERIFY(showAndWait(s));
    QVERIFY(!s->endsProgramOnClose());
    QVERIFY(s->close());
    QVERIFY(s->isHidden());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(alive);
    QCOMPARE(lastClosed.count(), 0);

    QVERIFY(showAndWait(s));  // shown again as it was
    QCOMPARE(s->objectName(), QStringLiteral("RentedFlatEntry"));
    s->setEndsProgramOnClose(true);
    QVERIFY(s->testAttribute(Qt::WA_QuitOnClose));
    delete s;
}

namespace {

// A picture of two halves, so a picture scaled or shifted would not match.
QString twoColourPicture(const QTemporaryDir& folder, QSize size)
{
    QImage art(size, QImage::Format_RGB32);
    art.fill(QColor(20, 120, 220));
    for (int y = 0; y < size.height(); ++y)
        for (int x = size.width() / 2; x < size.width(); ++x)
            art.setPixel(x, y, qRgb(230, 200, 40));
    const QString path = folder.filePath(QStringLiteral("two.png"));
    art.save(path);
    return path;
}

} // namespace

void ScreensTest::hiddenScreenWaitsForItsPicture()
{
    QTemporaryDir folder;
    ScreenSetup setup = setupFor(QStringLiteral("RentalFlatEntry"), QSize(320, 200));
    setup.background = twoColourPicture(folder, QSize(320, 200));
    Screen s(setup);
    // The polish requests its widgets posted do not dress it either.
    QCoreApplication::processEvents();
    QVERIFY(!s.isDressed());
    QVERIFY(s.backgroundLabel()->pixmap().isNull());

    QVERIFY(showAndWait(&s));
    QVERIFY(s.isDressed());
    QCOMPARE(s.backgroundLabel()->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
             QImage(setup.background).convertToFormat(QImage::Format_RGB32));
    QVERIFY(s.hasArtwork());
}

void ScreensTest::dressingRunsOnceAtTheFirstShow()
{
    Screen s(setupFor(QStringLiteral("SaleFlatEntry")));
    QStringList ran;
    auto* label = new QLabel(&s);
    auto* gone = new QLabel(&s);
    s.whenDressed(label, [&] { ran << QStringLiteral("first"); });
    s.whenDressed(gone, [&] { ran << QStringLiteral("gone"); });
    s.whenDressed(&s, [&] {
        ran << QStringLiteral("second");
        // Queued while dressing: runs at once, after the steps before it.
        s.whenDressed(label, [&] { ran << QStringLiteral("nested"); });
    });
    delete gone;
    Screen::dressWithScreen(label, [&] { ran << QStringLiteral("through the control"); });
    QVERIFY(ran.isEmpty());

    QVERIFY(showAndWait(&s));
    const QStringList once{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("nested"),
                           QStringLiteral("through the control")};
    QCOMPARE(ran, once);

    // Closed and shown again: nothing runs twice; a step given now runs at once.
    s.close();
    QVERIFY(showAndWait(&s));
    QCOMPARE(ran, once);
    s.whenDressed(label, [&] { ran << QStringLiteral("late"); });
    QCOMPARE(ran.size(), once.size() + 1);
    QCOMPARE(ran.last(), QStringLiteral("late"));

    // Off any screen a step runs at once.
    QWidget plain;
    auto* child = new QLabel(&plain);
    bool atOnce = false;
    Screen::dressWithScreen(child, [&] { atOnce = true; });
    QVERIFY(atOnce);
}

void ScreensTest::grabbingANeverShownScreenDressesIt()
{
    QTemporaryDir folder;
    ScreenSetup setup = setupFor(QStringLiteral("MatchScreen"), QSize(320, 200));
    setup.background = twoColourPicture(folder, QSize(320, 200));
    Screen s(setup);
    auto* patch = new QLabel(&s);
    patch->setGeometry(10, 10, 20, 20);
    s.whenDressed(patch, [patch] { patch->setStyleSheet(QStringLiteral("background: rgb(0, 160, 0);")); });

    const QImage grabbed = s.grab().toImage();
    QVERIFY(s.isDressed());
    QCOMPARE(QColor(grabbed.pixel(20, 20)), QColor(0, 160, 0));
    QCOMPARE(QColor(grabbed.pixel(100, 150)), QColor(20, 120, 220));
    QCOMPARE(QColor(grabbed.pixel(250, 150)), QColor(230, 200, 40));
    QVERIFY(showAndWait(&s));
    QCOMPARE(s.grab().toImage(), grabbed);
}

void ScreensTest::ownerPanelToggleTwice()
{
    Screen s(setupFor(QStringLiteral("SaleFlatEntry")));
    auto* details = new QLabel(QStringLiteral("Ahmet Yılmaz"), &s);
    details->setGeometry(20, 200, 200, 60);
    auto* cover = new QLabel(&s);
    cover->setGeometry(details->geometry());
    auto* toggle = new LabelButton(OwnerPanelToggle::showCaption(), &s);
    toggle->setGeometry(20, 170, 160, 20);
    OwnerPanelToggle::install(toggle, cover);
    QVERIFY(showAndWait(&s));
    QVERIFY(cover->isVisible());

    click(toggle, Qt::LeftButton);
    QVERIFY(cover->isHidden());
    QCOMPARE(toggle->text(), QStringLiteral("Emlak Sahibini Gösterme"));
    QCOMPARE(QAccessible::queryAccessibleInterface(toggle)->text(QAccessible::Name),
             QStringLiteral("Emlak Sahibini Gösterme"));

    // Kept while the screen is away.
    s.close();
    QVERIFY(showAndWait(&s));
    QVERIFY(cover->isHidden());

    click(toggle, Qt::LeftButton);
    QVERIFY(cover->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("Emlak Sahibini Göster"));
}

QTEST_MAIN(ScreensTest)
#include "tst_screens.moc"
