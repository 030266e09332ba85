// The land entry and the customer request entry, as a clerk meets them: rows and
// captions in tab order, Enter through the fields, the owner panel, the stamped
// registration date, the lookups and what bad input does.

#include "kit/behaviours/pressbutton.h"
#include "kit/screens.h"
#include "entry/landrequestentry.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbedit.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"
#include "platform/engine/table.h"
#include "platform/system/localeformats.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QToolButton>
#include <QtTest>

namespace {

const QDate Today(2026, 12, 8);

// The documented rows, in tab order: field and caption ("M²" for the picture).
using Rows = QList<QPair<QString, QString>>;

const Rows LandRows{{"Semt", "Semt"}, {"Ada", "Ada"}, {"Parsel", "Parsel"}, {"Pafta", "Pafta"}, {"Imar", "İmar"},
                    {"Doviz", "Döviz"}, {"Metre2", "M²"}, {"Isim", "İsim"}, {"Telefon", "Telefon"},
                    {"IsTelefonu", "İş Telefonu"}, {"CepTelefonu", "Cep Telefonu"}, {"Fiyati", "Fiyatı"},
                    {"Durum", "Durum"}, {"Notlar", "Notlar"}, {"Adres", "Adres"}};

const Rows RequestRows{{"Semtadi", "Semt"}, {"Emlak", "Emlak"}, {"Kat", "Kat"}, {"Oda", "Oda"},
                       {"Isisistemi", "Isı Sistemi"}, {"Istek", "İstenen Durum"}, {"Isim", "İsim"},
                       {"Telefon", "Tel"}, {"Istel", "İş Tel"}, {"Ceptel", "Cep Tel"}, {"Durum", "Durum"},
                       {"Fiyatilkdeger", "İlk Değer"}, {"Ikincifiyat", "İkinci Değer"}, {"IlkMetre2", "İlk Değer"},
                       {"Ikincimetre2", "İkinci Değer"}, {"Adres", "Adres"}, {"Notlar", "Açıklama"},
                       {"Tavanlar", "Kayıt Tarihi"}};

QStringList fieldsOf(const Rows& rows)
{
    QStringList fields;
    for (const auto& row : rows)
        fields << row.first;
    return fields;
}

QStringList itemsOf(QComboBox* box)
{
    QStringList items;
    for (int i = 0; box && i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QStringList namesIn(Database& db, const QString& table, const QString& field)
{
    Table names(db, table);
    names.open();
    return valuesOf(names, field);
}

} // namespace

class LandRequestTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    ScreenMakers m_makers;
    std::unique_ptr<Screens> m_screens;
    CollectingReporter m_messages;
    AnsweringConfirmer m_yes{true};
    FixedClock m_clock{QDateTime(Today, QTime(10, 30))};

    LandEntry* land() const { return m_screens->get<LandEntry>(QStringLiteral("LandEntry")); }
    RequestEntry* request() const { return m_screens->get<RequestEntry>(QStringLiteral("RequestEntry")); }
    FormEntry* screen(const QString& name) const { return m_screens->get<FormEntry>(name); }


    static void key(Qt::Key which)
    {
        QTest::keyClick(QApplication::focusWidget(), which);
        QCoreApplication::processEvents();
    }

    // The field of the control holding the focus (a drop-down's inner edit counts).
    static QString focusedField(FormEntry* s)
    {
        QWidget* focus = QApplication::focusWidget();
        for (int i = 0; focus && i < s->dataControls().size(); ++i) {
            QWidget* control = s->dataControls().at(i);
            if (focus == control || control->isAncestorOf(focus))
                return s->fields().at(i);
        }
        return QStringLiteral("(none)");
    }

    // Steps through the screen with a key from its first control, naming each field reached.
    static QStringList walk(FormEntry* s, Qt::Key with, int steps)
    {
        focusOn(s->dataControls().first());
        QStringList reached{focusedField(s)};
        for (int i = 0; i < steps; ++i) {
            key(with);
            reached << focusedField(s);
        }
        return reached;
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        setErrorReporter(&m_messages);
        setConfirmer(&m_yes);
        setSystemClock(&m_clock);
        m_makers = landAndRequestScreens();
        // The list screens come later; stand-ins let "Liste" be followed by name.
        for (const QString& list : {QStringLiteral("LandList"), QStringLiteral("RequestList")})
            m_makers << standInScreen(list);
    }

    void cleanupTestCase()
    {
        setSystemClock(nullptr);
        setErrorReporter(nullptr);
        setConfirmer(nullptr);
    }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(m_makers);
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        m_messages.shown.clear();
    }

    void screensAsDocumented_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("table");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<bool>("cornerIcons");
        QTest::newRow("LandEntry") << "LandEntry" << "Arsa Ve Arazi Girişi" << QSize(600, 400) << "arsa" << LandRows
                                   << false;
        QTest::newRow("RequestEntry") << "RequestEntry" << "Müşteri Talepleri Girişi" << QSize(640, 480)
                                      << "musteritalepleri" << RequestRows << true;
    }

    void screensAsDocumented()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QSize, size);
        QFETCH(QString, table);
        QFETCH(Rows, rows);
        QFETCH(bool, cornerIcons);
        FormEntry* s = screen(name);
        QVERIFY(s);
        QCOMPARE(s->windowTitle(), caption);
        QCOMPARE(s->size(), size);
        QVERIFY(s->hasArtwork());
        QCOMPARE(s->cursor()->schema().name, table);
        QCOMPARE(dynamic_cast<CursorOwner*>(s)->cursor(), s->cursor());

        // Rows and captions letter for letter, each caption beside its own control.
        QCOMPARE(s->fields(), fieldsOf(rows));
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(s->captions().at(i), rows.at(i).second);
            QWidget* control = s->dataControls().at(i);
            QVERIFY(control->accessibleName().endsWith(rows.at(i).second));
            if (rows.at(i).second == QStringLiteral("M²"))
                continue;
            QLabel* label = s->findChild<QLabel*>(QStringLiteral("Label") + rows.at(i).first);
            QVERIFY2(label && label->buddy() == control, qPrintable(rows.at(i).first));
            QCOMPARE(label->text(), rows.at(i).second);
        }
        QVERIFY(s->findChild<QLabel*>(QStringLiteral("ImageM2")));

        QStringList hints;
        for (int b = 0; b < DbNavigator::ButtonCount; ++b)
            hints << s->navigator()->button(DbNavigator::Button(b))->toolTip();
        QCOMPARE(hints, (QStringList{"İlk Kayıt", "Önceki Kayıt", "Sonraki Kayıt", "Son Kayıt", "Kayıt Ekle",
                                     "Kayıt Sil", "Değişiklik", "Onayla", "Değişiklik İptal", "Yenile"}));
        QCOMPARE(s->listAction()->text(), QStringLiteral("Liste"));
        QCOMPARE(s->printAction()->text(), QStringLiteral("Yazdır"));
        QCOMPARE(s->exitAction()->text(), QStringLiteral("Çıkış"));
        QCOMPARE(s->findChild<QWidget*>(QStringLiteral("ImageMinimise")) != nullptr, cornerIcons);
        QCOMPARE(s->findChild<QWidget*>(QStringLiteral("ImageExit")) != nullptr, cornerIcons);
        // Every control lies inside the window, between the title band and the footer.
        for (QWidget* control : s->dataControls())
            QVERIFY(QRect(0, 44, size.width(), size.height() - 88).contains(control->geometry()));
    }

    void dropDownsOfferTheCatalogueListsInOrder()
    {
        QCOMPARE(itemsOf(qobject_cast<DbComboBox*>(land()->control("Durum"))),
                 (QStringList{"Satıldı", "Satılmadı", "Kiralandı", "Kiralanmadı"}));
        RequestEntry* r = request();
        const QList<QPair<const char*, QStringList>> lists{
            {"Kat", {"1", "2", "3", "4", "5", "Farketmez"}},
            {"Oda", {"2+1", "3+1", "4+1", "Farketmez"}},
            {"Isisistemi", {"Sobalı", "Doğal Gaz Kaloriferli", "Doğal Gaz Sobalı", "Kalofiferli"}},
            {"Istek", {"Kiralanmadı", "Satılmadı"}},
            {"Durum", {"Buldu", "Bulamadı"}}};
        for (const auto& [field, items] : lists) {
            auto* box = qobject_cast<DbComboBox*>(r->control(QLatin1String(field)));
            QVERIFY2(box && box->isEditable(), field);
            QCOMPARE(itemsOf(box), items);
        }
    }

    void tabAndEnterFollowTheRowOrder()
    {
        LandEntry* l = land();
        QVERIFY(activate(l));
        const QStringList landOrder = fieldsOf(LandRows);
        // With the owner's details shown, Tab and Enter go through every field,
        // memos included. (Covered, they pass over them.)
        QVERIFY(l->ownerPanel()->isVisible());
        QTest::mouseClick(l->ownerToggle(), Qt::LeftButton);
        QVERIFY(!l->ownerPanel()->isVisible());
        QCOMPARE(walk(l, Qt::Key_Tab, int(landOrder.size()) - 1), landOrder);
        QCOMPARE(walk(l, Qt::Key_Return, int(landOrder.size()) - 1), landOrder);
        QVERIFY(qobject_cast<DbMemo*>(l->control("Notlar"))->toPlainText().isEmpty());
        QTest::mouseClick(l->ownerToggle(), Qt::LeftButton);
        QVERIFY(l->ownerPanel()->isVisible());

        RequestEntry* r = request();
        QVERIFY(activate(r));
        const QStringList requestOrder = fieldsOf(RequestRows);
        QCOMPARE(walk(r, Qt::Key_Tab, int(requestOrder.size()) - 1), requestOrder);
        // Enter stops in the request's "Durum": it moves the focus nowhere there.
        const int status = int(requestOrder.indexOf("Durum"));
        QStringList upToStatus = requestOrder.mid(0, status + 1);
        upToStatus << "Durum";
        QCOMPARE(walk(r, Qt::Key_Return, status + 1), upToStatus);
        QCOMPARE(qobject_cast<DbComboBox*>(r->control("Durum"))->currentText(), QString());
    }

    void enterFromNotesStampsTodayAndCancelRestores()
    {
        RequestEntry* r = request();
        QVERIFY(activate(r));
        const QString today = LocaleFormats::shortDate(Today);
        r->navigator()->press(DbNavigator::Insert);
        typeInto(r->control("Isim"), "Ayşe Kaya");
        typeInto(r->control("Notlar"), "acil");
        key(Qt::Key_Return);
        QCOMPARE(focusedField(r), QStringLiteral("Tavanlar"));
        QCOMPARE(r->registrationDate()->text(), today);
        QCOMPARE(qobject_cast<DbMemo*>(r->control("Notlar"))->toPlainText(), QStringLiteral("acil"));
        // Enter in the date itself does nothing of the screen's own.
        key(Qt::Key_Return);
        QCOMPARE(focusedField(r), QStringLiteral("Tavanlar"));
        r->navigator()->press(DbNavigator::Post);
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(r->cursor()->text("Tavanlar"), today);

        // An old request gets today's date on entering the field; cancel brings back the old one.
        r->cursor()->edit();
        r->cursor()->setText("Tavanlar", "1.11.2025");
        r->cursor()->post();
        focusOn(r->control("Isim"));
        focusOn(r->registrationDate());
        QCOMPARE(r->registrationDate()->text(), today);
        QVERIFY(r->cursor()->isEditing());
        r->navigator()->press(DbNavigator::Cancel);
        QCOMPARE(r->cursor()->text("Tavanlar"), QStringLiteral("1.11.2025"));
        QCOMPARE(r->registrationDate()->text(), QStringLiteral("1.11.2025"));
    }

    void requestWithOnlyANamePostsAndIsOnDisk()
    {
        RequestEntry* r = request();
        QVERIFY(activate(r));
        const QByteArray before = storesOnServer() ? QByteArray() : fileHash(m_store->path());
        r->navigator()->press(DbNavigator::Insert);
        typeInto(r->control("Isim"), "Mehmet");
        // "Farketmez" fits the wanted floor.
        typeInto(r->control("Kat"), "Farketmez");
        r->navigator()->press(DbNavigator::Post);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.shown.join('|')));
        QCOMPARE(r->cursor()->state(), DatasetState::Browse);
        // Written through to the store file itself, not only to its log (a
        // server's commit is on its disk when it returns).
        if (!storesOnServer())
            QVERIFY(fileHash(m_store->path()) != before);

        // Another connection to the store file sees it at once.
        auto other = Catalogue::openStore(m_store->folder.path());
        Table stored(*other, "musteritalepleri");
        stored.open();
        QCOMPARE(stored.recordCount(), 1);
        QCOMPARE(stored.text("Isim"), QStringLiteral("Mehmet"));
        QCOMPARE(stored.text("Kat"), QStringLiteral("Farketmez"));
        for (const char* field : {"Semtadi", "Emlak", "Istek", "Fiyatilkdeger", "Ikincifiyat", "IlkMetre2",
                                  "Ikincimetre2", "Hidrofor", "Anahtar"})
            QVERIFY2(stored.isBlank(QLatin1String(field)), field);
    }

    void badInputIsRefusedAndNothingIsLost()
    {
        RequestEntry* r = request();
        QVERIFY(activate(r));
        r->navigator()->press(DbNavigator::Insert);
        typeInto(r->control("Isim"), "Zeynep");
        typeInto(r->control("Fiyatilkdeger"), "12a");
        key(Qt::Key_Tab);
        QCOMPARE(m_messages.shown,
                 QStringList{"'12a' is not a valid floating point value for field 'Fiyatilkdeger'"});
        QCOMPARE(focusedField(r), QStringLiteral("Fiyatilkdeger"));
        QCOMPARE(qobject_cast<DbEdit*>(r->control("Fiyatilkdeger"))->text(), QStringLiteral("12a"));
        QCOMPARE(r->cursor()->state(), DatasetState::Insert);
        QCOMPARE(r->cursor()->text("Isim"), QStringLiteral("Zeynep"));

        // Corrected, the record posts with the bound as a number.
        auto* lower = qobject_cast<DbEdit*>(r->control("Fiyatilkdeger"));
        lower->selectAll();
        type("1200");
        m_messages.shown.clear();
        typeInto(r->control("Telefon"), "212");
        key(Qt::Key_Tab);
        QCOMPARE(m_messages.shown, QStringList{"Invalid input value.  Use escape key to abandon changes"});
        QCOMPARE(focusedField(r), QStringLiteral("Telefon"));
        QVERIFY(qobject_cast<DbEdit*>(r->control("Telefon"))->displayText().startsWith("(212)"));
        type("5551234");
        r->navigator()->press(DbNavigator::Post);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(r->cursor()->number("Fiyatilkdeger"), 1200.0);
        QCOMPARE(r->cursor()->text("Telefon"), QStringLiteral("(212) 555-12-34"));
    }

    void landOwnerPanelTogglesAndKeepsItsState()
    {
        LandEntry* l = land();
        QVERIFY(activate(l));
        QLabel* panel = l->ownerPanel();
        LabelButton* toggle = l->ownerToggle();
        QVERIFY(panel->isVisible());
        QCOMPARE(toggle->text(), QStringLiteral("Emlak Sahibini Göster"));
        // Rows 8-13 with their captions lie under it; rows 1-7 do not.
        for (int i = 0; i < 13; ++i) {
            const QString field = LandRows.at(i).first;
            QWidget* control = l->control(field);
            QCOMPARE(panel->geometry().contains(control->geometry()), i >= 7);
            QCOMPARE(panel->geometry().intersects(control->geometry()), i >= 7);
            if (i >= 7)
                QVERIFY(panel->geometry().contains(l->findChild<QLabel*>("Label" + field)->geometry()));
        }

        toggle->activate();
        QVERIFY(panel->isHidden());
        QCOMPARE(toggle->text(), QStringLiteral("Emlak Sahibini Gösterme"));
        // Moving between records and closing and reopening the screen keep it.
        for (const char* name : {"Ali", "Veli"}) {
            l->navigator()->press(DbNavigator::Insert);
            l->cursor()->setText("Isim", QLatin1String(name));
            l->navigator()->press(DbNavigator::Post);
        }
        l->navigator()->press(DbNavigator::First);
        l->exitAction()->activate();
        QVERIFY(l->isHidden());
        QVERIFY(activate(l));
        QVERIFY(panel->isHidden());
        QCOMPARE(toggle->text(), QStringLiteral("Emlak Sahibini Gösterme"));
        toggle->activate();
        QVERIFY(panel->isVisible());
        QCOMPARE(toggle->text(), QStringLiteral("Emlak Sahibini Göster"));
    }

    void landAreaIsTextAndStatusServesBothDeals_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << "100" << "100";
        QTest::newRow("grouped with unit") << "1.250 m²" << "1.250 m²";
        QTest::newRow("cut at ten") << "12.345.678 m²" << "12.345.678";
    }

    void landAreaIsTextAndStatusServesBothDeals()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        LandEntry* l = land();
        QVERIFY(activate(l));
        l->navigator()->press(DbNavigator::Insert);
        typeInto(l->control("Metre2"), typed);
        typeInto(l->control("Durum"), "Kiralanmadı");
        l->navigator()->press(DbNavigator::Post);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.shown.join('|')));
        QCOMPARE(l->cursor()->text("Metre2"), stored);
        QCOMPARE(l->cursor()->text("Durum"), QStringLiteral("Kiralanmadı"));
        QVERIFY(l->cursor()->isBlank("Semt"));
    }

    void lookupsOfferExactlyTheirTablesNames()
    {
        Database& db = *m_store->db;
        Table districts(db, "semtler");
        districts.open();
        districts.append();
        districts.setText("Semtler", "Yeni Semt");
        districts.post();

        const QList<QPair<FormEntry*, QString>> lookups{
            {land(), "Semt"}, {request(), "Semtadi"}, {request(), "Emlak"}};
        for (const auto& [s, field] : lookups) {
            auto* box = qobject_cast<DbLookupComboBox*>(s->control(field));
            QVERIFY2(box, qPrintable(field));
            const bool kind = field == QStringLiteral("Emlak");
            const QString table = kind ? "emlaktanimlama" : "semtler";
            QVERIFY(s->lookupCursor(table));
            QVERIFY(s->lookupCursor(table) != &districts);
            box->showPopup();
            box->hidePopup();
            const QStringList names = namesIn(db, table, kind ? "EmlakTipi" : "Semtler");
            QVERIFY(kind ? !names.isEmpty() : names.contains("Yeni Semt")); // added after the screens were made
            QCOMPARE(sortedCopy(box->offered()), sortedCopy(names));

            // Choosing stores the name itself.
            s->navigator()->press(DbNavigator::Insert);
            box->setFocus();
            const int lastOffered = box->count() - 1;
            box->setCurrentIndex(lastOffered);
            emit box->activated(lastOffered);
            s->navigator()->press(DbNavigator::Post);
            QCOMPARE(s->cursor()->text(field), box->itemText(lastOffered));
        }
        // Each screen reads its own districts cursor.
        QVERIFY(land()->lookupCursor("semtler") != request()->lookupCursor("semtler"));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void actionsFollowTheirScreens()
    {
        for (const auto& [name, list] : {QPair<QString, QString>{"LandEntry", "LandList"},
                                         QPair<QString, QString>{"RequestEntry", "RequestList"}}) {
            FormEntry* s = screen(name);
            QVERIFY(activate(s));
            // "Yazdır" previews the record card, and leaves the record where it was.
            const qint64 standing = s->cursor()->integer(QStringLiteral("No"));
            QVERIFY(!closeModalOpenedBy([s] { s->printAction()->activate(); }).isNull());
            QCOMPARE(s->cursor()->integer(QStringLiteral("No")), standing);
            s->listAction()->activate();
            QVERIFY(m_screens->find(list)->isVisible());
            QVERIFY(s->isVisible());
            s->exitAction()->activate();
            QVERIFY(s->isHidden());
        }
    }
};

QTEST_MAIN(LandRequestTest)
#include "tst_landrequest.moc"
