// A closed deal filled from a listing, as a clerk records one: "İlandan" on
// the deal screen lists the flats still on offer, the one picked fills the
// deal as it would be typed, and once the deal is posted the clerk is asked
// whether the listing is now let (sold), which its register then shows.

#include "kit/behaviours/pressbutton.h"
#include "logs/dealentry.h"
#include "logs/dealfromlisting.h"
#include "logs/loglists.h"
#include "matching/findingswindow.h"
#include "support/fakes.h"
#include "support/searchtesting.h"
#include "support/testsupport.h"

#include <QTableWidget>
#include <QtTest>

using searchtest::insertRow;

namespace {

const QString Kadikoy = QStringLiteral("Kadıköy");
const QString Besiktas = QStringLiteral("Beşiktaş");

QStringList column(const FindingsWindow* window, int column)
{
    QStringList texts;
    for (int r = 0; r < window->list()->rowCount(); ++r)
        texts << window->list()->item(r, column)->text();
    return texts;
}

} // namespace

class DealFromListingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    Installed<CollectingReporter> m_messages;
    Installed<AnsweringConfirmer> m_answers{true};

    QString statusOf(const QString& table, const QString& owner)
    {
        QString status;
        m_store->db->select(QStringLiteral("SELECT \"Durum\" FROM %1 WHERE \"Isim\" = ?").arg(table), {owner},
                            [&](const SqlStatement& row) { status = row.text(0); });
        return status;
    }

    // Picks the listing at that address in the deal screen's list.
    void pick(DealEntry* deal, const QString& address)
    {
        QTest::mouseClick(deal->findChild<LabelButton*>("LabelIlandan"), Qt::LeftButton);
        FindingsWindow* picker = DealFromListing::picker(deal);
        QVERIFY(picker && picker->isVisible());
        const int row = int(column(picker, 5).indexOf(address));
        QVERIFY2(row >= 0, qPrintable(address));
        picker->list()->setCurrentCell(row, 0);
        QTest::keyClick(picker->list(), Qt::Key_Return);
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
        insertRow(db, "kdgiris", {{"Isim", "Hasan Öztürk"}, {"Semtadi", Kadikoy}, {"Durum", "Kiralanmadı"},
                                  {"Fiyati", 12500.0}, {"Metre2", 95.0}, {"Telefon", "(532) 123-45-67"},
                                  {"Adres", "Moda Cad. 5"}});
        insertRow(db, "kdgiris", {{"Isim", "Nur Er"}, {"Semtadi", Besiktas}, {"Durum", "Kiralanmadı"},
                                  {"Fiyati", 18000.0}, {"Metre2", 120.0}, {"Adres", "Akaretler 4"}});
        insertRow(db, "kdgiris", {{"Isim", "Can Ak"}, {"Semtadi", Kadikoy}, {"Durum", "Kiralandı"},
                                  {"Fiyati", 9000.0}, {"Metre2", 80.0}, {"Adres", "Moda Cad. 9"}});
        insertRow(db, "sdgiris", {{"Isim", "Ece Su"}, {"Semtadi", Kadikoy}, {"Durum", "Satılmadı"},
                                  {"Fiyati", 4500000.0}, {"Metre2", 110.0}, {"Adres", "Bağdat Cad. 300"}});
        ScreenMakers makers = logScreens();
        makers << searchtest::standInEntry("RentalFlatEntry", "kdgiris")
               << searchtest::standInEntry("SaleFlatEntry", "sdgiris");
        m_screens = std::make_unique<Screens>(db);
        m_screens->createAll(makers);
        m_answers.answer = true;
        m_answers.questions.clear();
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        QCOMPARE(std::exchange(m_messages.shown, {}), QStringList());
    }

    // The flats still on offer, narrowed to the deal's district once one is
    // picked; the one chosen fills a new deal, and the posted deal marks it let.
    void aRentedFlatFromItsListing()
    {
        auto* deal = m_screens->get<DealEntry>("RentedFlatEntry");
        QTest::mouseClick(deal->findChild<LabelButton*>("LabelIlandan"), Qt::LeftButton);
        FindingsWindow* picker = DealFromListing::picker(deal);
        QCOMPARE(sortedCopy(column(picker, 5)), (QStringList{"Akaretler 4", "Moda Cad. 5"})); // not the let one
        QVERIFY2(picker->notice().startsWith("\"Kiralanmadı\" durumdaki kiralık daireler: 2 ilan."),
                 qPrintable(picker->notice()));
        picker->hide();

        Table* cursor = deal->cursor();
        cursor->append();
        cursor->setText("Semt", Kadikoy);
        cursor->setText("Adsoyad", "Ayşe Yılmaz");
        pick(deal, "Moda Cad. 5");
        QCOMPARE(column(picker, 5), QStringList{"Moda Cad. 5"}); // in the deal's district only
        QCOMPARE(cursor->state(), DatasetState::Insert); // the record begun is the one filled
        QStringList values;
        for (const char* field : {"Adsoyad", "Semt", "Fiyati", "Malsahibi", "Telmalsahibi", "Adres"})
            values << cursor->text(QString::fromLatin1(field));
        QCOMPARE(values, (QStringList{"Ayşe Yılmaz", Kadikoy, "12500", "Hasan Öztürk", "(532) 123-45-67",
                                      "Moda Cad. 5"}));
        QCOMPARE(statusOf("kdgiris", "Hasan Öztürk"), QStringLiteral("Kiralanmadı"));

        cursor->post();
        QCOMPARE(m_answers.questions.size(), 1);
        QVERIFY2(m_answers.questions.first().contains("\"Kiralandı\" olarak işaretlensin mi?"),
                 qPrintable(m_answers.questions.first()));
        QCOMPARE(statusOf("kdgiris", "Hasan Öztürk"), QStringLiteral("Kiralandı"));
        // Through the listing's own screen, which stands on it.
        Table* listing = dynamic_cast<CursorOwner*>(m_screens->find("RentalFlatEntry"))->cursor();
        QCOMPARE(listing->text("Isim"), QStringLiteral("Hasan Öztürk"));
        QCOMPARE(listing->text("Durum"), QStringLiteral("Kiralandı"));

        // Editing that deal later asks nothing again; nor does a deal typed by hand.
        cursor->edit();
        cursor->setText("Tarih", "01.03.2026");
        cursor->post();
        cursor->append();
        cursor->setText("Adsoyad", "Elif Kaya");
        cursor->post();
        QCOMPARE(m_answers.questions.size(), 1);
    }

    // The clerk may say no, or cancel the deal: the listing stays on offer.
    // A sold flat is filled from the sale register and marked sold.
    void theListingChangesOnlyWhenTheClerkSaysSo()
    {
        auto* rented = m_screens->get<DealEntry>("RentedFlatEntry");
        pick(rented, "Akaretler 4");
        rented->cursor()->cancel();
        rented->cursor()->append();
        rented->cursor()->setText("Adsoyad", "Elif Kaya");
        rented->cursor()->post();
        QVERIFY(m_answers.questions.isEmpty());

        m_answers.answer = false;
        pick(rented, "Akaretler 4");
        QCOMPARE(rented->cursor()->state(), DatasetState::Insert); // from browse: a new deal
        rented->cursor()->post();
        QCOMPARE(m_answers.questions.size(), 1);
        QCOMPARE(statusOf("kdgiris", "Nur Er"), QStringLiteral("Kiralanmadı"));

        m_answers.answer = true;
        auto* sold = m_screens->get<DealEntry>("SoldFlatEntry");
        pick(sold, "Bağdat Cad. 300");
        QCOMPARE(sold->cursor()->text("Fiyati"), QStringLiteral("4500000"));
        sold->cursor()->post();
        QVERIFY(m_answers.questions.last().contains("\"Satıldı\""));
        QCOMPARE(statusOf("sdgiris", "Ece Su"), QStringLiteral("Satıldı"));
    }

    // A listing's screen in the middle of an edit is not disturbed: the clerk is told.
    void aListingBeingEditedIsLeftAlone()
    {
        Table* listing = dynamic_cast<CursorOwner*>(m_screens->find("RentalFlatEntry"))->cursor();
        listing->edit();
        auto* deal = m_screens->get<DealEntry>("RentedFlatEntry");
        pick(deal, "Moda Cad. 5");
        deal->cursor()->post();
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown.takeFirst().contains("kaydedilmemiş bir değişiklik var"));
        QCOMPARE(listing->state(), DatasetState::Edit);
        listing->cancel();
        QCOMPARE(statusOf("kdgiris", "Hasan Öztürk"), QStringLiteral("Kiralanmadı"));
    }
};

QTEST_MAIN(DealFromListingTest)
#include "tst_dealfromlisting.moc"
