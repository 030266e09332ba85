#include "shell/programscreens.h"

#include "definitions/definitionscreens.h"
#include "entry/landrequestentry.h"
#include "entry/listingentry.h"
#include "logs/loglists.h"
#include "phonebook/phonebookscreens.h"
#include "matching/matchingscreens.h"
#include "search/searchscreens.h"
#include "shell/aboutbox.h"
#include "shell/mainwindow.h"

#include <QHash>

const QStringList& startUpOrder()
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

ScreenMakers programScreens()
{
    // What each subsystem makes, by name; then put in the start-up order.
    const ScreenMakers shellScreens{
        {QStringLiteral("MainWindow"), [](Screens& s) { return new MainWindow(s); }},
        {QStringLiteral("AboutBox"), [](Screens&) { return new AboutBox; }},
    };
    QHash<QString, ScreenMaker> byName;
    for (const ScreenMakers& group : {shellScreens, listingEntryScreens(), landAndRequestScreens(), logScreens(),
                                      withMissingDataNotices(searchScreens()), definitionScreens(),
                                      phoneBookScreens(), matchingScreens()}) {
        for (const ScreenMaker& maker : group)
            byName.insert(maker.name, maker);
    }
    ScreenMakers inOrder;
    for (const QString& name : startUpOrder()) {
        if (byName.contains(name))
            inOrder << byName.value(name);
    }
    return inOrder;
}
