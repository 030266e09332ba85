// Lookups take only what they list: typed text that names no item leaves the
// field as it was, in a lookup drop-down and in a grid cell alike.
#include "platform/controls/datasetmodel.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbgrid.h"
#include "platform/engine/table.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QtTest>

class LookupsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    Installed<CollectingReporter> m_messages;
    Installed<CountingBeeper> m_beeps;

private slots:
    void initTestCase() { useTurkishLocale(); }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        m_messages.shown.clear();
        m_beeps.count = 0;
    }

    void cleanup() { m_store.reset(); }

    void typedTextNamingNoProvinceLeavesTheFieldAlone()
    {
        Table contacts(*m_store->db, QStringLiteral("tel"));
        contacts.open();
        Table provinces(*m_store->db, QStringLiteral("il"));
        provinces.open();
        DbLookupComboBox box;
        box.bind(&contacts, QStringLiteral("Il"));
        box.setLookup(&provinces, QStringLiteral("Il"));
        contacts.append();
        contacts.setText(QStringLiteral("Ad"), QStringLiteral("Ayşe"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));

        // Nothing picked yet: "xqz" names no province and picks none, though
        // one begins with its last letter.
        typeText(&box, QStringLiteral("xqz"));
        QCOMPARE(contacts.text(QStringLiteral("Il")), QString());
        QCOMPARE(m_beeps.count, 3);

        // A real start still finds its province; then a wrong word keeps it.
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        typeText(&box, QStringLiteral("zon"));
        QCOMPARE(contacts.text(QStringLiteral("Il")), QStringLiteral("Zonguldak"));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        typeText(&box, QStringLiteral("xqz"));
        QCOMPARE(contacts.text(QStringLiteral("Il")), QStringLiteral("Zonguldak"));
        contacts.post();
        Table fresh(*m_store->db, QStringLiteral("tel"));
        fresh.open();
        QCOMPARE(fresh.text(QStringLiteral("Il")), QStringLiteral("Zonguldak"));
    }

    void gridCellOfALookupTakesOnlyListedNames()
    {
        Table districts(*m_store->db, QStringLiteral("semtler"));
        districts.open();
        districts.append();
        districts.setText(QStringLiteral("Semtler"), QStringLiteral("Moda"));
        districts.post();

        Table rented(*m_store->db, QStringLiteral("kiralanandaireler"));
        rented.open();
        rented.append();
        rented.setText(QStringLiteral("Adsoyad"), QStringLiteral("Mert"));
        rented.setText(QStringLiteral("Semt"), QStringLiteral("Moda"));
        rented.post();

        DbGrid grid;
        grid.setDataset(&rented, {{QStringLiteral("Adsoyad")}, {QStringLiteral("Semt")}});
        grid.setEditable(true);
        QAbstractItemModel* model = grid.model();
        const QModelIndex district = model->index(0, 1);
        QVERIFY(model->flags(district) & Qt::ItemIsEditable);

        QVERIFY(!model->setData(district, QStringLiteral("Xyzköy"), Qt::EditRole));
        QCOMPARE(m_messages.shown, QStringList{DatasetModel::notListedMessage(QStringLiteral("Xyzköy"))});
        QCOMPARE(rented.state(), DatasetState::Browse);
        QCOMPARE(rented.text(QStringLiteral("Semt")), QStringLiteral("Moda"));

        // A listed name typed in other letters is stored as the list spells it;
        // a plain text cell still takes anything.
        QVERIFY(model->setData(district, QStringLiteral("MODA"), Qt::EditRole));
        QCOMPARE(rented.text(QStringLiteral("Semt")), QStringLiteral("Moda"));
        QVERIFY(model->setData(model->index(0, 0), QStringLiteral("Xyz"), Qt::EditRole));
        rented.post();
        QCOMPARE(rented.text(QStringLiteral("Adsoyad")), QStringLiteral("Xyz"));
        QCOMPARE(m_messages.shown.size(), 1);
    }
};

QTEST_MAIN(LookupsTest)
#include "tst_lookups.moc"
