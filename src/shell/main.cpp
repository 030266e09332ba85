// Evlora: start-up. The splash first, then the store and the main window,
// then the event loop, in whose first turns every other screen is created
// once and hidden.
#include "shell/application.h"
#include "shell/programscreens.h"
#include "kit/screens.h"
#include "shell/mainwindow.h"
#include "shell/splashscreen.h"
#include "shell/storecare.h"
#include "data/backups.h"
#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/folderlock.h"
#include "platform/system/clock.h"
#include "platform/system/systemshutdown.h"

#include <QAction>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

const char Usage[] =
    "Kullanım: evlora [--help | --version]\n"
    "\n"
    "Emlak ofisleri için kayıt programı. Bulunduğunuz klasörü veri klasörü olarak\n"
    "kullanır: verileri evlora.sqlite dosyasında, yedekleri yedek/ klasöründe tutar ve\n"
    "açılış animasyonunu (ani34.avi) orada arar. Menüdeki Evlora kısayolu programı\n"
    "~/Evlora klasöründe başlatır.\n"
    "\n"
    "  -h, --help     bu açıklamayı yazar\n"
    "  -V, --version  sürümü yazar\n";

// The program takes no arguments but these two, and answers them before any
// window opens or any file is touched. -1: go on and start.
int answerCommandLine(int argc, char* argv[])
{
    const auto is = [](const char* word, const char* shortName, const char* longName) {
        return std::strcmp(word, shortName) == 0 || std::strcmp(word, longName) == 0;
    };
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (is(word, "-h", "--help") || is(word, "-V", "--version"))
            continue;
        if (word[0] == '-')
            std::fprintf(stderr, "evlora: '%s' seçeneği tanınmıyor.\n\n", word);
        else
            std::fprintf(stderr, "evlora: '%s' anlaşılmadı; program dosya ya da klasör adı almaz.\n\n", word);
        std::fputs(Usage, stderr);
        return 2;
    }
    if (argc < 2)
        return -1;
    if (is(argv[1], "-h", "--help"))
        std::fputs(Usage, stdout);
    else
        std::printf("evlora %s\n", EVLORA_VERSION);
    return 0;
}

// The phone book's timed shut-down asks the system through this. With
// EVLORA_SHUTDOWN=print (any value but empty, in fact) the program only
// writes the command it would run: for trying the program out.
std::unique_ptr<ShutdownRequest> shutdownForThisRun(QTextStream& terminal)
{
    const QString mode = qEnvironmentVariable("EVLORA_SHUTDOWN");
    if (mode.isEmpty())
        return makeSystemShutdown();
    if (mode != QLatin1String("print"))
        terminal << "Evlora: EVLORA_SHUTDOWN=" << mode << " bilinmiyor; kapatma isteği yalnızca yazılacak ('print')."
                 << Qt::endl;
    return std::make_unique<PrintedShutdown>(terminal);
}

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = answerCommandLine(argc, argv); answered >= 0)
        return answered;
    Application app(argc, argv);

    QTextStream terminal(stdout);
    const std::unique_ptr<ShutdownRequest> shutdown = shutdownForThisRun(terminal);
    setShutdownRequest(shutdown.get());

    auto* splash = new SplashScreen;
    splash->show();
    app.processEvents();

    const QString folder = QDir::currentPath();
    std::unique_ptr<FolderLock> folderLock; // held until the program ends
    Backups::Start start;
    std::unique_ptr<Screens> screens;
    const ScreenMakers makers = programScreens(); // the main window first
    try {
        folderLock = FolderLock::take(folder);
        start = Backups::openAtStart(folder, systemClock().now());
        screens = std::make_unique<Screens>(*start.store);
        screens->createAll(makers.mid(0, 1));
    } catch (const DataError& error) {
        splash->hide();
        QMessageBox::critical(nullptr, QStringLiteral("Evlora"), error.message());
        return 1;
    }

    splash->hide();
    splash->deleteLater();
    StoreCare care(folder, start.outcome);
    auto* mainWindow = screens->get<MainWindow>(QStringLiteral("MainWindow"));
    QObject::connect(mainWindow->restoreAction(), &QAction::triggered, &care,
                     [&care, mainWindow] { care.chooseBackup(mainWindow); });
    QObject::connect(&care, &StoreCare::restoreRequested, &app, [] { QCoreApplication::exit(0); });
    screens->show(QStringLiteral("MainWindow"));
    // The clerk sees the main window at once; the hidden screens follow, one
    // per turn of the event loop, so a click meanwhile is answered (and a
    // screen asked for before its turn is made at once).
    screens->createInTurns(makers.mid(1), mainWindow, [mainWindow](const QString& message) {
        QMessageBox::critical(mainWindow, QStringLiteral("Evlora"), message);
        QCoreApplication::exit(1);
    });
    const int result = app.exec();
    screens.reset(); // screens close their datasets before the store goes
    start.store.reset();
    setShutdownRequest(nullptr);
    if (care.pendingRestore().isEmpty())
        return result;

    // A restore replaces the store file, so it waits until nothing holds it;
    // then the program starts afresh on whichever store is in place.
    try {
        QMessageBox::information(nullptr, QStringLiteral("Evlora"), care.restorePending(systemClock().now()));
    } catch (const DataError& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Evlora"), error.message());
    }
    folderLock.reset();
    if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), {}, folder))
        QMessageBox::critical(nullptr, QStringLiteral("Evlora"),
                              QStringLiteral("Evlora yeniden başlatılamadı; lütfen kendiniz başlatın."));
    return result;
}
