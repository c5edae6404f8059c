#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "i18n/Languages.h"
#include "shell/MessageBoxBackend.h"
#include "shell/ScreenshotHook.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/Log.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/ui/ShellIcons.h"

#include <QApplication>
#include <QDesktopServices>

#include <memory>

int main(int argc, char *argv[])
{
    const bool verbose = Log::takeVerboseFlag(argc, argv);
    QApplication app(argc, argv);
    if (verbose)
        Log::beVerbose();
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvane"));
    QApplication::setWindowIcon(ShellIcons::appIcon());
    // The program ends through its own close sequence, also from the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    mUtil::setShellOpener([](const QUrl &url) { return QDesktopServices::openUrl(url); });
    // The window never waits for feeds.fdb or AppCfg.cfg to be saved.
    Catalogue::setBackgroundSavesDefault(true);
    mSettings::setBackgroundSaves(true);
    MessageBoxBackend messageBoxes;
    Messages::setBackend(&messageBoxes);

    const QStringList arguments = app.arguments();
    AppFolder::resolve(arguments);
    if (!AppFolder::prepare()) {
        Messages::show(Messages::Icon::Critical, AppInfo::title(),
            getMessages(Msg::FOLDERFAILED).arg(AppFolder::path()));
        return 1;
    }
    const QStringList programArguments = AppFolder::stripHomeOption(arguments).mid(1);
    if (programArguments == QStringList {QStringLiteral("--write-localization")}) {
        // Every window loaded, none shown, in its design texts.
        frmMain window;
        const bool written = window.makeLocalizationFile();
        Messages::setBackend(nullptr);
        return written ? 0 : 1;
    }
    const StartOptions options = StartOptions::fromArguments(programArguments);
    const QString screenshot = qEnvironmentVariable("QUORVANE_SCREENSHOT");

    std::unique_ptr<frmMain> mainWindow;
    frmSplash splash;
    QObject::connect(&splash, &frmSplash::finished, &app, [&] {
        mainWindow = std::make_unique<frmMain>(options);
        mainWindow->Load();
        if (!screenshot.isEmpty())
            ScreenshotHook::arm(
                mainWindow.get(), screenshot, qEnvironmentVariable("QUORVANE_SCREENSHOT_DIALOGS"));
    });
    splash.start();
    const int status = QApplication::exec();
    mainWindow.reset();
    Messages::setBackend(nullptr);
    return status;
}
