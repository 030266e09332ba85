#include "shell/storecare.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/postgresengine.h"
#include "platform/system/confirmer.h"
#include "platform/system/errorreporter.h"

#include <QApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QTimer>

StoreCare::StoreCare(const QString& folder, std::shared_future<Backups::CheckOutcome> outcome, QObject* parent)
    : QObject(parent), m_folder(folder), m_outcome(std::move(outcome)), m_poll(new QTimer(this))
{
    try {
        m_onServer = PostgresEngine::settingIn(folder).has_value();
    } catch (const DataError&) {
        // the store opened, so the setting was read a moment ago
    }
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
    QApplication::setOverrideCursor(Qt::WaitCursor); // every copy is checked before it is offered
    const QVector<Backups::Offer> offers = Backups::offers(m_folder);
    QApplication::restoreOverrideCursor();
    if (offers.isEmpty()) {
        errorReporter().report(parent, QStringLiteral("Henüz bir yedek yok. Evlora her açılışta %1 bir yedeğini '%2' "
                                                      "klasörüne alır.")
                                           .arg(m_onServer ? QStringLiteral("sunucudaki verinin")
                                                           : QStringLiteral("veri dosyasının"),
                                                Backups::FolderName));
        return;
    }
    QStringList offered;
    for (const Backups::Offer& offer : offers)
        offered << offer.label;
    bool chosen = false;
    const QString choice = QInputDialog::getItem(parent, QStringLiteral("Yedekten Geri Yükle"),
                                                 QStringLiteral("Geri yüklenecek yedek (en yenisi üstte):"), offered,
                                                 0, false, &chosen);
    const qsizetype index = offered.indexOf(choice);
    if (!chosen || index < 0)
        return;
    const Backups::Offer& offer = offers.at(index);
    if (!offer.sound) {
        errorReporter().report(parent, QStringLiteral("Bu kopya bozuk olduğu için geri yüklenemez: %1.\nBaşka bir "
                                                      "yedek seçin; veri dosyanız olduğu gibi duruyor.")
                                           .arg(Backups::describe(offer.path)));
        return;
    }
    const QString question =
        m_onServer
            ? QStringLiteral("Sunucudaki bütün veriler şu yedekle değiştirilsin mi: %1?\n\nBu, bütün masaları "
                             "etkiler. Şu anki hali silinmez, önce '%2' klasörüne 'evlora-kenara-…' adıyla alınır. "
                             "Ekranlarda onaylanmamış değişiklikler yazılmaz. Evlora kapanıp yeniden açılır; öbür "
                             "masalar geri yüklenen veriyi kendiliğinden görür.")
                  .arg(offer.label, Backups::FolderName)
            : QStringLiteral("Veri dosyası şu kopyayla değiştirilsin mi: %1?\n\nŞu anki veri dosyası silinmez, aynı "
                             "klasörde 'evlora-kenara-…' adıyla kenara alınır. Ekranlarda onaylanmamış değişiklikler "
                             "yazılmaz. Evlora kapanıp yeniden açılır.")
                  .arg(offer.label);
    if (confirmer().confirm(parent, question))
        request(offer.path);
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
    QString kept;
    if (!aside.isEmpty())
        kept = m_onServer ? QStringLiteral(" Sunucunun önceki hali '%1/%2' olarak kenarda duruyor.")
                                .arg(Backups::FolderName, QFileInfo(aside).fileName())
                          : QStringLiteral(" Önceki veri dosyası '%1' adıyla kenarda duruyor.").arg(QFileInfo(aside).fileName());
    return QStringLiteral("Yedek geri yüklendi: %1.%2").arg(Backups::describe(m_pendingRestore), kept);
}
