// The Turkish code page both ways: every byte it defines reads as one
// character that writes back as the same byte; what it lacks writes as none.
#include "platform/system/codepage1254.h"

#include <QtTest>

class CodePageTest : public QObject {
    Q_OBJECT
private slots:
    void everyDefinedByteComesBack()
    {
        int undefined = 0;
        for (int byte = 1; byte < 256; ++byte) {
            const char raw = char(byte);
            const QString read = CodePage1254::toUnicode(&raw, 1);
            QCOMPARE(read.size(), 1);
            if (read.at(0) == QChar(0xFFFD)) {
                ++undefined;
                continue;
            }
            QCOMPARE(int(CodePage1254::byteFor(read.at(0))), byte);
        }
        QCOMPARE(undefined, 7); // 0x81, 0x8D-0x90, 0x9D, 0x9E
        QCOMPARE(CodePage1254::toUnicode("\xdd\x73\x74\x61\x6e\x62\x75\x6c", 8), QStringLiteral("İstanbul"));
    }

    void charactersOutsideThePageHaveNoByte()
    {
        // The Icelandic letters whose places the Turkish ones took, and beyond.
        for (const char16_t c : {u'Ð', u'Ý', u'Þ', u'ð', u'ý', u'þ', u'Ā', char16_t(0x20AD), u'ж'})
            QCOMPARE(int(CodePage1254::byteFor(QChar(c))), 0);
        QCOMPARE(int(CodePage1254::byteFor(QChar(u'ş'))), 0xFE);
        QCOMPARE(int(CodePage1254::byteFor(QChar(u'€'))), 0x80);
    }
};

QTEST_MAIN(CodePageTest)
#include "tst_codepage.moc"
