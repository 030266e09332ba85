// MatchListScreen: the line counter, the box edited as a clerk edits it, and
// "Yazdır" and "Kaydet" putting out what the box holds at that moment (read
// back with pdftotext and unrtf).

#include "kit/behaviours/pressbutton.h"
#include "matching/listtextedit.h"
#include "matching/matchlistscreen.h"
#include "matching/matchrules.h"
#include "support/matchingtesting.h"
#include "support/workbookreading.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace matchingtest;

class MatchListScreenTest : public QObject {
    Q_OBJECT

    CollectingReporter m_messages;
    AnsweringDialogs m_dialogs;
    QTemporaryDir m_folder;
    std::unique_ptr<MatchListScreen> m_screen;

    ListTextEdit* box() const { return m_screen->box(); }
    QString counter() const { return m_screen->lineCounter()->text(); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(box(), k, modifiers); }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        setErrorReporter(&m_messages);
        setMatchingDialogs(&m_dialogs);
    }

    void cleanupTestCase()
    {
        setErrorReporter(nullptr);
        setMatchingDialogs(nullptr);
    }

    void init()
    {
        m_screen = std::make_unique<MatchListScreen>();
        m_messages.shown.clear();
        m_dialogs = AnsweringDialogs();
    }

    void cleanup() { m_screen.reset(); }

    void screenAsDocumented()
    {
        QCOMPARE(m_screen->size(), QSize(640, 480));
        QCOMPARE(m_screen->windowTitle(), QStringLiteral("Karşılaştırma Listesi"));
        QCOMPARE(m_screen->setup().placement, ScreenPlacement::CentreOnActivation);
        QStringList captions;
        for (const QLabel* label : m_screen->findChildren<QLabel*>())
            captions << label->text();
        for (const char* caption : {"Satır Sayısı", "Yazdır", "Kaydet", "Çıkış", "Excel'e Aktar", "CSV olarak kaydet"})
            QVERIFY2(captions.contains(QString::fromUtf8(caption)), caption);
        QCOMPARE(counter(), QStringLiteral("000"));
        QCOMPARE(box()->frameShape(), QFrame::NoFrame);
        QCOMPARE(box()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(box()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

        QVERIFY(activate(m_screen.get()));
        QTest::mouseClick(m_screen->exitAction(), Qt::LeftButton);
        QVERIFY(m_screen->isHidden());
    }

    // The counter follows every change, the program's and the clerk's.
    void clerkEditsTheList()
    {
        m_screen->setList({QString(), QStringLiteral("    İsim : Ayşe    Telefon : "), QString()});
        QCOMPARE(counter(), QStringLiteral("3"));
        QVERIFY(activate(m_screen.get()));
        box()->setFocus();

        // Typing at the end of the second line, Turkish letters included, then a new line.
        box()->setCaret({1, 1000});
        typeText(box(), QStringLiteral("(532) ığüşöç"));
        key(Qt::Key_Return);
        typeText(box(), QStringLiteral("Not: aradı"));
        QCOMPARE(box()->lines(), (QStringList{"", "    İsim : Ayşe    Telefon : (532) ığüşöç", "Not: aradı", ""}));
        QCOMPARE(counter(), QStringLiteral("4"));

        // Backspace at a line's start joins it to the line above; Delete at the end joins the next.
        box()->setCaret({2, 0});
        key(Qt::Key_Backspace);
        QCOMPARE(box()->lines().at(1), QStringLiteral("    İsim : Ayşe    Telefon : (532) ığüşöçNot: aradı"));
        key(Qt::Key_End);
        key(Qt::Key_Delete);
        QCOMPARE(counter(), QStringLiteral("2"));

        // A selection is replaced by what is typed; undo and redo step back and forth.
        box()->setCaret({1, 4});
        key(Qt::Key_Right, Qt::ShiftModifier);
        key(Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(box()->selectedText(), QStringLiteral("İs"));
        typeText(box(), QStringLiteral("AD"));
        QCOMPARE(box()->lines().at(1).left(8), QStringLiteral("    ADim"));
        key(Qt::Key_Z, Qt::ControlModifier); // the D
        key(Qt::Key_Z, Qt::ControlModifier); // the A, and the selection back
        QCOMPARE(box()->lines().at(1).left(8), QStringLiteral("    İsim"));
        QCOMPARE(box()->selectedText(), QStringLiteral("İs"));
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(box()->lines().at(1).left(7), QStringLiteral("    Aim"));

        // Cut and paste across lines.
        box()->selectAll();
        key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(counter(), QStringLiteral("0"));
        QVERIFY(box()->isEmpty());
        QApplication::clipboard()->setText(QStringLiteral("bir\r\niki\nüç"));
        key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box()->lines(), (QStringList{"bir", "iki", "üç"}));
        QCOMPARE(box()->caret(), (ListTextEdit::Position{2, 2}));
        key(Qt::Key_Home, Qt::ControlModifier);
        key(Qt::Key_Down, Qt::ShiftModifier);
        key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("bir\n"));
    }

    // A list of hundreds of thousands of lines is taken whole and can be walked to its end.
    void longList()
    {
        QStringList lines;
        for (int i = 0; i < 300000; ++i)
            lines << QStringLiteral("Satır %1").arg(i);
        m_screen->setList(lines);
        QCOMPARE(counter(), QStringLiteral("300000"));
        QVERIFY(activate(m_screen.get()));
        box()->setFocus();
        key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(box()->caret(), (ListTextEdit::Position{299999, 12}));
        QVERIFY(box()->firstVisibleLine() > 299000);
        QCOMPARE(box()->verticalScrollBar()->value(), box()->verticalScrollBar()->maximum());
        m_screen->grab(); // drawn without trouble at the end
        m_screen->clearList();
        QCOMPARE(counter(), QStringLiteral("0"));
    }

    // "Yazdır" prints the box as it stands, the clerk's own line included.
    void printsWhatTheBoxHolds()
    {
        m_screen->setList({QString(), QStringLiteral("    İsim : Işıl Çelik    Telefon : "), QString()});
        box()->setCaret({2, 0});
        box()->insert(QStringLiteral("Elle yazılan satır"));
        const QString pdf = m_folder.filePath(QStringLiteral("liste.pdf"));

        QTest::mouseClick(m_screen->printAction(), Qt::LeftButton); // the clerk cancels the printer dialog
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(m_dialogs.printerDialogs, 1); // asked: the machine has no printer

        m_dialogs.printToPdf = pdf;
        QTest::mouseClick(m_screen->printAction(), Qt::LeftButton);
        bool ok = false;
        const QString text = readWith(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, &ok);
        QVERIFY2(ok, qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("İsim : Işıl Çelik")));
        QVERIFY(text.contains(QStringLiteral("Elle yazılan satır")));
        QVERIFY(m_messages.shown.isEmpty());
    }

    // With a current printer "Yazdır" prints on it at once, asking nothing.
    void printsOnTheCurrentPrinterAtOnce()
    {
        m_screen->setList({QStringLiteral("    İsim : Oğuz Şahin    Telefon : ")});
        m_dialogs.currentPrinterPdf = m_folder.filePath(QStringLiteral("yazici.pdf"));
        m_dialogs.printToPdf = m_folder.filePath(QStringLiteral("secilen.pdf"));
        QTest::mouseClick(m_screen->printAction(), Qt::LeftButton);
        QCOMPARE(m_dialogs.printerDialogs, 0);
        QVERIFY(!QFile::exists(m_dialogs.printToPdf));
        bool ok = false;
        const QString text =
            readWith(QStringLiteral("pdftotext"), {m_dialogs.currentPrinterPdf, QStringLiteral("-")}, &ok);
        QVERIFY2(ok, qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("İsim : Oğuz Şahin")));
        QVERIFY(m_messages.shown.isEmpty());
    }

    // "Kaydet" offers karşılaştırma.rtf and writes the box as it stands.
    void savesWhatTheBoxHolds()
    {
        m_screen->setList({QString(), QStringLiteral("    İsim : Şule Öğüt    Telefon : "), QString()});
        box()->setCaret({2, 0});
        box()->insert(QStringLiteral("Ek not"));

        QTest::mouseClick(m_screen->saveAction(), Qt::LeftButton); // cancelled: nothing written
        QVERIFY(m_dialogs.suggested.endsWith(QStringLiteral("/karşılaştırma.rtf")));
        QVERIFY(m_folder.isValid());

        const QString path = m_folder.filePath(QStringLiteral("liste.rtf"));
        m_dialogs.saveAs = path;
        QTest::mouseClick(m_screen->saveAction(), Qt::LeftButton);
        bool ok = false;
        const QStringList lines = rtfReadBack(path, &ok);
        QVERIFY2(ok, qPrintable(lines.join('\n')));
        QCOMPARE(lines, withSingleBlanks({"", "    İsim : Şule Öğüt    Telefon : ", "Ek not"}));

        // A file that cannot be written is reported and nothing is left behind.
        m_dialogs.saveAs = m_folder.filePath(QStringLiteral("yok/liste.rtf"));
        QTest::mouseClick(m_screen->saveAction(), Qt::LeftButton);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown.first(),
                 QStringLiteral("Liste kaydedilemedi: %1: klasör bulunamadı; var olan bir klasör seçin.")
                     .arg(QDir::toNativeSeparators(m_dialogs.saveAs)));
        QVERIFY(!QFile::exists(m_dialogs.saveAs));
    }

    // The list as a table: a row per listing under its request's name and
    // phone, whichever register wrote the line; a request that found nothing
    // has a row of its own, and a line the clerk typed is kept in "Not".
    void exportsTheListAsATable()
    {
        using Matching::Register;
        Installed<AnsweringSheetDialogs> sheetDialogs;
        m_screen->setList({QString(), Matching::requestLine(QStringLiteral("Ayşe Kaya"), QStringLiteral("(532) 111-22-33")),
                           QString(), QString(),
                           Matching::listingLine(Register::RentalFlats, QStringLiteral("Kadıköy"), QStringLiteral("120"),
                                                 QStringLiteral("15000")),
                           QString(), QString(),
                           Matching::listingLine(Register::SaleProperties, QStringLiteral("Moda"), QStringLiteral("85,5"),
                                                 QStringLiteral("2500000"), QStringLiteral("Dükkan")),
                           QString(), QString(),
                           Matching::listingLine(Register::Land, QStringLiteral("Çayyolu"), QStringLiteral("yaklaşık 500"),
                                                 QStringLiteral("3500000")),
                           QString(), QStringLiteral("  Pazartesi aranacak  "),
                           QString(), Matching::requestLine(QStringLiteral("Bulamayan Bey"), QString()), QString()});

        QTest::mouseClick(m_screen->xlsxAction(), Qt::LeftButton); // cancelled: nothing written
        QCOMPARE(sheetDialogs.offered, QStringLiteral("Karşılaştırma Listesi.xlsx"));
        sheetDialogs.saveAs = m_folder.filePath(QStringLiteral("liste.xlsx"));
        QTest::mouseClick(m_screen->xlsxAction(), Qt::LeftButton);
        QCOMPARE(sheetDialogs.told.size(), 1);
        const Workbook book = readWorkbook(sheetDialogs.saveAs);
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        const auto row = [&](int r) {
            QStringList cells;
            for (int c = 0; c < 7; ++c)
                cells << book.at(r, c).text;
            return cells;
        };
        QCOMPARE(row(0), (QStringList{"İsim", "Telefon", "Semt Adı", "Metre2", "Fiyatı", "Emlak", "Not"}));
        QCOMPARE(row(1), (QStringList{"Ayşe Kaya", "(532) 111-22-33", "Kadıköy", "120", "15000", "Kiralık Daire", ""}));
        QCOMPARE(row(2), (QStringList{"Ayşe Kaya", "(532) 111-22-33", "Moda", "85.5", "2500000", "Dükkan", ""}));
        QCOMPARE(row(3), (QStringList{"Ayşe Kaya", "(532) 111-22-33", "Çayyolu", "yaklaşık 500", "3500000", "Arsa ve Arazi", ""}));
        QCOMPARE(row(4), (QStringList{"Ayşe Kaya", "(532) 111-22-33", "", "", "", "", "Pazartesi aranacak"}));
        QCOMPARE(row(5), (QStringList{"Bulamayan Bey", "", "", "", "", "", ""}));
        QCOMPARE(book.rows.size(), 6);
        QVERIFY(book.at(1, 3).isNumber && book.at(1, 4).isNumber && book.at(2, 3).isNumber);
        QVERIFY(!book.at(3, 3).isNumber && !book.at(1, 1).isNumber);

        // CSV of the same; a file that cannot be written is reported, not told as saved.
        sheetDialogs.saveAs = m_folder.filePath(QStringLiteral("liste.csv"));
        QTest::mouseClick(m_screen->csvAction(), Qt::LeftButton);
        QCOMPARE(sheetDialogs.told.size(), 2);
        QFile csv(sheetDialogs.saveAs);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll().mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.at(2), QStringLiteral("Ayşe Kaya;(532) 111-22-33;Moda;85,5;2500000;Dükkan;"));
        sheetDialogs.saveAs = m_folder.filePath(QStringLiteral("yok/liste.csv"));
        QTest::mouseClick(m_screen->csvAction(), Qt::LeftButton);
        QCOMPARE(sheetDialogs.told.size(), 2);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown.first().startsWith(QStringLiteral("Liste kaydedilemedi: ")));
    }
};

QTEST_MAIN(MatchListScreenTest)
#include "tst_matchlistscreen.moc"
