// Times what the call sheet asks of the showing logs: for every request,
// which listings its customer was shown and when, over 10,000 requests and
// 20,000 showings of two linked places each (half the customers found by
// name, half by a phone number only), on a scratch store of its own.
//
//   bench_shown [requests]     (default: 10000)

#include "data/catalogue.h"
#include "data/shownlistings.h"
#include "platform/engine/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 7;

QString phoneOf(int n)
{
    return QStringLiteral("(5%1) %2-%3-%4")
        .arg(30 + n % 70)
        .arg(100 + n / 10000 % 900)
        .arg(n / 100 % 100, 2, 10, QLatin1Char('0'))
        .arg(n % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int requests = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    QTemporaryDir folder;
    std::unique_ptr<Database> db = Catalogue::openStore(folder.path());

    db->inTransaction([&] {
        for (int n = 0; n < requests; ++n)
            db->execute(QStringLiteral("INSERT INTO musteritalepleri (\"Isim\", \"Ceptel\") VALUES (?, ?)"),
                        {QStringLiteral("Müşteri %1").arg(n), phoneOf(n)});
        for (int n = 0; n < 2 * requests; ++n) {
            const int customer = n % requests;
            // Half are told by their name, half by their mobile number typed another way.
            const bool byName = customer % 2 == 0;
            db->execute(QStringLiteral("INSERT INTO gosterilenkd (\"AdiSoyadi\", \"Tarih\", \"Ceptel\") VALUES (?, ?, ?)"),
                        {byName ? QStringLiteral("MÜŞTERİ %1").arg(customer) : QStringLiteral("Bey"),
                         QDate(2026, 1, 1).addDays(n % 300).toString(QStringLiteral("dd.MM.yyyy")),
                         byName ? QStringLiteral("") : QStringLiteral("0") + phoneOf(customer)});
            const qint64 showing = db->lastInsertKey();
            ShownListings::Links links;
            links[0] = {QStringLiteral("kdgiris"), n + 1};
            links[2] = {QStringLiteral("arsa"), n % 500 + 1};
            ShownListings::write(*db, QStringLiteral("gosterilenkd"), showing, links);
        }
    });

    std::vector<double> times;
    qsizetype found = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto shown = ShownListings::shownToRequests(*db, true);
        times.push_back(timer.nsecsElapsed() / 1e6);
        found = shown.size();
    }
    std::sort(times.begin(), times.end());
    std::printf("shownToRequests: %d requests, %d showings, %d links: median %.1f ms (best %.1f, worst %.1f); "
                "%lld requests with listings shown\n",
                requests, 2 * requests, 4 * requests, times[times.size() / 2], times.front(), times.back(),
                static_cast<long long>(found));
    return found == requests ? 0 : 1;
}
