#include "phonebook/phonebookscreens.h"

#include "phonebook/phonebook.h"
#include "phonebook/phoneentry.h"
#include "phonebook/phonesearch.h"

ScreenMakers phoneBookScreens()
{
    ScreenMakers makers{
        {QStringLiteral("PhoneBook"), [](Screens& s) { return new PhoneBook(s); }},
        {QStringLiteral("PhoneEntry"), [](Screens& s) { return new PhoneEntry(s); }},
    };
    for (const PhoneSearchTwin& twin : PhoneSearch::twins())
        makers.append({twin.programName, [&twin](Screens& s) { return new PhoneSearch(s, twin); }});
    return makers;
}
