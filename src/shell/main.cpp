// Evlora: start-up. The splash first, then the store and every screen,
// created once and hidden, then the main window and the event loop.
#include "shell/application.h"
#include "shell/programscreens.h"
#include "kit/screens.h"
#include "shell/splashscreen.h"
#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"

#include <QDir>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    Application app(argc, argv);

    auto* splash = new SplashScreen;
    splash->show();
    app.processEvents();

    std::unique_ptr<Database> store;
    std::unique_ptr<Screens> screens;
    try {
        store = Catalogue::openStore(QDir::currentPath());
        screens = std::make_unique<Screens>(*store);
        screens->createAll(programScreens());
    } catch (const DataError& error) {
        splash->hide();
        QMessageBox::critical(nullptr, QStringLiteral("Evlora"), error.message());
        return 1;
    }

    splash->hide();
    splash->deleteLater();
    screens->show(QStringLiteral("MainWindow"));
    const int result = app.exec();
    screens.reset(); // screens close their datasets before the store goes
    return result;
}
