#include "support/testsupport.h"

#include "kit/screens.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/dataset.h"
#include "platform/engine/postgresengine.h"
#include "support/testserver.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>
#include <QFile>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <QWidget>

void useTurkishLocale()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

QStringList sortedCopy(QStringList texts)
{
    texts.sort();
    return texts;
}

QStringList valuesOf(Dataset& rows, const QString& field)
{
    QStringList values;
    const int column = rows.fieldIndex(field);
    const int count = rows.recordCount();
    for (int row = 0; row < count; ++row)
        values << rows.valueAt(row, column).toString();
    return values;
}

bool storesOnServer()
{
    return qEnvironmentVariable("EVLORA_TEST_STORE") == QLatin1String("server");
}

void prepareStoreFolder(const QString& folder)
{
    if (!storesOnServer())
        return;
    // One server for the whole test program, stopped when it ends; each
    // store a schema of its own on it.
    static TestServer server;
    static int stores = 0;
    const QString schema = QStringLiteral("store%1").arg(++stores);
    const QString connection = server.connectionString(QStringLiteral("postgres"))
                               + QStringLiteral(" options='-c search_path=%1'").arg(schema);
    server.execute(QStringLiteral("CREATE SCHEMA %1").arg(schema));
    PostgresEngine::createSchema(connection, Catalogue::tables(), {}, Catalogue::addedTables());
    QSaveFile setting(QDir(folder).filePath(PostgresEngine::SettingFileName));
    if (!setting.open(QIODevice::WriteOnly) || setting.write(connection.toUtf8() + '\n') < 0 || !setting.commit())
        qFatal("cannot write the server setting in %s", qPrintable(folder));
}

int rowsOnDisk(const QString& path, const QString& table, const QString& where)
{
    try {
        const std::unique_ptr<Database> other =
            Database::open(path, Catalogue::tables(), Database::ConsistencyCheck::ByCaller);
        int count = -1;
        other->select(QStringLiteral("SELECT count(*) FROM \"%1\" %2").arg(table, where), {},
                      [&](const SqlStatement& row) { count = int(row.integer(0)); });
        return count;
    } catch (const DataError&) {
        return -1;
    }
}

QString messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DataError& error) {
        return error.message();
    }
    return QStringLiteral("<no error>");
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

bool holdsFocus(QWidget* control)
{
    QWidget* focus = QApplication::focusWidget();
    return focus && (focus == control || control->isAncestorOf(focus));
}

bool focusOn(QWidget* control)
{
    control->setFocus(Qt::TabFocusReason);
    return QTest::qWaitFor([control] { return holdsFocus(control); });
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        const auto code = c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, code, QString(c), Qt::NoModifier);
    }
}

void type(const QString& text)
{
    typeText(QApplication::focusWidget(), text);
}

void typeInto(QWidget* control, const QString& text)
{
    focusOn(control);
    type(text);
}

void clickCentre(QWidget* widget, Qt::MouseButton button)
{
    QTest::mouseClick(widget, button, {}, widget->rect().center());
}

QString closeModalOpenedBy(const std::function<void()>& action)
{
    QString title;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            title = modal->windowTitle().isNull() ? QStringLiteral("") : modal->windowTitle();
            modal->close();
        }
    });
    closer.start();
    action();
    return title;
}

bool activate(QWidget* window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

ScreenMaker standInScreen(const QString& name)
{
    return {name, [name](Screens&) {
                auto* stand = new QWidget;
                stand->setObjectName(name);
                stand->resize(100, 100);
                return stand;
            }};
}
