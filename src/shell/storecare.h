#pragma once

#include "data/backups.h"

#include <QObject>
#include <QString>
#include <future>

class QTimer;
class QWidget;

// Looks after the store while the program runs: acts on the start-up check's
// verdict once the day's backup is made, lets the clerk bring a backup back
// at will, and carries the restore out once the screens have let go of the
// store; the program then starts afresh on the restored store.
class StoreCare : public QObject {
    Q_OBJECT
public:
    StoreCare(const QString& folder, std::shared_future<Backups::CheckOutcome> outcome, QObject* parent = nullptr);

    // Offers the backups beside the store, newest first, and asks before
    // anything happens. A confirmed choice becomes the pending restore.
    void chooseBackup(QWidget* parent);
    // The backup to bring back when the program ends; empty when none.
    const QString& pendingRestore() const { return m_pendingRestore; }
    // Brings the pending backup back; the store must be closed by now.
    // Returns what the clerk is told. Throws DataError.
    QString restorePending(const QDateTime& now);

signals:
    // The clerk asked for a restore: the program ends its screens now.
    void restoreRequested();

private:
    void lookAtOutcome();
    void request(const QString& backup);

    QString m_folder;
    std::shared_future<Backups::CheckOutcome> m_outcome;
    QTimer* m_poll;
    QString m_pendingRestore;
    bool m_onServer = false; // the folder names a server: backups are its dumps
};
