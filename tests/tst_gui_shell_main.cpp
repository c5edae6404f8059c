// The main window: start-up, commands, feed windows and their tabs, the
// close decision and the scheduler timer.

#include "config/Settings.h"
#include "i18n/Languages.h"
#include "scheduler/ScheduledCheck.h"
#include "shell/ScheduleTimer.h"
#include "shell/frmAbout.h"
#include "shell/frmConfirmClose.h"
#include "shell/frmMain.h"
#include "shell/frmOptionBar.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"
#include "util/AppInfo.h"
#include "viewer/ui/frmViewFeed.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>

using namespace ShellFixture;
using Messages::Answer;

namespace
{

// Answers the confirm-close dialog once it is up: ticks "Don't show this
// Reminder again." when asked and clicks the button of that index.
class ConfirmCloseAnswer : public QObject
{
public:
    ConfirmCloseAnswer(int button, bool dontShow) : m_button(button), m_dontShow(dontShow)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &ConfirmCloseAnswer::poll);
        m_timer.start();
    }
    bool seen = false;
    bool alwaysCloseTicked = false;

private:
    void poll()
    {
        auto *dialog = qobject_cast<frmConfirmClose *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        m_timer.stop();
        seen = true;
        alwaysCloseTicked = dialog->findChild<QCheckBox *>(QStringLiteral("chkAlwaysClose"))->isChecked();
        dialog->findChild<QCheckBox *>(QStringLiteral("chkDontShow"))->setChecked(m_dontShow);
        for (auto *button : dialog->findChildren<QPushButton *>(QStringLiteral("btnOK"))) {
            if (button->property("index").toInt() == m_button)
                button->click();
        }
    }

    QTimer m_timer;
    int m_button;
    bool m_dontShow;
};

} // namespace

class TestShellMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(m_settings); }

    void init()
    {
        clearSession();
        m_home = std::make_unique<TempHome>();
        m_server = std::make_unique<LoopbackServer>();
        const QByteArray feed = TempHome::fixture(QStringLiteral("gui/sample-feed.xml"));
        m_server->serve(QStringLiteral("/planet.xml"), feed);
        m_server->serve(QStringLiteral("/zeta.xml"), feed);
        writeCatalogue(*m_home, m_server->url(QString()));
        m_messages = std::make_unique<MessageRecorder>();
        m_opened.clear();
        // What the desktop would open: local files by path, the rest as given.
        mUtil::setShellOpener([this](const QUrl &url) {
            m_opened << (url.isLocalFile() ? url.toLocalFile() : url.toString());
            return true;
        });
    }

    void cleanup()
    {
        mUtil::setShellOpener([](const QUrl &) { return true; });
        m_cycles.clear();
        m_main.reset();
        m_messages.reset();
        m_server.reset();
        m_home.reset();
    }

    void startupCaptionsAndPanels();
    void firstRunHelpIsOfferedOnce();
    void commandsDoWhatTheySay_data();
    void commandsDoWhatTheySay();
    void startOptions_data();
    void startOptions();
    void trayStartKeepsWindowReachable();
    void togglePanel();

    void doubleClickOpensFeedOnce();
    void openFeedRetargetsOpenWindow();
    void windowsMenuFollowsWindows();
    void busyTabRefusesToClose();

    void closeDecision_data();
    void closeDecision();
    void dontShowAgainGoesStraightToTray();

    void scheduleTimer_data();
    void scheduleTimer();
    void executeNowWithTimerOff();
    void savedSchedulerSettingsApplyAtOnce();
    void timerRunsChecksAndRearms();
    void closingStopsTimer();
    void closeDuringFeedDownload();
    void closeDuringScheduledCheck();

private:
    frmMain *start(const StartOptions &options = {})
    {
        m_main = std::make_unique<frmMain>(options);
        m_main->Load();
        return m_main.get();
    }
    QString scheduleLog() const { return QString::fromUtf8(m_home->read(QStringLiteral("schedule.log"))); }
    QTimer *timer() const { return m_main->findChild<QTimer *>(QStringLiteral("tmrSchedule")); }
    QList<QAction *> windowEntries() const
    {
        return m_main->findChild<QMenu *>(QStringLiteral("mnuWindows"))->actions();
    }
    QString url(const QString &path) const { return m_server->url(path); }
    void writeConfig(const QByteArray &text) const { m_home->write(QStringLiteral("AppCfg.cfg"), text); }
    QString config() const { return QString::fromUtf8(m_home->read(QStringLiteral("AppCfg.cfg"))); }
    // A silent server is given up on after timeoutMs; the others answer well before.
    frmViewFeed *openQuietly(
        const QString &caption, const QString &id, const QString &path, bool check, int timeoutMs = 20000)
    {
        m_main->OpenFeed(caption, id, url(path), 0, check);
        frmViewFeed *feed = m_main->activeFeedWindow();
        if (feed) {
            feed->setConnectionTest([] { return true; });
            feed->setDownloadTimeout(timeoutMs);
            m_cycles.insert(feed, std::make_shared<QSignalSpy>(feed, &frmViewFeed::cycleFinished));
        }
        return feed;
    }
    // Waits for the first refresh cycle of a window opened through openQuietly.
    void waitIdle(frmViewFeed *feed) const
    {
        const std::shared_ptr<QSignalSpy> done = m_cycles.value(feed);
        QVERIFY(done);
        QTRY_VERIFY_WITH_TIMEOUT(done->count() > 0 && !feed->StillExecuting(), 20000);
    }

    QTemporaryDir m_settings;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<frmMain> m_main;
    QHash<frmViewFeed *, std::shared_ptr<QSignalSpy>> m_cycles;
    QStringList m_opened; // what was handed to the desktop to open
};

void TestShellMain::startupCaptionsAndPanels()
{
    const QDate startDay = QDate::currentDate();
    m_main = std::make_unique<frmMain>();
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Quorvane"));
    m_main->Load();
    QVERIFY(m_main->isVisible());
    QCOMPARE(m_main->windowTitle(),
        AppInfo::productName() + getMessages(QStringLiteral("MSG_BY")) + AppInfo::companyName());
    QCOMPARE(m_main->findChild<QPushButton *>(QStringLiteral("cmdWebsite"))->text(),
        getMessages(QStringLiteral("MSG_VISIT")) + AppInfo::webAddress());
    // The date panel shows the day of the start, which may turn at midnight.
    const QString dateShown = m_main->findChild<QLabel *>(QStringLiteral("ucStatusPanel2"))->text();
    const auto dayText = [](const QDate &day) {
        return QLocale::system().toString(day, QStringLiteral("dddd, dd MMMM yyyy"));
    };
    QVERIFY2(
        dateShown == dayText(startDay) || dateShown == dayText(QDate::currentDate()), qPrintable(dateShown));
    QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("ucStatusPanel4"))->text(),
        getMessages(QStringLiteral("MSG_STATUSREADY")));
    QCOMPARE(windowEntries().size(), 1);
    QCOMPARE(windowEntries().first()->text(), getMessages(QStringLiteral("MSG_NOFEEDSOPEN")));
    QVERIFY(m_main->findChild<QAction *>(QStringLiteral("mnuToolsOptionBar"))->isChecked());
    QCOMPARE(m_messages->count(), 0);
}

void TestShellMain::firstRunHelpIsOfferedOnce()
{
    m_home->write(QStringLiteral("Help.html"), "<html><body>Help</body></html>");
    QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
    settings.setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("1"));
    start();
    QCOMPARE(m_opened, QStringList {m_home->file(QStringLiteral("Help.html"))});
    settings.sync();
    QCOMPARE(settings.value(QStringLiteral("Settings/showHelp")).toString(), QStringLiteral("0"));
    // The next start leaves the help alone.
    m_main.reset();
    start();
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_messages->count(), 0);
}

// Each command of the menu bar, found by its menu and text as a user finds
// it, and run by its shortcut where it has one.
void TestShellMain::commandsDoWhatTheySay_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");

    const QKeySequence none;
    QTest::newRow("refresh") << "Feed Manager"
                             << "Refresh" << QKeySequence(Qt::Key_F5);
    QTest::newRow("execute schedule") << "Tools"
                                      << "Execute Schedule Now" << QKeySequence(Qt::Key_F9);
    QTest::newRow("option bar") << "Tools"
                                << "Option Bar" << QKeySequence(Qt::Key_F4);
    QTest::newRow("view help") << "Help"
                               << "View Help" << QKeySequence(Qt::Key_F1);
    QTest::newRow("about") << "About"
                           << "About this software" << none;
    QTest::newRow("website") << "About"
                             << "Visit our Website" << QKeySequence(Qt::SHIFT | Qt::Key_F1);
}

void TestShellMain::commandsDoWhatTheySay()
{
    QFETCH(QString, menu);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);

    m_home->write(QStringLiteral("Help.html"), "<html><body>Help</body></html>");
    writeConfig("[schdl]\r\nena=0\r\nfrq=3\r\n");
    start();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    QAction *command = nullptr;
    for (QAction *entry : m_main->menuBar()->actions()) {
        if (entry->text() != menu || !entry->menu())
            continue;
        for (QAction *action : entry->menu()->actions())
            command = action->text() == text ? action : command;
    }
    QVERIFY2(command, qPrintable(menu + QStringLiteral(" > ") + text));
    QCOMPARE(command->shortcut(), shortcut);

    // A category added to the file behind the program's back shows only on a refresh.
    QByteArray catalogue = m_home->read(QStringLiteral("feeds.fdb"));
    catalogue.replace("</categories>", "<category name=\"Fresh\"/></categories>");
    m_home->write(QStringLiteral("feeds.fdb"), catalogue);
    QTreeWidget *tree = m_main->optionBar()->tvCategories();
    const auto freshShown = [tree] {
        return !tree->findItems(QStringLiteral("Fresh"), Qt::MatchExactly | Qt::MatchRecursive).isEmpty();
    };
    QSignalSpy checked(m_main->scheduledCheck(), &ScheduledCheck::finished);
    if (shortcut.isEmpty())
        command->trigger();
    else
        QTest::keySequence(m_main.get(), shortcut);

    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    if (tag == QLatin1String("refresh")) {
        QTRY_VERIFY(freshShown());
        return;
    }
    QVERIFY(!freshShown());
    if (tag == QLatin1String("execute schedule")) {
        QVERIFY(checked.wait(20000));
        QVERIFY(scheduleLog().contains(QStringLiteral("Scheduled Check Finished (")));
    } else if (tag == QLatin1String("option bar")) {
        QVERIFY(!m_main->findChild<QDockWidget *>(QStringLiteral("ucFormDock"))->isVisible());
    } else if (tag == QLatin1String("view help")) {
        QCOMPARE(m_opened, QStringList {m_home->file(QStringLiteral("Help.html"))});
    } else if (tag == QLatin1String("about")) {
        auto *about = m_main->findChild<frmAbout *>(QStringLiteral("frmAbout"));
        QVERIFY(about && about->isVisible());
    } else if (tag == QLatin1String("website")) {
        QCOMPARE(m_opened.size(), 1);
        QVERIFY2(m_opened.first().startsWith(QStringLiteral("http")), qPrintable(m_opened.first()));
    }
}

void TestShellMain::startOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("debug");

    QTest::newRow("none") << QStringList {} << false << false;
    QTest::newRow("-s") << QStringList {"-s"} << true << false;
    QTest::newRow("-debug") << QStringList {"-debug"} << false << true;
    QTest::newRow("/s") << QStringList {"/s"} << false << false;
    QTest::newRow("-S") << QStringList {"-S"} << false << false;
    QTest::newRow("-s and more") << QStringList {"-s", "x"} << false << false;
    QTest::newRow("both") << QStringList {"-s", "-debug"} << false << false;
}

void TestShellMain::startOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, tray);
    QFETCH(bool, debug);
    const StartOptions options = StartOptions::fromArguments(arguments);
    QCOMPARE(options.tray, tray);
    QCOMPARE(options.debug, debug);
}

void TestShellMain::trayStartKeepsWindowReachable()
{
    StartOptions options;
    options.tray = true;
    frmMain *main = start(options);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        QVERIFY(main->isHidden());
        QVERIFY(main->trayIcon());
    } else {
        // Without a tray the window waits minimised on the task bar.
        QVERIFY(main->isMinimized());
        QVERIFY(main->isVisible());
    }
}

void TestShellMain::togglePanel()
{
    start();
    auto *dock = m_main->findChild<QDockWidget *>(QStringLiteral("ucFormDock"));
    auto *toggle = m_main->findChild<QAction *>(QStringLiteral("cmdTogglePanel"));
    auto *optionBar = m_main->findChild<QAction *>(QStringLiteral("mnuToolsOptionBar"));
    toggle->trigger();
    QVERIFY(!dock->isVisible());
    QVERIFY(!optionBar->isChecked());
    optionBar->trigger();
    QVERIFY(dock->isVisible());
    QVERIFY(optionBar->isChecked());
    // Closing the panel itself takes the mark away.
    dock->close();
    QVERIFY(!optionBar->isChecked());
}

void TestShellMain::doubleClickOpensFeedOnce()
{
    start();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QTreeWidget *tree = m_main->optionBar()->tvCategories();
    QTreeWidgetItem *planet = findNode(tree, planetId);
    tree->scrollToItem(planet);
    const QPoint at = tree->visualItemRect(planet).center();
    const auto doubleClick = [&] {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    };

    doubleClick();
    QCOMPARE(m_main->feedWindows().size(), 1);
    frmViewFeed *feed = m_main->activeFeedWindow();
    QCOMPARE(feed->FeedID(), planetId);
    QCOMPARE(feed->FeedURL(), url(QStringLiteral("/planet.xml")));
    QCOMPARE(feed->FeedCaption(), QStringLiteral("Daily Planet"));
    QCOMPARE(feed->FeedType(), 0);
    QVERIFY(feed->CheckForNewItems());
    feed->setConnectionTest([] { return true; });
    QSignalSpy done(feed, &frmViewFeed::cycleFinished);
    QTRY_VERIFY_WITH_TIMEOUT(done.count() > 0, 20000);

    // Open elsewhere, then double-click again: brought forward, not opened twice.
    openQuietly(QStringLiteral("Zeta Wire"), zetaId, QStringLiteral("/zeta.xml"), false);
    doubleClick();
    QCOMPARE(m_main->feedWindows().size(), 2);
    QCOMPARE(m_main->activeFeedWindow(), feed);
    QCOMPARE(windowEntries().size(), 2);
}

void TestShellMain::openFeedRetargetsOpenWindow()
{
    start();
    frmViewFeed *feed
        = openQuietly(QStringLiteral("Daily Planet"), planetId, QStringLiteral("/planet.xml"), false);
    waitIdle(feed);
    QCOMPARE(windowEntries().first()->text(), QStringLiteral("Daily Planet"));
    QCOMPARE(windowEntries().first()->data().toString(), planetId);

    // The same URL in other letter case, from another catalogue entry.
    const QString shouted = url(QStringLiteral("/planet.xml")).toUpper();
    m_main->OpenFeed(QStringLiteral("Planet Again"), alphaId, shouted, 2, false);
    QCOMPARE(m_main->feedWindows().size(), 1);
    QCOMPARE(m_main->activeFeedWindow(), feed);
    QCOMPARE(feed->FeedID(), alphaId);
    QCOMPARE(feed->FeedCaption(), QStringLiteral("Planet Again"));
    QCOMPARE(feed->FeedURL(), shouted);
    QCOMPARE(feed->FeedType(), 2);
    QCOMPARE(windowEntries().size(), 1);
    QCOMPARE(windowEntries().first()->text(), QStringLiteral("Planet Again"));
    QCOMPARE(windowEntries().first()->data().toString(), alphaId);
    QVERIFY(m_main->IsFeedOpen(url(QStringLiteral("/planet.xml")), false));
    QVERIFY(!m_main->IsFeedOpen(url(QStringLiteral("/zeta.xml")), false));
}

void TestShellMain::windowsMenuFollowsWindows()
{
    start();
    frmViewFeed *planet
        = openQuietly(QStringLiteral("Daily Planet"), planetId, QStringLiteral("/planet.xml"), false);
    frmViewFeed *zeta = openQuietly(QStringLiteral("Zeta Wire"), zetaId, QStringLiteral("/zeta.xml"), false);
    QCOMPARE(m_main->activeFeedWindow(), zeta);
    waitIdle(planet);
    waitIdle(zeta);
    QCOMPARE(windowEntries().size(), 2);

    // Choosing an entry brings its window forward.
    windowEntries().last()->trigger();
    QCOMPARE(m_main->activeFeedWindow(), zeta);
    windowEntries().first()->trigger();
    QCOMPARE(m_main->activeFeedWindow(), planet);

    // An entry goes with its window; the last one brings back "No Feeds Open".
    QMdiArea *tabs = m_main->tabs();
    tabs->subWindowList().last()->close();
    QTRY_COMPARE(windowEntries().size(), 1);
    QCOMPARE(windowEntries().first()->text(), QStringLiteral("Daily Planet"));
    tabs->subWindowList().first()->close();
    QTRY_COMPARE(windowEntries().first()->text(), getMessages(QStringLiteral("MSG_NOFEEDSOPEN")));
    QCOMPARE(windowEntries().size(), 1);
    QCOMPARE(m_messages->count(), 0);
}

void TestShellMain::busyTabRefusesToClose()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route(QStringLiteral("/slow.xml"), silent);
    start();
    // The close is tried while the download waits for the silent server.
    bool busy = false;
    bool closed = true;
    QMdiSubWindow *window = nullptr;
    frmViewFeed *feed = nullptr;
    connect(m_server.get(), &LoopbackServer::requestReceived, this, [&] {
        busy = feed->StillExecuting();
        closed = window->close();
    });
    feed = openQuietly(QStringLiteral("Slow"), zetaId, QStringLiteral("/slow.xml"), true, 400);
    window = m_main->tabs()->activeSubWindow();
    waitIdle(feed);

    QVERIFY(busy);
    QVERIFY(!closed);
    QCOMPARE(m_messages->titles().first(), QString());
    QCOMPARE(m_messages->entries().first().icon, Messages::Icon::Exclamation);
    QCOMPARE(m_messages->entries().first().text, getMessages(QStringLiteral("MSG_BUSY")));
    QCOMPARE(m_main->tabs()->subWindowList().size(), 1);

    // Once the download has given up, the tab closes.
    QVERIFY(window->close());
    QTRY_COMPARE(m_main->tabs()->subWindowList().size(), 0);
}

void TestShellMain::closeDecision_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("button"); // -1: no question expected
    QTest::addColumn<bool>("alwaysCloseTicked");
    QTest::addColumn<bool>("exits");
    QTest::addColumn<QStringList>("storedAfter");

    QTest::newRow("ask, close now") << QByteArray() << 0 << false << true
                                    << QStringList {"confirm=1", "close=0", "mins=1"};
    QTest::newRow("ask, keep running") << QByteArray("[app]\r\nclose=1\r\n") << 1 << true << false
                                       << QStringList {"confirm=1", "close=1", "mins=0"};
    QTest::newRow("no question, exit") << QByteArray("[app]\r\nconfirm=0\r\nclose=1\r\n") << -1 << false
                                       << true << QStringList {"confirm=0", "close=1"};
    QTest::newRow("no question, tray") << QByteArray("[app]\r\nconfirm=0\r\nclose=0\r\n") << -1 << false
                                       << false << QStringList {"confirm=0", "close=0"};
}

void TestShellMain::closeDecision()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, button);
    QFETCH(bool, alwaysCloseTicked);
    QFETCH(bool, exits);
    QFETCH(QStringList, storedAfter);

    if (!stored.isEmpty())
        writeConfig(stored);
    frmMain *main = start();
    ConfirmCloseAnswer answer(button, false);
    QCOMPARE(main->close(), exits);

    QCOMPARE(answer.seen, button >= 0);
    QCOMPARE(answer.alwaysCloseTicked, alwaysCloseTicked);
    if (exits)
        QVERIFY(!main->isVisible());
    else
        QVERIFY(main->isMinimized() || main->isHidden());
    for (const QString &line : storedAfter)
        QVERIFY2(config().contains(line), qPrintable(config()));
    QCOMPARE(m_messages->count(), 0);
}

void TestShellMain::dontShowAgainGoesStraightToTray()
{
    frmMain *main = start();
    {
        ConfirmCloseAnswer answer(1, true);
        QVERIFY(!main->close());
        QVERIFY(answer.seen);
    }
    QVERIFY(config().contains(QStringLiteral("confirm=0")));
    main->showNormal();
    ConfirmCloseAnswer again(0, false);
    QVERIFY(!main->close());
    QVERIFY(!again.seen);
    QVERIFY(main->isMinimized() || main->isHidden());
}

void TestShellMain::scheduleTimer_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("debug");
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("interval");
    QTest::addColumn<QString>("logged");

    QTest::newRow("5 minutes") << QByteArray("[schdl]\r\nena=1\r\nfrq=0\r\n") << false << true << 300000
                               << "--- Interval = 5 min) *****";
    QTest::newRow("30 minutes") << QByteArray("[schdl]\r\nena=1\r\nfrq=3\r\n") << false << true << 1800000
                                << "--- Interval = 30 min) *****";
    QTest::newRow("3 hours") << QByteArray("[schdl]\r\nena=1\r\nfrq=6\r\n") << false << true << 10800000
                             << "--- Interval = 180 min) *****";
    QTest::newRow("-debug") << QByteArray("[schdl]\r\nena=1\r\nfrq=3\r\n") << true << true << 60000
                            << "--- Interval = 1 min) *****";
    QTest::newRow("off") << QByteArray("[schdl]\r\nena=0\r\nfrq=3\r\n") << false << false << 0 << "";
    QTest::newRow("no interval chosen") << QByteArray("[schdl]\r\nena=1\r\n") << false << false << 0 << "";
}

void TestShellMain::scheduleTimer()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, debug);
    QFETCH(bool, active);
    QFETCH(int, interval);
    QFETCH(QString, logged);

    writeConfig(stored);
    StartOptions options;
    options.debug = debug;
    start(options);
    QCOMPARE(timer()->isActive(), active);
    if (!active) {
        QCOMPARE(scheduleLog(), QString());
        return;
    }
    QCOMPARE(timer()->interval(), interval);
    QVERIFY(scheduleLog().startsWith(QStringLiteral("\r\n***** Scheduler Timer Started (")));
    QVERIFY2(scheduleLog().endsWith(logged + QStringLiteral("\r\n")), qPrintable(scheduleLog()));
}

void TestShellMain::executeNowWithTimerOff()
{
    writeConfig("[schdl]\r\nena=0\r\nfrq=3\r\n");
    start();
    auto *execute = m_main->findChild<QAction *>(QStringLiteral("mnuToolsExecute"));
    QSignalSpy finished(m_main->scheduledCheck(), &ScheduledCheck::finished);
    execute->trigger();
    QVERIFY(!execute->isEnabled()); // for the length of the run
    QVERIFY(finished.wait(20000));
    QVERIFY(scheduleLog().contains(QStringLiteral("Scheduled Check Started (")));
    QVERIFY(scheduleLog().contains(QStringLiteral("No Feed Sources found Configured for Schduled check!")));
    QVERIFY(scheduleLog().contains(QStringLiteral("Scheduled Check Finished (")));
    QVERIFY(!scheduleLog().contains(QStringLiteral("Scheduler Timer Started")));
    QVERIFY(!timer()->isActive());
    QVERIFY(execute->isEnabled());
    QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("ucStatusPanel4"))->text(),
        getMessages(QStringLiteral("MSG_STATUSREADY")));
}

void TestShellMain::savedSchedulerSettingsApplyAtOnce()
{
    writeConfig("[schdl]\r\nena=0\r\nfrq=3\r\n");
    start();
    QVERIFY(!timer()->isActive());
    mSettings::scheduler().Enabled = 1;
    mSettings::scheduler().Interval = 1;
    mSettings::SaveSchedulerSettings(false);
    QVERIFY(timer()->isActive());
    QCOMPARE(timer()->interval(), 600000);
    mSettings::scheduler().Enabled = 0;
    mSettings::SaveSchedulerSettings(false);
    QVERIFY(!timer()->isActive());
}

void TestShellMain::timerRunsChecksAndRearms()
{
    writeConfig("[schdl]\r\nena=1\r\nfrq=2\r\n");
    m_main = std::make_unique<frmMain>();
    m_main->schedule()->setScheduleIntervals({50, 50, 50, 50, 50, 50, 50}, 50);
    m_main->Load();
    QTRY_VERIFY(scheduleLog().contains(QStringLiteral("Scheduled Check Finished (")));
    QVERIFY(scheduleLog().contains(QStringLiteral("***** Scheduler Timer Paused/Stopped (")));
    QTRY_VERIFY(timer()->isActive());
    QCOMPARE(timer()->interval(), 50);
}

void TestShellMain::closingStopsTimer()
{
    writeConfig("[app]\r\nconfirm=0\r\nclose=1\r\n[schdl]\r\nena=1\r\nfrq=1\r\n");
    frmMain *main = start();
    QVERIFY(timer()->isActive());
    QVERIFY(main->close());
    QVERIFY(!timer()->isActive());
    QVERIFY(scheduleLog().trimmed().endsWith(QStringLiteral(") *****")));
    QVERIFY(scheduleLog().contains(QStringLiteral("***** Scheduler Timer Paused/Stopped (")));
    // Later commands find the window unloaded and leave the timer off.
    main->schedule()->EnableSchedule(true);
    QVERIFY(!timer()->isActive());
}

void TestShellMain::closeDuringFeedDownload()
{
    writeConfig("[app]\r\nconfirm=0\r\nclose=1\r\n");
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route(QStringLiteral("/slow.xml"), silent);
    start();
    bool closed = false;
    connect(m_server.get(), &LoopbackServer::requestReceived, this, [&] { closed = m_main->close(); });
    frmViewFeed *feed = openQuietly(QStringLiteral("Slow"), zetaId, QStringLiteral("/slow.xml"), true, 400);
    waitIdle(feed);
    QVERIFY(closed);
    QVERIFY(!m_main->isVisible());
    // The window and its feed windows go away without trouble afterwards.
    m_main.reset();
}

void TestShellMain::closeDuringScheduledCheck()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route(QStringLiteral("/slow.xml"), silent);
    FeedRecord slow {QString(), url(QStringLiteral("/slow.xml")), 0, zetaId, QStringLiteral("Slow")};
    FeedRecord planet {QString(), url(QStringLiteral("/planet.xml")), 0, planetId, QStringLiteral("Planet")};
    writeConfig("[app]\r\nconfirm=0\r\nclose=1\r\n[schdl]\r\nena=1\r\nfrq=1\r\ns_1="
        + mSettings::feedRecordToText(slow).toUtf8()
        + "\r\ns_2=" + mSettings::feedRecordToText(planet).toUtf8() + "\r\n");
    start();
    m_main->scheduledCheck()->setTimeout(2000); // the silent feed's; the other answers at once
    bool closed = false;
    connect(m_server.get(), &LoopbackServer::requestReceived, this, [&](const QString &path) {
        if (path == QLatin1String("/slow.xml"))
            closed = m_main->close();
    });
    QSignalSpy finished(m_main->scheduledCheck(), &ScheduledCheck::finished);
    m_main->findChild<QAction *>(QStringLiteral("mnuToolsExecute"))->trigger();
    QVERIFY(finished.wait(20000));

    QVERIFY(closed);
    QVERIFY(scheduleLog().contains(QStringLiteral("Scheduled Check Finished (")));
    QVERIFY(!scheduleLog().contains(QStringLiteral("Checking Planet")));
    // The run ends without arming the timer of a window that is gone.
    QVERIFY(!timer()->isActive());
    QVERIFY(!scheduleLog()
                 .section(QStringLiteral("Scheduled Check Finished"), 1)
                 .contains(QStringLiteral("Scheduler Timer Started")));
    QCOMPARE(m_messages->count(), 0);
}

QTEST_MAIN(TestShellMain)
#include "tst_gui_shell_main.moc"
