#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

// Writes a file so that it ends up either complete or not changed at all.
// The bytes go to a temporary file beside the target; every write, the flush
// and the sync to disk are checked, and only then is the temporary renamed
// over the target. On any failure the temporary is removed, a file already
// there keeps its bytes, and errorMessage() says in Turkish which file could
// not be saved and why.
//
// It is a QIODevice, so a PDF writer can stream into it; writeFileSafely()
// is the one-call form for bytes already in memory.
class SafeFileWriter : public QIODevice {
public:
    explicit SafeFileWriter(const QString& path);
    ~SafeFileWriter() override; // discards unless committed

    // Creates the temporary file; false (with errorMessage()) when it cannot.
    bool open(OpenMode mode = WriteOnly) override;
    // Syncs and renames the temporary over the target; false on any failure
    // so far or now, after which the target is as it was.
    bool commit();
    // Drops what was written; the target is left as it was.
    void discard();

    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override;
    qint64 size() const override { return m_size; }

    QString path() const { return m_path; }
    // "<file>: <what happened; what to do>." Empty while nothing has failed.
    QString errorMessage() const { return m_error; }

    // The Turkish cause for an errno value, as used in errorMessage().
    static QString reason(int error);

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override;

private:
    bool flushBuffer();
    bool fail(int error);
    void removeTemporary();

    QString m_path;
    QByteArray m_temporary; // local 8-bit path of the temporary file
    QByteArray m_buffer;
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_filePos = 0; // where the descriptor stands
    QString m_error;
};

// Writes bytes to path through a SafeFileWriter: an empty string when the
// file is saved, else the writer's Turkish message.
QString writeFileSafely(const QString& path, const QByteArray& bytes);

// The file name a save dialog offers for a document titled so: the title,
// with the letters a file name cannot hold replaced (fallback when nothing is
// left), and the suffix ("pdf", "xlsx").
QString offeredFileName(const QString& title, const QString& fallback, const QString& suffix);
