#include "shell/storecare.h"

#include "platform/engine/dataerror.h"
#include "platform/system/confirmer.h"
#include "platform/system/errorreporter.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QTimer>

StoreCare::StoreCare(const QString& folder, std::shared_future<Backups::CheckOutcome> outcome, QObject* parent)
    : QObject(parent), m_folder(folder), m_outcome(std::move(outcome)), m_poll(new QTimer(this))
{
    // The backup runs on a thread of the standard library; its end is looked
    // for between the clerk's events rather than signalled across.
    m_poll->setInterval(100);
    connect(m_poll, &QTimer::timeout, this, &StoreCare::lookAtOutcome);
    m_poll->start();
}

void StoreCare::lookAtOutcome()
{
    if (m_outcome.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    m_poll->stop();
    const Backups::CheckOutcome& outcome = m_outcome.get();
    if (!outcome.failure.isEmpty())
        errorReporter().report(nullptr, outcome.failure);
    if (outcome.damage.isEmpty())
        return;
    const QString backup = Backups::newestGood(m_folder);
    if (backup.isEmpty())
        errorReporter().report(nullptr, outcome.damage + Backups::NoGoodBackup);
    else if (Backups::offerRestore(backup, outcome.damage))
        request(backup);
}

void StoreCare::chooseBackup(QWidget* parent)
{
    const QStringList backups = Backups::available(m_folder);
    if (backups.isEmpty()) {
        errorReporter().report(parent, QStringLiteral("Henüz bir yedek yok. Evlora her açılışta veri dosyasının bir "
                                                      "yedeğini '%1' klasörüne alır.")
                                           .arg(Backups::FolderName));
        return;
    }
    QStringList offered;
    for (const QString& backup : backups)
        offered << Backups::describe(backup);
    bool chosen = false;
    const QString choice = QInputDialog::getItem(parent, QStringLiteral("Yedekten Geri Yükle"),
                                                 QStringLiteral("Geri yüklenecek yedek (en yenisi üstte):"), offered,
                                                 0, false, &chosen);
    if (!chosen)
        return;
    const QString backup = backups.value(offered.indexOf(choice));
    if (backup.isEmpty())
        return;
    const QString question =
        QStringLiteral("Veri dosyası %1 tarihli yedekle değiştirilsin mi?\n\nŞu anki veri dosyası silinmez, aynı "
                       "klasörde 'evlora-kenara-…' adıyla kenara alınır. Ekranlarda onaylanmamış değişiklikler "
                       "yazılmaz. Evlora kapanıp yeniden açılır.")
            .arg(choice);
    if (confirmer().confirm(parent, question))
        request(backup);
}

void StoreCare::request(const QString& backup)
{
    m_pendingRestore = backup;
    emit restoreRequested();
}

QString StoreCare::restorePending(const QDateTime& now)
{
    m_outcome.wait(); // the day's backup reads the store until it is done
    const QString aside = Backups::restore(m_folder, m_pendingRestore, now);
    return QStringLiteral("Yedek geri yüklendi: %1.%2")
        .arg(Backups::describe(m_pendingRestore),
             aside.isEmpty() ? QString()
                             : QStringLiteral(" Önceki veri dosyası '%1' adıyla kenarda duruyor.")
                                   .arg(QFileInfo(aside).fileName()));
}
