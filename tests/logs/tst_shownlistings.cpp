// The listings a showing covered: a place filled by picking a listing keeps
// the listing's key beside the log, a place typed by hand keeps none, and the
// call sheet asks which listings each request's customer has been shown.

#include "kit/behaviours/pressbutton.h"
#include "logs/loglists.h"
#include "logs/showingentry.h"
#include "logs/showingplaces.h"
#include "data/shownlistings.h"
#include "matching/findingswindow.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"
#include "support/fakes.h"
#include "support/searchtesting.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

using searchtest::insertRow;
using namespace ShownListings;

namespace {

const QString Kadikoy = QStringLiteral("Kadıköy");
const QString Besiktas = QStringLiteral("Beşiktaş");
const QString LinkTable = QStringLiteral("gosterilenilanlar");

// The addresses the list shows, wherever its register puts them.
QStringList addresses(const FindingsWindow* window)
{
    QTableWidget* list = window->list();
    int column = -1;
    for (int c = 0; c < list->columnCount(); ++c)
        if (list->horizontalHeaderItem(c)->text() == QStringLiteral("Adres"))
            column = c;
    QStringList texts;
    for (int r = 0; r < window->list()->rowCount(); ++r)
        texts << window->list()->item(r, column)->text();
    return texts;
}

QString keyOf(const QString& log)
{
    return log == QStringLiteral("gosterilenkd") ? QStringLiteral("Gosterilenkno") : QStringLiteral("Gosterilensno");
}

} // namespace

class ShownListingsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    Installed<CollectingReporter> m_messages;
    QHash<QString, qint64> m_keys; // listings by their address

    qint64 add(const QString& table, const QVariantMap& values)
    {
        insertRow(*m_store->db, table, values);
        const qint64 key = m_store->db->lastInsertKey();
        m_keys.insert(values.value(QStringLiteral("Adres")).toString(), key);
        return key;
    }

    // The stored links, "<place>:<register>:<key>", in place order.
    QStringList stored(const QString& log, qint64 showing)
    {
        QStringList links;
        m_store->db->select(QStringLiteral("SELECT \"Yer\", \"IlanKayit\", \"IlanNo\" FROM gosterilenilanlar "
                                           "WHERE \"Kayit\" = ? AND \"GosterimNo\" = ? ORDER BY \"Yer\""),
                            {log, showing}, [&](const SqlStatement& row) {
                                links << QStringLiteral("%1:%2:%3").arg(row.integer(0)).arg(row.text(1)).arg(row.integer(2));
                            });
        return links;
    }

    QString link(const QString& table, const QString& address) const
    {
        return QStringLiteral("%1:%2").arg(table).arg(m_keys.value(address));
    }

    ShowingEntry* entryFor(const QString& log)
    {
        return m_screens->get<ShowingEntry>(log == QStringLiteral("gosterilenkd") ? "ShownRentalEntry"
                                                                                   : "ShownSaleEntry");
    }

    // Picks the listing at that address into the place, as a clerk does:
    // the place's action, the register chosen, the address typed, Enter.
    void pickByHand(ShowingEntry* entry, int place, const QString& registerCaption, const QString& address)
    {
        QTest::mouseClick(ShowingPlaces::pickAction(entry, place), Qt::LeftButton);
        FindingsWindow* picker = ShowingPlaces::picker(entry);
        QVERIFY(picker && picker->isVisible());
        auto* registers = picker->findChild<QComboBox*>("ComboKayit");
        registers->setCurrentIndex(registers->findText(registerCaption));
        QVERIFY2(registers->currentText() == registerCaption, qPrintable(registerCaption));
        auto* filter = picker->findChild<QLineEdit*>("EditAra");
        filter->setText(address);
        QCOMPARE(picker->rows().size(), 1);
        QTest::keyClick(filter, Qt::Key_Return);
        QVERIFY(!picker->isVisible());
    }

private slots:
    void initTestCase() { useTurkishLocale(); }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        Database& db = *m_store->db;
        searchtest::addDistrict(db, Kadikoy);
        searchtest::addDistrict(db, Besiktas);
        m_keys.clear();
        add("kdgiris", {{"Semtadi", Kadikoy}, {"Durum", "Kiralanmadı"}, {"Fiyati", 12500.0}, {"Metre2", 95.0},
                        {"Oda", "3+1"}, {"Adres", "Moda Cad. 5"}});
        add("kdgiris", {{"Semtadi", Besiktas}, {"Durum", "Kiralanmadı"}, {"Fiyati", 18000.0}, {"Metre2", 120.0},
                        {"Oda", "2+1"}, {"Adres", "Akaretler 4"}});
        add("kdgiris", {{"Semtadi", Kadikoy}, {"Durum", "Kiralandı"}, {"Fiyati", 9000.0}, {"Adres", "Moda Cad. 9"}});
        add("kegiris", {{"Semtadi", Kadikoy}, {"Durum", "Kiralanmadı"}, {"Fiyati", 30000.0}, {"Oda", "5+1"},
                        {"Adres", "Fenerbahçe Köşkü"}});
        add("arsa", {{"Semt", Besiktas}, {"Durum", "Satılmadı"}, {"Fiyati", 2000000.0}, {"Metre2", "450"},
                     {"Adres", "Ulus Sırtı"}});
        add("sdgiris", {{"Semtadi", Kadikoy}, {"Durum", "Satılmadı"}, {"Fiyati", 4500000.0}, {"Oda", "3+1"},
                        {"Adres", "Bağdat Cad. 300"}});
        m_screens = std::make_unique<Screens>(db);
        m_screens->createAll(logScreens());
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        QCOMPARE(std::exchange(m_messages.shown, {}), QStringList());
    }

    // --- the rules -------------------------------------------------------------

    void rulesOfPlacesAndPhones()
    {
        // As a clerk types it, and never longer than the place holds: the
        // address gives way, the district, rooms and price stay.
        QCOMPARE(placeText(Kadikoy, "Moda Cad.  5", "3+1", "12.500"), QStringLiteral("Kadıköy, Moda Cad. 5, 3+1, 12.500"));
        QCOMPARE(placeText("", "", "", "12.500"), QStringLiteral("12.500"));
        const QString longOne = placeText(Kadikoy, "Caferağa Mahallesi Mühürdar Caddesi Nazlı Sokak No 12 Daire 4",
                                          "3+1", "12.500");
        QVERIFY2(longOne.size() <= 50, qPrintable(longOne));
        QVERIFY2(longOne.startsWith("Kadıköy, Caferağa") && longOne.endsWith("., 3+1, 12.500"), qPrintable(longOne));
        QVERIFY(placeText(QString(60, 'x'), "a", "b", "c").size() == 50);

        QVERIFY(stillShows("Kadıköy, Moda 5 ", "Kadıköy, Moda 5"));
        QVERIFY(stillShows("Kadıköy, Moda 5 (anahtar kapıcıda)", "Kadıköy, Moda 5"));
        QVERIFY(!stillShows("Kadıköy, Moda 7", "Kadıköy, Moda 5"));
        QVERIFY(!stillShows("", "Kadıköy, Moda 5"));
        QVERIFY(!stillShows("Kadıköy", ""));

        // One number however it is written; no digits, no number.
        QCOMPARE(phoneKey("(532) 123-45-67"), QStringLiteral("5321234567"));
        QCOMPARE(phoneKey("0532 123 45 67"), QStringLiteral("5321234567"));
        QCOMPARE(phoneKey("+90 532 123 45 67"), QStringLiteral("5321234567"));
        QCOMPARE(phoneKey("(   )    -  -  "), QString());

        QCOMPARE(registersFor("gosterilenkd.db"), (QStringList{"kdgiris", "kegiris", "arsa"}));
        QCOMPARE(registersFor("gosterilensd"), (QStringList{"sdgiris", "segiris", "arsa"}));
    }

    // --- the screens -------------------------------------------------------------

    void pickThenPostKeepsTheLinksAndCancelForgetsThem_data()
    {
        QTest::addColumn<QString>("log");
        QTest::newRow("rentals") << "gosterilenkd";
        QTest::newRow("sales") << "gosterilensd";
    }

    void pickThenPostKeepsTheLinksAndCancelForgetsThem()
    {
        QFETCH(QString, log);
        const bool rentals = log == "gosterilenkd";
        ShowingEntry* entry = entryFor(log);
        QVERIFY(activate(entry));
        Table* cursor = entry->cursor();
        ShowingLinks* links = ShowingPlaces::links(entry);

        // On an empty log a pick begins the record.
        const QString flats = rentals ? "Kiralık Daireler" : "Satılık Daireler";
        const QString flat = rentals ? "Moda Cad. 5" : "Bağdat Cad. 300";
        const QString flatTable = rentals ? "kdgiris" : "sdgiris";
        pickByHand(entry, 1, flats, flat);
        QCOMPARE(cursor->state(), DatasetState::Insert);
        QVERIFY2(cursor->text("G1").startsWith(Kadikoy + ", " + flat + ", 3+1, "), qPrintable(cursor->text("G1")));
        QCOMPARE(entry->place(1)->toPlainText(), cursor->text("G1"));
        cursor->setText("AdiSoyadi", "Ayşe Yılmaz");
        cursor->setText("G2", "Kozyatağı'nda bir daire");
        pickByHand(entry, 3, "Arsa ve Arazi", "Ulus");
        QCOMPARE(cursor->text("G3"), QStringLiteral("Beşiktaş, Ulus Sırtı, 450 m², 2.000.000"));

        // The screen says which places are linked, before and after the post.
        QCOMPARE(ShowingPlaces::pickAction(entry, 1)->text(), QStringLiteral("✔"));
        QCOMPARE(ShowingPlaces::pickAction(entry, 2)->text(), QStringLiteral("…"));
        QCOMPARE(entry->findChild<QLabel*>("LabelBagliIlanlar")->text(), QStringLiteral("İlana bağlı: 1, 3"));
        QVERIFY2(entry->place(3)->toolTip().contains("Arsa ve Arazi, No " + QString::number(m_keys.value("Ulus Sırtı"))),
                 qPrintable(entry->place(3)->toolTip()));
        QCOMPARE(ShowingPlaces::pickAction(entry, 2)->accessibleName(), QStringLiteral("2. yer için ilan seç"));

        QCOMPARE(rowsOnDisk(m_store->path(), LinkTable), 0); // nothing before the post
        cursor->post();
        const qint64 showing = cursor->integer(keyOf(log));
        const QStringList both{"1:" + link(flatTable, flat), "3:" + link("arsa", "Ulus Sırtı")};
        QCOMPARE(stored(log, showing), both);
        QCOMPARE(rowsOnDisk(m_store->path(), LinkTable), 2);
        QCOMPARE(links->link(1), (Link{flatTable, m_keys.value(flat)}));
        QVERIFY(!links->link(2).isSet());

        // A pick cancelled leaves the showing as it was.
        const QString before = cursor->text("G2");
        const QString other = rentals ? "Fenerbahçe Köşkü" : "Ulus Sırtı";
        pickByHand(entry, 2, rentals ? "Kiralık Emlaklar" : "Arsa ve Arazi", other);
        QCOMPARE(cursor->state(), DatasetState::Edit);
        QVERIFY(links->link(2).isSet());
        cursor->cancel();
        QCOMPARE(cursor->text("G2"), before);
        QVERIFY(!links->link(2).isSet());
        QCOMPARE(stored(log, showing), both);

        // Another record and back: its links are read again.
        cursor->append();
        cursor->setText("AdiSoyadi", "Veli Can");
        cursor->post();
        QVERIFY(!links->link(1).isSet());
        QCOMPARE(entry->findChild<QLabel*>("LabelBagliIlanlar")->text(), QString());
        QVERIFY(cursor->locate(keyOf(log), showing));
        QCOMPARE(links->link(3), (Link{"arsa", m_keys.value("Ulus Sırtı")}));
        QCOMPARE(rowsOnDisk(m_store->path(), LinkTable), 2);
    }

    // Typing over a picked place, or clearing it, drops its link on the post;
    // words added after the pick keep it. Deleting the showing drops them all.
    void typedOverOrClearedPlacesLoseTheirLinks()
    {
        ShowingEntry* entry = entryFor("gosterilenkd");
        QVERIFY(activate(entry));
        Table* cursor = entry->cursor();
        ShowingLinks* links = ShowingPlaces::links(entry);
        cursor->append();
        cursor->setText("AdiSoyadi", "Ali Veli");
        QVERIFY(links->pick(1, "kdgiris", m_keys.value("Moda Cad. 5")));
        QVERIFY(links->pick(2, "kdgiris", m_keys.value("Akaretler 4")));
        QVERIFY(links->pick(3, "kegiris", m_keys.value("Fenerbahçe Köşkü")));
        QVERIFY(links->pick(4, "arsa", m_keys.value("Ulus Sırtı")));
        QVERIFY(!links->pick(4, "arsa", 9999)); // gone from its register: the place keeps its pick
        QCOMPARE(links->link(4).key, m_keys.value("Ulus Sırtı"));
        cursor->post();
        const qint64 showing = cursor->integer("Gosterilenkno");
        QCOMPARE(stored("gosterilenkd", showing).size(), 4);

        // By the keyboard, as a clerk types: over place 1, after place 3.
        QVERIFY(focusOn(entry->place(1)));
        QTest::keyClick(entry->place(1), Qt::Key_A, Qt::ControlModifier);
        type("Moda'da bir daire");
        QVERIFY(focusOn(entry->place(3)));
        entry->place(3)->moveCursor(QTextCursor::End);
        type(" (bahçeli)");
        QVERIFY(focusOn(entry->place(2)));
        QVERIFY(!links->link(1).isSet()); // said at once, not only after the post
        cursor->setText("G2", "");
        cursor->post();
        QCOMPARE(stored("gosterilenkd", showing),
                 (QStringList{"3:" + link("kegiris", "Fenerbahçe Köşkü"), "4:" + link("arsa", "Ulus Sırtı")}));
        QCOMPARE(cursor->text("G1"), QStringLiteral("Moda'da bir daire"));

        // A post that changes nothing of the places keeps what is stored.
        cursor->edit();
        cursor->setText("Tarih", "12.03.2026");
        cursor->post();
        QCOMPARE(stored("gosterilenkd", showing).size(), 2);

        cursor->remove();
        QCOMPARE(rowsOnDisk(m_store->path(), LinkTable), 0);
    }

    // The list offers only the registers that fit the log, on-offer listings
    // only, narrowed by any word of a row however its letters are typed; F4
    // in a place opens it for that place.
    void theListFitsTheLogAndNarrowsAsTyped()
    {
        ShowingEntry* entry = entryFor("gosterilenkd");
        QVERIFY(activate(entry));
        QVERIFY(focusOn(entry->place(2)));
        QTest::keyClick(entry->place(2), Qt::Key_F4);
        FindingsWindow* picker = ShowingPlaces::picker(entry);
        QVERIFY(picker && picker->isVisible());
        auto* registers = picker->findChild<QComboBox*>("ComboKayit");
        QStringList offered;
        for (int i = 0; i < registers->count(); ++i)
            offered << registers->itemText(i);
        QCOMPARE(offered, (QStringList{"Kiralık Daireler", "Kiralık Emlaklar", "Arsa ve Arazi"}));
        registers->setCurrentIndex(0);
        QCOMPARE(sortedCopy(addresses(picker)), (QStringList{"Akaretler 4", "Moda Cad. 5"})); // not the let one
        auto* filter = picker->findChild<QLineEdit*>("EditAra");
        filter->setText("KADIKOY");
        QCOMPARE(addresses(picker), QStringList{"Moda Cad. 5"});
        filter->setText("besiktas 2+1");
        QCOMPARE(addresses(picker), QStringList{"Akaretler 4"});
        QVERIFY2(picker->notice().contains("2. yere"), qPrintable(picker->notice()));
        filter->setText("yok böyle");
        QCOMPARE(picker->rows().size(), 0);
        QTest::keyClick(filter, Qt::Key_Return); // nothing to pick: nothing happens
        QVERIFY(picker->isVisible());
        filter->clear();

        // Down into the list, Enter on the row.
        QTest::keyClick(filter, Qt::Key_Down);
        const int row = int(addresses(picker).indexOf("Akaretler 4"));
        picker->list()->setCurrentCell(row, 0);
        QTest::keyClick(picker->list(), Qt::Key_Return);
        QVERIFY(!picker->isVisible());
        QVERIFY(entry->cursor()->text("G2").startsWith(Besiktas + ", Akaretler 4"));
        QCOMPARE(ShowingPlaces::links(entry)->link(2).key, m_keys.value("Akaretler 4"));
        entry->cursor()->cancel();

        ShowingEntry* sales = entryFor("gosterilensd");
        ShowingPlaces::pickInto(sales, 1);
        auto* saleRegisters = ShowingPlaces::picker(sales)->findChild<QComboBox*>("ComboKayit");
        QCOMPARE(saleRegisters->itemText(0), QStringLiteral("Satılık Daireler"));
        QCOMPARE(saleRegisters->count(), 3);
        ShowingPlaces::picker(sales)->hide();
    }

    // Showings typed before places could be picked load and post as before.
    void freeTextShowingsStayAsTheyAre()
    {
        insertRow(*m_store->db, "gosterilensd", {{"AdiSoyadi", "Eski Müşteri"}, {"Tarih", "01.02.2020"},
                                                 {"G1", "Bağdat Cad. bir daire"}, {"G2", "Suadiye"}});
        ShowingEntry* entry = entryFor("gosterilensd");
        Table* cursor = entry->cursor();
        cursor->refresh();
        QVERIFY(cursor->locateFolded("AdiSoyadi", "Eski Müşteri"));
        QCOMPARE(entry->place(1)->toPlainText(), QStringLiteral("Bağdat Cad. bir daire"));
        ShowingLinks* links = ShowingPlaces::links(entry);
        for (int place = 1; place <= PlaceCount; ++place)
            QVERIFY(!links->link(place).isSet());
        cursor->edit();
        cursor->setText("G3", "Caddebostan");
        cursor->post();
        QCOMPARE(cursor->text("G3"), QStringLiteral("Caddebostan"));
        QCOMPARE(rowsOnDisk(m_store->path(), LinkTable), 0);
    }

    // --- what the call sheet asks -----------------------------------------------

    void requestsFindWhatTheirCustomerWasShown()
    {
        Database& db = *m_store->db;
        const auto request = [&](const QString& name, const QString& phone, const QString& mobile) {
            insertRow(db, "musteritalepleri", {{"Isim", name}, {"Telefon", phone}, {"Ceptel", mobile}});
            return db.lastInsertKey();
        };
        const auto showing = [&](const QString& log, const QString& name, const QString& date, const QString& mobile,
                                 const QList<QPair<QString, QString>>& places) {
            insertRow(db, log, {{"AdiSoyadi", name}, {"Tarih", date}, {"Ceptel", mobile}});
            const qint64 key = db.lastInsertKey();
            Links links;
            for (int i = 0; i < places.size(); ++i)
                links[i] = {places.at(i).first, m_keys.value(places.at(i).second)};
            db.inTransaction([&] { write(db, log, key, links); });
            return key;
        };
        const qint64 byName = request("AYŞE YILMAZ", "", "");
        const qint64 byPhone = request("Ayşe Hanım", "", "0532 123 45 67");
        const qint64 neither = request("Ayşe Yıldız", "(212) 555-00-00", "");
        const qint64 nameless = request("", "", "");

        showing("gosterilenkd", "  ayşe   yılmaz ", "02.03.2026", "",
                {{"kdgiris", "Moda Cad. 5"}, {"arsa", "Ulus Sırtı"}});
        showing("gosterilenkd", "Başkası", "05.03.2026", "(532) 123-45-67", {{"kdgiris", "Akaretler 4"}});
        showing("gosterilenkd", "Ayşe Yılmaz", "09.03.2026", "", {{"kdgiris", "Moda Cad. 5"}}); // again, later
        showing("gosterilenkd", "Ayşe Yılmaz", "", "", {{"kegiris", "Fenerbahçe Köşkü"}});       // undated
        showing("gosterilenkd", "", "01.03.2026", "", {{"kdgiris", "Moda Cad. 9"}});             // nobody's
        showing("gosterilensd", "Ayşe Yılmaz", "03.03.2026", "", {{"sdgiris", "Bağdat Cad. 300"}});
        insertRow(db, "gosterilenkd", {{"AdiSoyadi", "Ayşe Yıldız"}, {"G1", "Moda'da bir yer"}}); // free text

        const auto said = [&](const QVector<Shown>& shown) {
            QStringList lines;
            for (const Shown& s : shown)
                lines << QStringLiteral("%1:%2 %3").arg(s.registerTable).arg(s.key).arg(s.date.toString("dd.MM.yyyy"));
            return lines;
        };
        const QHash<qint64, QVector<Shown>> rentals = shownToRequests(db, true);
        QCOMPARE(said(rentals.value(byName)),
                 (QStringList{link("kdgiris", "Moda Cad. 5") + " 09.03.2026", link("arsa", "Ulus Sırtı") + " 02.03.2026",
                              link("kegiris", "Fenerbahçe Köşkü") + " "}));
        QCOMPARE(said(rentals.value(byPhone)), QStringList{link("kdgiris", "Akaretler 4") + " 05.03.2026"});
        QVERIFY(!rentals.contains(neither));
        QVERIFY(!rentals.contains(nameless));
        QCOMPARE(rentals.size(), 2);

        const QHash<qint64, QVector<Shown>> sales = shownToRequests(db, false);
        QCOMPARE(said(sales.value(byName)), QStringList{link("sdgiris", "Bağdat Cad. 300") + " 03.03.2026"});
        QCOMPARE(sales.size(), 1);
    }
};

QTEST_MAIN(ShownListingsTest)
#include "tst_shownlistings.moc"
