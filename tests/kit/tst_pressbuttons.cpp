// Label buttons, icon buttons and click labels: press look, release, capture, and the
// exit/minimise actions wired to them.

#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/windowbuttons.h"
#include "support/behaviourtesting.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace behaviourtest;

namespace {

// Records the position of every release a widget receives.
struct ReleaseRecorder : QObject {
    QList<QPoint> positions;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonRelease)
            positions << static_cast<QMouseEvent*>(e)->position().toPoint();
        return false;
    }
};

struct Host {
    QWidget window;
    QLabel* background;
    LabelButton* first;
    LabelButton* second;
    QLabel* shared;
    IconButton* icon;
    QLabel* iconPressed;

    Host()
    {
        window.resize(400, 300);
        background = new QLabel(&window);
        background->setGeometry(0, 0, 400, 300);
        shared = new QLabel(&window);
        first = new LabelButton(QStringLiteral("Kiralık Daireler"), &window);
        first->setGeometry(20, 20, 120, 20);
        second = new LabelButton(QStringLiteral("Satılık Daireler"), &window);
        second->setGeometry(20, 60, 120, 20);
        first->setPressedPicture(shared);
        second->setPressedPicture(shared);
        icon = new IconButton(QStringLiteral("Çıkış"), &window);
        icon->setGeometry(360, 10, 16, 16);
        QPixmap look(16, 16);
        look.fill(Qt::red);
        iconPressed = icon->createPressedPicture(look);
    }
};

int indexIn(QWidget* w)
{
    return w->parentWidget()->children().indexOf(w);
}

} // namespace

class PressButtonsTest : public QObject {
    Q_OBJECT
private slots:
    void pressedPicturesStartHidden();
    void leftPressReleasedElsewhereActs();
    void rightPressReleasedElsewhereWaitsForReleaseOnLabel();
    void rightReleaseOverAnotherButtonActsThere();
    void sharedPictureMovesBehindPressedButton();
    void iconRightClickActsWithoutPressedLook();
    void iconLeftPressShowsLookOverIcon();
    void accessibleNameAndPressAction();
    void clickLabelActsOnlyOnLeftClickOverIt();
    void exitAndMinimiseActions();
};

void PressButtonsTest::pressedPicturesStartHidden()
{
    Host h;
    QVERIFY(showAndWait(&h.window));
    QVERIFY(!h.shared->isVisible());
    QVERIFY(!h.iconPressed->isVisible());
    QVERIFY(h.shared->testAttribute(Qt::WA_TransparentForMouseEvents));
}

void PressButtonsTest::leftPressReleasedElsewhereActs()
{
    Host h;
    QVERIFY(showAndWait(&h.window));
    ReleaseRecorder recorder;
    h.first->installEventFilter(&recorder);
    bool pictureHiddenWhenActing = false;
    QObject::connect(h.first, &PressButton::activated,
                     [&] { pictureHiddenWhenActing = !h.shared->isVisible(); });
    QSignalSpy acted(h.first, &PressButton::activated);

    press(h.first, Qt::LeftButton);
    QVERIFY(h.shared->isVisible());
    QCOMPARE(h.shared->geometry(), h.first->geometry());
    QVERIFY(indexIn(h.shared) < indexIn(h.first));  // under the text
    QCOMPARE(acted.count(), 0);

    // Drag off over the background and release there: the grab still brings the
    // release to the button, outside its rectangle, and the action runs.
    moveTo(h.background, QPoint(300, 250));
    release(h.background, Qt::LeftButton, QPoint(300, 250));
    QCOMPARE(acted.count(), 1);
    QVERIFY(pictureHiddenWhenActing);
    QVERIFY(!h.shared->isVisible());
    QCOMPARE(recorder.positions.size(), 1);
    QVERIFY(!h.first->rect().contains(recorder.positions.first()));
    QCOMPARE(QWidget::mouseGrabber(), nullptr);  // no explicit grab is left behind
}

void PressButtonsTest::rightPressReleasedElsewhereWaitsForReleaseOnLabel()
{
    Host h;
    QVERIFY(showAndWait(&h.window));
    QSignalSpy acted(h.first, &PressButton::activated);

    press(h.first, Qt::RightButton);
    QVERIFY(h.shared->isVisible());  // any button shows the look on a label button
    release(h.background, Qt::RightButton, QPoint(300, 250));
    QCOMPARE(acted.count(), 0);
    QVERIFY(h.shared->isVisible());  // stays until a release on the label

    click(h.first, Qt::RightButton);
    QCOMPARE(acted.count(), 1);
    QVERIFY(!h.shared->isVisible());
}

void PressButtonsTest::rightReleaseOverAnotherButtonActsThere()
{
    Host h;
    QVERIFY(showAndWait(&h.window));
    QSignalSpy firstActed(h.first, &PressButton::activated);
    QSignalSpy iconActed(h.icon, &PressButton::activated);

    press(h.first, Qt::RightButton);
    release(h.icon, Qt::RightButton);
    QCOMPARE(firstActed.count(), 0);
    QCOMPARE(iconActed.count(), 1);
    QVERIFY(h.shared->isVisible());
}

void PressButtonsTest::sharedPictureMovesBehindPressedButton()
{
    Host h;
    QVERIFY(showAndWait(&h.window));
    press(h.second, Qt::LeftButton);
    QCOMPARE(h.shared->geometry(), h.second->geometry());
    QVERIFY(indexIn(h.shared) < indexIn(h.second));
    release(h.second, Qt::LeftButton);
    QVERIFY(!h.shared->isVisible());

    press(h.first, Qt::LeftButton);
    QCOMPARE(h.shared->geometry(), h.first->geometry());
    release(h.first, Qt::LeftButton);
}

void PressButtonsTest::iconRightClickActsWithoutPressedLook()
{
    Host h;
    QVERIFY(showAndWait(&h.window));
    QSignalSpy acted(h.icon, &PressButton::activated);

    press(h.icon, Qt::RightButton);
    QVERIFY(!h.iconPressed->isVisible());
    release(h.icon, Qt::RightButton);
    QCOMPARE(acted.count(), 1);

    // Released off the icon, another button does nothing.
    press(h.icon, Qt::MiddleButton);
    release(h.background, Qt::MiddleButton, QPoint(200, 200));
    QCOMPARE(acted.count(), 1);
}

void PressButtonsTest::iconLeftPressShowsLookOverIcon()
{
    Host h;
    QVERIFY(showAndWait(&h.window));
    QSignalSpy acted(h.icon, &PressButton::activated);

    press(h.icon, Qt::LeftButton);
    QVERIFY(h.iconPressed->isVisible());
    QCOMPARE(h.iconPressed->geometry(), h.icon->geometry());
    QVERIFY(indexIn(h.iconPressed) > indexIn(h.icon));  // over the icon
    moveTo(h.background, QPoint(10, 280));
    release(h.background, Qt::LeftButton, QPoint(10, 280));
    QCOMPARE(acted.count(), 1);
    QVERIFY(!h.iconPressed->isVisible());
}

void PressButtonsTest::accessibleNameAndPressAction()
{
    Host h;
    h.first->setObjectName(QStringLiteral("KiralikDaireler"));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(h.first);
    QVERIFY(a);
    QCOMPARE(a->role(), QAccessible::Button);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Kiralık Daireler"));
    QVERIFY(a->actionInterface());
    QVERIFY(a->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));

    QSignalSpy acted(h.first, &PressButton::activated);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(acted.count(), 1);

    h.first->setText(QStringLiteral("Yeni"));
    QCOMPARE(h.first->accessibleName(), QStringLiteral("Yeni"));
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Yeni"));

    QAccessibleInterface* icon = QAccessible::queryAccessibleInterface(h.icon);
    QCOMPARE(icon->text(QAccessible::Name), QStringLiteral("Çıkış"));
    QVERIFY(icon->actionInterface());
}

void PressButtonsTest::clickLabelActsOnlyOnLeftClickOverIt()
{
    Host h;
    auto* item = new ClickLabel(QStringLiteral("Emlak Girişi"), &h.window);
    item->setGeometry(200, 100, 100, 20);
    QVERIFY(showAndWait(&h.window));
    QSignalSpy clicked(item, &ClickLabel::clicked);

    click(item, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    click(item, Qt::RightButton);
    QCOMPARE(clicked.count(), 1);
    press(item, Qt::LeftButton);
    release(h.background, Qt::LeftButton, QPoint(10, 280));
    QCOMPARE(clicked.count(), 1);
}

void PressButtonsTest::exitAndMinimiseActions()
{
    Host h;
    QWidget other;
    other.resize(100, 100);
    QWidget hiddenScreen;
    QVERIFY(showAndWait(&h.window));
    QVERIFY(showAndWait(&other));

    ExitButton::install(h.icon, &other);
    click(h.icon, Qt::LeftButton);
    QVERIFY(other.isHidden());

    MinimiseButton::install(h.second, &h.window);
    click(h.second, Qt::LeftButton);
    QVERIFY(h.window.windowState() & Qt::WindowMinimized);

    h.window.showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    QVERIFY(showAndWait(&other));
    QVERIFY(!(h.window.windowState() & Qt::WindowMinimized));
    MinimiseButton::minimiseApplication();
    QVERIFY(h.window.windowState() & Qt::WindowMinimized);
    QVERIFY(other.windowState() & Qt::WindowMinimized);
    QVERIFY(!(hiddenScreen.windowState() & Qt::WindowMinimized));  // hidden ones are left alone
}

QTEST_MAIN(PressButtonsTest)
#include "tst_pressbuttons.moc"
