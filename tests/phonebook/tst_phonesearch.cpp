// Finding contacts on the two phone-book searches: every field with every
// match kind over a small book of Turkish names, a quote in a name, an empty
// choice, show-all, and a double-click opening the contact.
#include "kit/behaviours/pressbutton.h"
#include "phonebook/phonebookscreens.h"
#include "phonebook/phoneentry.h"
#include "phonebook/phonesearch.h"
#include "platform/engine/dataset.h"
#include "platform/controls/dbgrid.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

namespace {

struct Contact {
    QString name, surname, province;
};

// In key order; every surname is different, so the results are read by surname.
const QList<Contact>& book()
{
    static const QList<Contact> contacts{
        {"Işıl", "Şahin", "İstanbul"},         {"İsmail", "Çelik", "İzmir"}, {"Ayşe", "Yılmaz", "Ankara"},
        {"Hasan \"Usta\"", "Öztürk", "Iğdır"}, {"Ali", "Işık", "Ankara"},    {"", "Kaya", ""},
    };
    return contacts;
}

enum Field { Name, Surname, Province };
enum Match { Equals, BeginsWith, EndsWith, Contains };

} // namespace

class PhoneSearchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    Installed<CollectingReporter> m_messages;

    PhoneSearch* screen(const QString& name) const { return m_screens->get<PhoneSearch>(name); }

    // What a clerk does: pick the field and the match, type, click the picture.
    QStringList find(PhoneSearch* search, int field, int match, const QString& typed)
    {
        search->show();
        search->fieldChoice()->setCurrentIndex(field);
        search->matchChoice()->setCurrentIndex(match);
        search->searchText()->clear();
        typeText(search->searchText(), typed);
        clickCentre(search->searchButton());
        return surnames(search);
    }
    static QStringList surnames(PhoneSearch* search)
    {
        return search->query()->isActive() ? valuesOf(*search->query(), QStringLiteral("Soyad")) : QStringList();
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        m_store = std::make_unique<ScratchStore>();
        Table contacts(*m_store->db, QStringLiteral("tel"));
        contacts.open();
        for (const Contact& contact : book()) {
            contacts.append();
            contacts.setText(QStringLiteral("Ad"), contact.name);
            contacts.setText(QStringLiteral("Soyad"), contact.surname);
            contacts.setText(QStringLiteral("Il"), contact.province);
            contacts.post();
        }
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(phoneBookScreens());
    }

    void cleanupTestCase()
    {
        m_screens.reset();
        m_store.reset();
    }

    void eachFieldWithEachMatch_data()
    {
        QTest::addColumn<QString>("twin");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("match");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        const auto rows = [](const char* twin) {
            const QString t = QString::fromLatin1(twin);
            const auto row = [&t](const char* tag) { return &(QTest::newRow(qPrintable(t + ": " + tag)) << t); };
            *row("ad eşleşir, any case") << int(Name) << int(Equals) << "AYŞE" << QStringList{"Yılmaz"};
            *row("ad eşleşir, a quote") << int(Name) << int(Equals) << "hasan \"usta\"" << QStringList{"Öztürk"};
            *row("ad eşleşir, % is a letter") << int(Name) << int(Equals) << "Ay%" << QStringList{};
            *row("ad eşleşir, empty finds the blank") << int(Name) << int(Equals) << "" << QStringList{"Kaya"};
            *row("ad ile başlar, I pairs with ı") << int(Name) << int(BeginsWith) << "IŞ"
                                                  << QStringList{"Şahin", "Çelik"};
            *row("ad ile biter") << int(Name) << int(EndsWith) << "ŞE" << QStringList{"Yılmaz"};
            *row("ad içerir, a quote") << int(Name) << int(Contains) << "\"us" << QStringList{"Öztürk"};
            *row("soyad eşleşir") << int(Surname) << int(Equals) << "çelik" << QStringList{"Çelik"};
            *row("soyad ile başlar, ı") << int(Surname) << int(BeginsWith) << "ı" << QStringList{"Işık"};
            *row("soyad ile biter") << int(Surname) << int(EndsWith) << "in" << QStringList{"Şahin"};
            *row("soyad içerir") << int(Surname) << int(Contains) << "TÜR" << QStringList{"Öztürk"};
            *row("il eşleşir") << int(Province) << int(Equals) << "ankara" << QStringList{"Yılmaz", "Işık"};
            *row("il ile başlar, İ pairs with i") << int(Province) << int(BeginsWith) << "iz"
                                                  << QStringList{"Çelik"};
            *row("il ile biter") << int(Province) << int(EndsWith) << "BUL" << QStringList{"Şahin"};
            *row("il içerir") << int(Province) << int(Contains) << "DI" << QStringList{"Öztürk"};
        };
        rows("PhoneSearch");
        rows("PhoneEdit");
    }

    void eachFieldWithEachMatch()
    {
        QFETCH(QString, twin);
        QFETCH(int, field);
        QFETCH(int, match);
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        QCOMPARE(find(screen(twin), field, match, typed), found);
        QVERIFY(m_messages.shown.isEmpty());
    }

    void anEmptyChoiceLeavesTheResult()
    {
        PhoneSearch* search = screen(QStringLiteral("PhoneSearch"));
        QCOMPARE(find(search, Province, Equals, QStringLiteral("Ankara")), (QStringList{"Yılmaz", "Işık"}));

        // The match taken away: the same statement, the same rows.
        search->matchChoice()->setCurrentIndex(-1);
        typeText(search->searchText(), QStringLiteral("zzz"));
        clickCentre(search->searchButton());
        QCOMPARE(surnames(search), (QStringList{"Yılmaz", "Işık"}));
        // The field taken away instead.
        search->matchChoice()->setCurrentIndex(Contains);
        search->fieldChoice()->setCurrentIndex(-1);
        clickCentre(search->searchButton());
        QCOMPARE(surnames(search), (QStringList{"Yılmaz", "Işık"}));

        clickCentre(search->showAllButton());
        QCOMPARE(surnames(search).size(), book().size());
    }

    void doubleClickOpensTheContact_data()
    {
        QTest::addColumn<QString>("twin");
        QTest::newRow("PhoneSearch") << QStringLiteral("PhoneSearch");
        QTest::newRow("PhoneEdit") << QStringLiteral("PhoneEdit");
    }

    void doubleClickOpensTheContact()
    {
        QFETCH(QString, twin);
        PhoneSearch* search = screen(twin);
        auto* entry = m_screens->get<PhoneEntry>(QStringLiteral("PhoneEntry"));
        entry->cursor()->first();
        entry->hide();
        QCOMPARE(find(search, Surname, BeginsWith, QStringLiteral("öz")), QStringList{"Öztürk"});
        search->show();
        DbGrid* grid = search->grid();
        const QPoint cell = grid->visualRect(grid->model()->index(0, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QVERIFY(entry->isVisible());
        QCOMPARE(entry->cursor()->text(QStringLiteral("Soyad")), QStringLiteral("Öztürk"));
        QCOMPARE(entry->cursor()->text(QStringLiteral("Ad")), QStringLiteral("Hasan \"Usta\""));
        search->hide();
    }
};

QTEST_MAIN(PhoneSearchTest)
#include "tst_phonesearch.moc"
