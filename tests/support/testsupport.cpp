#include "support/testsupport.h"

#include "app/screens.h"
#include "platform/engine/dataset.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocale>
#include <QTest>
#include <QWidget>

void useTurkishLocale()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
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

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

bool activate(QWidget* window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void registerStandInScreen(const QString& name)
{
    Screens::registerFactory(name, [name](Screens&) {
        auto* stand = new QWidget;
        stand->setObjectName(name);
        stand->resize(100, 100);
        return stand;
    });
}
