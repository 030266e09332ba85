#include "app/screens.h"

#include <QMap>

namespace {

QMap<QString, Screens::Factory>& factories()
{
    static QMap<QString, Screens::Factory> table;
    return table;
}

} // namespace

Screens::Screens(Database& database) : m_database(database) {}

Screens::~Screens()
{
    // Screens die in the reverse order of their making; the main window last.
    for (auto it = m_created.crbegin(); it != m_created.crend(); ++it)
        delete m_screens.value(*it).data();
}

const QStringList& Screens::startUpOrder()
{
    static const QStringList order{
        QStringLiteral("MainWindow"),          QStringLiteral("RentalFlatEntry"),
        QStringLiteral("RentalFlatList"),      QStringLiteral("RentedFlatEntry"),
        QStringLiteral("RentedFlatList"),      QStringLiteral("ShownRentalEntry"),
        QStringLiteral("ShownRentalList"),     QStringLiteral("SaleFlatEntry"),
        QStringLiteral("SaleFlatList"),        QStringLiteral("SoldFlatEntry"),
        QStringLiteral("SoldFlatList"),        QStringLiteral("ShownSaleEntry"),
        QStringLiteral("ShownSaleList"),       QStringLiteral("RentalPropertyEntry"),
        QStringLiteral("RentalPropertyList"),  QStringLiteral("SalePropertyEntry"),
        QStringLiteral("SalePropertyList"),    QStringLiteral("RequestEntry"),
        QStringLiteral("RequestList"),         QStringLiteral("LandEntry"),
        QStringLiteral("LandList"),            QStringLiteral("AboutBox"),
        QStringLiteral("DistrictEntry"),       QStringLiteral("DistrictList"),
        QStringLiteral("PropertyTypeEntry"),   QStringLiteral("PropertyTypeList"),
        QStringLiteral("PhoneBook"),           QStringLiteral("PhoneEntry"),
        QStringLiteral("PhoneSearch"),         QStringLiteral("PhoneEdit"),
        QStringLiteral("MatchScreen"),         QStringLiteral("MatchListScreen"),
    };
    return order;
}

void Screens::registerFactory(const QString& name, Factory factory)
{
    factories().insert(name, std::move(factory));
}

void Screens::createAll()
{
    for (const QString& name : startUpOrder()) {
        const auto factory = factories().constFind(name);
        if (factory == factories().cend() || m_screens.contains(name))
            continue;
        QWidget* screen = (*factory)(*this);
        screen->hide();
        m_screens.insert(name, screen);
        m_created << name;
    }
}

QWidget* Screens::find(const QString& name) const
{
    return m_screens.value(name).data();
}

bool Screens::show(const QString& name) const
{
    QWidget* screen = find(name);
    if (!screen)
        return false;
    screen->show();
    screen->raise();
    screen->activateWindow();
    return true;
}
