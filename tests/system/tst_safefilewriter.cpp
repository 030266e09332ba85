// Files the program saves are either written whole or not touched: a write
// that fails for real (past the file-size limit, into a folder that is not
// there) leaves an older file of that name as it was, leaves no temporary
// behind, and says in Turkish which file and why.
#include "platform/system/safefilewriter.h"
#include "support/filesizelimit.h"

#include <QtTest>

#include <memory>
#include <sys/stat.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<yok>");
}

void writePlain(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

bool looksTurkish(const QString& message)
{
    for (const char* english : {"No space", "File too large", "Permission", "denied", "Unknown", "error"})
        if (message.contains(QLatin1String(english), Qt::CaseInsensitive))
            return false;
    return !message.isEmpty();
}

} // namespace

class SafeFileWriterTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void savesAndReplacesWhole()
    {
        const QString path = m_dir->filePath(QStringLiteral("belge.rtf"));
        QCOMPARE(writeFileSafely(path, "ilk"), QString());
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
        const QByteArray big(300 * 1024, 'x'); // past the writer's buffer
        QCOMPARE(writeFileSafely(path, big), QString());
        QCOMPARE(readAll(path), big);
        struct stat info;
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QCOMPARE(int(info.st_mode & 0777), 0640); // a file replaced keeps its permissions
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("belge.rtf")});
    }

    // A small document is the case Qt's save file reported as saved while
    // leaving 0 bytes; a large one fails in a middle write.
    void failedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("küçük") << 5000;
        QTest::newRow("büyük") << 400 * 1024;
    }
    void failedWriteKeepsTheOldFile()
    {
        QFETCH(int, size);
        const QString path = m_dir->filePath(QStringLiteral("karşılaştırma.rtf"));
        writePlain(path, "eski içerik");
        QString message;
        {
            FileSizeLimit limit(1024);
            QVERIFY(limit.isSet());
            message = writeFileSafely(path, QByteArray(size, 'y'));
        }
        QCOMPARE(readAll(path), QByteArray("eski içerik"));
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("boyutu aşıyor")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("önceki dosya olduğu gibi duruyor")), qPrintable(message));
        QVERIFY2(looksTurkish(message), qPrintable(message));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("karşılaştırma.rtf")});
    }

    void streamedWriteThatFailsIsNotCommitted()
    {
        const QString path = m_dir->filePath(QStringLiteral("rapor.pdf"));
        FileSizeLimit limit(2000);
        SafeFileWriter file(path);
        QVERIFY(file.open());
        for (int i = 0; i < 100; ++i)
            file.write(QByteArray(100, 'z'));
        QVERIFY(!file.commit());
        QVERIFY(!QFile::exists(path));
        QVERIFY2(file.errorMessage().startsWith(QDir::toNativeSeparators(path) + QStringLiteral(": ")),
                 qPrintable(file.errorMessage()));
        QVERIFY(!file.errorMessage().contains(QStringLiteral("önceki dosya")));
        QVERIFY(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // Root may write anywhere, but not into a folder that is a file.
    void folderThatCannotHoldTheFile()
    {
        writePlain(m_dir->filePath(QStringLiteral("dosya")), "x");
        const QString path = m_dir->filePath(QStringLiteral("dosya/liste.rtf"));
        const QString message = writeFileSafely(path, "içerik");
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("klasör bulunamadı")), qPrintable(message));
        QVERIFY(looksTurkish(message));

        const QString onFolder = m_dir->filePath(QStringLiteral("alt"));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("alt")));
        QVERIFY(writeFileSafely(onFolder, "x").contains(QStringLiteral("bu adda bir klasör var")));
    }

    void causesAreTurkish()
    {
        QVERIFY(SafeFileWriter::reason(ENOSPC).startsWith(QStringLiteral("diskte yer kalmadı")));
        QVERIFY(SafeFileWriter::reason(EROFS).startsWith(QStringLiteral("klasöre yazma izni yok")));
        QVERIFY(SafeFileWriter::reason(EACCES).startsWith(QStringLiteral("klasöre yazma izni yok")));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir; // a fresh folder for each test
};

QTEST_GUILESS_MAIN(SafeFileWriterTest)
#include "tst_safefilewriter.moc"
