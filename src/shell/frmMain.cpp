#include "shell/frmMain.h"

#include "catalogue/Catalogue.h"
#include "catalogue/ui/frmAddFeed.h"
#include "catalogue/ui/frmCategory.h"
#include "config/Settings.h"
#include "config/ui/frmAppSettings.h"
#include "i18n/Languages.h"
#include "i18n/LocalizationFile.h"
#include "i18n/ui/WindowTexts.h"
#include "i18n/ui/frmLanguage.h"
#include "mail/ui/frmEmailSettings.h"
#include "mail/ui/frmSendEmail.h"
#include "scheduler/ScheduledCheck.h"
#include "scheduler/ui/frmScheduler.h"
#include "shell/CategoryNode.h"
#include "shell/ShellIcons.h"
#include "shell/frmAbout.h"
#include "shell/frmConfirmClose.h"
#include "shell/frmOptionBar.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

StartOptions StartOptions::fromArguments(const QStringList &arguments)
{
    StartOptions options;
    if (arguments.size() == 1) {
        options.tray = arguments.first() == QLatin1String("-s");
        options.debug = arguments.first() == QLatin1String("-debug");
    }
    return options;
}

frmMain::frmMain(const StartOptions &options, QWidget *parent)
    : QMainWindow(parent),
      m_options(options),
      m_catalogue(new Catalogue(this)),
      m_schedule(new QTimer(this)),
      m_check(new ScheduledCheck(this)),
      m_intervals {300000, 600000, 900000, 1800000, 2700000, 3600000, 10800000}
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppInfo::title());
    setWindowIcon(ShellIcons::appIcon());
    resize(1024, 680);

    m_schedule->setObjectName(QStringLiteral("tmrSchedule"));
    connect(m_schedule, &QTimer::timeout, this, &frmMain::RunScheduleTick);
    connect(m_check, &ScheduledCheck::finished, this, &frmMain::onScheduledCheckFinished);
    connect(m_check, &ScheduledCheck::progress, this, &frmMain::showCheckProgress);
    connect(m_check, &ScheduledCheck::feedTypeFound, this, &frmMain::correctFeedType);

    buildTabs();
    buildDock();
    setupUnreadCounts();
    followCatalogue();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    installCopyKeyFilter();

    if (qApp)
        connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { m_sessionEnding = true; });
    // Saved scheduler settings take effect at once.
    mSettings::setSchedulerSavedHook([this] { EnableSchedule(false); });
}

frmMain::~frmMain()
{
    mSettings::setSchedulerSavedHook({});
    m_check->stop();
    m_schedule->stop();
    // The feed windows go first, while the Windows menu they update is alive.
    delete m_tabs;
}

QAction *frmMain::addCommand(QMenu *menu, const QString &name, const QString &text,
    const std::function<void()> &command, const QKeySequence &shortcut)
{
    auto *action = new QAction(text, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [command] { command(); });
    menu->addAction(action);
    return action;
}

void frmMain::buildMenus()
{
    auto *file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addCommand(file, QStringLiteral("mnuFileImport"), QStringLiteral("Import Feeds (OPML)..."),
        [this] { ImportOpml(); });
    addCommand(file, QStringLiteral("mnuFileExport"), QStringLiteral("Export Feeds (OPML)..."),
        [this] { ExportOpml(); });
    file->addSeparator();
    addCommand(file, QStringLiteral("mnuFileExit"), QStringLiteral("Exit"), [this] { close(); });

    m_mnuCat = menuBar()->addMenu(QStringLiteral("Feed Manager"));
    m_mnuCat->setObjectName(QStringLiteral("mnuCat"));
    m_addCategory = addCommand(
        m_mnuCat, QStringLiteral("mnuCatNew"), QStringLiteral("Add New Category"), [this] { AddCategory(); },
        QKeySequence(Qt::CTRL | Qt::Key_C));
    addCommand(m_mnuCat, QStringLiteral("mnuCatEdit"), QStringLiteral("Edit Category Details"),
        [this] { EditSelectedCategory(); });
    addCommand(m_mnuCat, QStringLiteral("mnuCatDelete"), QStringLiteral("Delete selected Category"),
        [this] { DeleteSelectedCategory(); });
    m_mnuCat->addSeparator();
    m_catNewFeed = addCommand(
        m_mnuCat, QStringLiteral("mnuCatNewFeed"), QStringLiteral("Add New Feed"), [this] { AddFeed(); },
        QKeySequence(Qt::CTRL | Qt::Key_N));
    addCommand(m_mnuCat, QStringLiteral("mnuCatAllRead"), QStringLiteral("Mark All as Read"),
        [this] { MarkSelectedAllRead(); });
    m_mnuCat->addSeparator();
    addCommand(
        m_mnuCat, QStringLiteral("mnuCatRefresh"), QStringLiteral("Refresh"), [this] { RefreshCategories(); },
        Qt::Key_F5);

    auto *tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    addCommand(
        tools, QStringLiteral("mnuToolsEmailSettings"), QStringLiteral("Email Settings"),
        [this] { ShowEmailSettings(); }, QKeySequence(Qt::CTRL | Qt::Key_F3));
    addCommand(
        tools, QStringLiteral("mnuToolsScheduler"), QStringLiteral("Scheduler"), [this] { ShowScheduler(); },
        QKeySequence(Qt::CTRL | Qt::Key_F4));
    addCommand(tools, QStringLiteral("mnuToolsAppSettings"), QStringLiteral("Application Settings"),
        [this] { ShowAppSettings(); });
    tools->addSeparator();
    // Enabled once an item of a feed window has been selected.
    m_sendByEmail = addCommand(
        tools, QStringLiteral("mnuToolsSendByEmail"), QStringLiteral("Send by Email"),
        [this] { ForwardToFeedWindow(QStringLiteral("email")); }, Qt::Key_F3);
    m_sendByEmail->setEnabled(false);
    m_execute = addCommand(
        tools, QStringLiteral("mnuToolsExecute"), QStringLiteral("Execute Schedule Now"),
        [this] { RunScheduleTick(); }, Qt::Key_F9);
    m_checkAll = addCommand(
        tools, QStringLiteral("mnuToolsCheckAll"), QStringLiteral("Check All Feeds"),
        [this] { CheckAllFeeds(); }, Qt::Key_F6);
    tools->addSeparator();
    m_optionBarToggle = addCommand(
        tools, QStringLiteral("mnuToolsOptionBar"), QStringLiteral("Option Bar"),
        [this] { ToggleOptionBar(); }, Qt::Key_F4);
    m_optionBarToggle->setCheckable(true);
    m_optionBarToggle->setChecked(true);

    auto *languages = menuBar()->addMenu(QStringLiteral("Languages"));
    languages->setObjectName(QStringLiteral("mnuLanguages"));
    addCommand(languages, QStringLiteral("mnuLanguagesChange"), QStringLiteral("Change Languages"),
        [this] { ShowLanguages(); });

    auto *help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addCommand(
        help, QStringLiteral("mnuHelpView"), QStringLiteral("View Help"), [this] { OpenHelpFile(); },
        Qt::Key_F1);

    auto *about = menuBar()->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    addCommand(about, QStringLiteral("mnuAboutThis"), QStringLiteral("About this software"),
        [this] { ShowAbout(); });
    addCommand(
        about, QStringLiteral("mnuAboutWebsite"), QStringLiteral("Visit our Website"),
        [this] { OpenWebsite(); }, QKeySequence(Qt::SHIFT | Qt::Key_F1));

    // Pop-up menus, never in the bar.
    m_mnuFeeds = new QMenu(QStringLiteral("Feeds"), this);
    m_mnuFeeds->setObjectName(QStringLiteral("mnuFeeds"));
    m_feedsCheck = addCommand(m_mnuFeeds, QStringLiteral("mnuFeedsCheck"),
        QStringLiteral("Check for New Feed Items..."), [this] { OpenSelectedFeed(true); });
    addCommand(m_mnuFeeds, QStringLiteral("mnuFeedsOpen"), QStringLiteral("Open Feed in Work area"),
        [this] { OpenSelectedFeed(false); });
    m_mnuFeeds->addSeparator();
    addCommand(
        m_mnuFeeds, QStringLiteral("mnuFeedsAdd"), QStringLiteral("Add New Feed"), [this] { AddFeed(); });
    addCommand(m_mnuFeeds, QStringLiteral("mnuFeedsEdit"), QStringLiteral("Edit Feed Details"),
        [this] { EditSelectedFeed(); });
    addCommand(m_mnuFeeds, QStringLiteral("mnuFeedsDelete"), QStringLiteral("Delete selected Feed"),
        [this] { DeleteSelectedFeed(); });
    m_mnuFeeds->addSeparator();
    addCommand(m_mnuFeeds, QStringLiteral("mnuFeedsAllRead"), QStringLiteral("Mark All as Read"),
        [this] { MarkSelectedAllRead(); });

    m_mnuWindows = new QMenu(QStringLiteral("Windows"), this);
    m_mnuWindows->setObjectName(QStringLiteral("mnuWindows"));
    resetWindowsMenu();

    m_mnuFeedItem = new QMenu(QStringLiteral("FeedItemPopup"), this);
    m_mnuFeedItem->setObjectName(QStringLiteral("mnuFeedItem"));
    m_mnuFeedItem->setProperty("translated", false); // a pop-up: its title is never seen
    m_feedItemShow = addCommand(m_mnuFeedItem, QStringLiteral("mnuFeedItemShow"), QStringLiteral("Show "),
        [this] { ForwardToFeedWindow(QStringLiteral("show")); });
    addCommand(m_mnuFeedItem, QStringLiteral("mnuFeedItemOnline"), QStringLiteral("View Online"),
        [this] { ForwardToFeedWindow(QStringLiteral("online")); });
    addCommand(m_mnuFeedItem, QStringLiteral("mnuFeedItemUnread"), QStringLiteral("Mark as Unread"),
        [this] { ForwardToFeedWindow(QStringLiteral("unread")); });
    addCommand(m_mnuFeedItem, QStringLiteral("mnuFeedItemAllRead"), QStringLiteral("Mark All as Read"),
        [this] { ForwardToFeedWindow(QStringLiteral("allread")); });
    m_mnuFeedItem->addSeparator();
    addCommand(m_mnuFeedItem, QStringLiteral("mnuFeedItemDelete"), QStringLiteral("Delete"),
        [this] { DeleteFeedItem(); });
    m_mnuFeedItem->addSeparator();
    addCommand(m_mnuFeedItem, QStringLiteral("mnuFeedItemHTML"), QStringLiteral("Export to HTML"),
        [this] { ForwardToFeedWindow(QStringLiteral("html")); });
    addCommand(m_mnuFeedItem, QStringLiteral("mnuFeedItemTXT"), QStringLiteral("Export to TXT"),
        [this] { ForwardToFeedWindow(QStringLiteral("txt")); });
    m_mnuFeedItem->addSeparator();
    addCommand(m_mnuFeedItem, QStringLiteral("mnuFeedItemEmail"), QStringLiteral("Send as Email"),
        [this] { ForwardToFeedWindow(QStringLiteral("email")); });

    m_mnuSysTray = new QMenu(QStringLiteral("SysTryMenu"), this);
    m_mnuSysTray->setObjectName(QStringLiteral("mnuSysTray"));
    m_mnuSysTray->setProperty("translated", false);
    const auto trayCommand = [this](const QString &name, const QString &text, const QString &key) {
        QAction *action = addCommand(m_mnuSysTray, name, text, [this, key] { HandleSystrayMenu(key); });
        action->setProperty("key", key);
        return action;
    };
    m_trayShow
        = trayCommand(QStringLiteral("mnuSysTrayShow"), QStringLiteral("Show"), QStringLiteral("show"));
    m_trayShow->setProperty("translated", false); // "Show" or "Hide", from the messages
    m_mnuSysTray->setDefaultAction(m_trayShow);
    m_mnuSysTray->addSeparator();
    m_trayAddFeed = trayCommand(
        QStringLiteral("mnuSysTrayAddFeed"), QStringLiteral("Add New Feed"), QStringLiteral("add_feed"));
    trayCommand(QStringLiteral("mnuSysTrayEmailSettings"), QStringLiteral("Email Settings"),
        QStringLiteral("email_settings"));
    trayCommand(QStringLiteral("mnuSysTrayScheduler"), QStringLiteral("Scheduler Settings"),
        QStringLiteral("scheduler_settings"));
    trayCommand(QStringLiteral("mnuSysTrayAppSettings"), QStringLiteral("Application Settings"),
        QStringLiteral("app_settings"));
    m_mnuSysTray->addSeparator();
    // "Add New Feed" needs a node of the tree to file the feed under.
    connect(m_mnuSysTray, &QMenu::aboutToShow, this,
        [this] { m_trayAddFeed->setEnabled(m_optionBar && m_optionBar->selectedNode()); });
    trayCommand(QStringLiteral("mnuSysTrayHelp"), QStringLiteral("Help File"), QStringLiteral("help_file"));
    trayCommand(
        QStringLiteral("mnuSysTrayContact"), QStringLiteral("Contact Us"), QStringLiteral("help_email"));
    trayCommand(QStringLiteral("mnuSysTrayWebsite"), QStringLiteral("Visit Product Website"),
        QStringLiteral("help_website"));
    m_mnuSysTray->addSeparator();
    trayCommand(QStringLiteral("mnuSysTrayClose"), QStringLiteral("Close"), QStringLiteral("close"));
}

void frmMain::buildToolbar()
{
    auto *bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("tbMain"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->toggleViewAction()->setVisible(false);

    const auto button
        = [bar](const QString &name, const QString &icon, const QString &text, QAction *command) {
              QAction *action = bar->addAction(ShellIcons::named(icon), text);
              action->setObjectName(name);
              connect(action, &QAction::triggered, command, &QAction::trigger);
              return action;
          };
    button(QStringLiteral("cmdAddCategory"), QStringLiteral("add-category"), QStringLiteral("Add Category"),
        m_addCategory);
    button(
        QStringLiteral("cmdAddFeed"), QStringLiteral("add-feed"), QStringLiteral("Add Feed"), m_catNewFeed);
    // Sends the selected item of the active feed window, whether or not
    // "Send by Email" has been enabled yet.
    auto *email = bar->addAction(ShellIcons::named(QStringLiteral("email")), QStringLiteral("Email Article"));
    email->setObjectName(QStringLiteral("cmdEmail"));
    connect(email, &QAction::triggered, this, [this] { ForwardToFeedWindow(QStringLiteral("email")); });
    button(QStringLiteral("cmdSchedule"), QStringLiteral("schedule"), QStringLiteral("Schedule"),
        findChild<QAction *>(QStringLiteral("mnuToolsScheduler")));
    button(QStringLiteral("cmdSettings"), QStringLiteral("settings"), QStringLiteral("Settings"),
        findChild<QAction *>(QStringLiteral("mnuToolsAppSettings")));
    auto *toggle = bar->addAction(ShellIcons::named(QStringLiteral("panel")), QStringLiteral("Toggle Panel"));
    toggle->setObjectName(QStringLiteral("cmdTogglePanel"));
    connect(toggle, &QAction::triggered, m_optionBarToggle, &QAction::trigger);
    auto *windows = bar->addAction(ShellIcons::named(QStringLiteral("windows")), QStringLiteral("Windows"));
    windows->setObjectName(QStringLiteral("cmdWindows"));
    connect(windows, &QAction::triggered, this, [this] { m_mnuWindows->popup(QCursor::pos()); });

    // Hidden: writes the localization file from the current texts.
    auto *localization = new QAction(QStringLiteral("Make Localization File"), this);
    localization->setObjectName(QStringLiteral("cmdLocalization"));
    localization->setVisible(false);
    localization->setProperty("translated", false);
    connect(localization, &QAction::triggered, this, [this] { MakeLocalizationFile(); });
    addAction(localization);

    // The web-site button takes the rest of the row.
    auto *holder = new QWidget(bar);
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(8, 0, 13, 0);
    m_website = new QPushButton(ShellIcons::named(QStringLiteral("website")), QString(), holder);
    m_website->setObjectName(QStringLiteral("cmdWebsite"));
    m_website->setFlat(true);
    m_website->setProperty("translated", false); // its text is set at start-up
    m_website->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    layout->addWidget(m_website);
    bar->addWidget(holder);
    connect(m_website, &QPushButton::clicked, this, &frmMain::OpenWebsite);
}

void frmMain::buildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("ucStatus"));
    for (int panel = 1; panel <= 4; ++panel) {
        auto *label = new QLabel(statusBar());
        label->setObjectName(QStringLiteral("ucStatusPanel%1").arg(panel));
        label->setContentsMargins(4, 0, 4, 0);
        label->setProperty("translated", false); // the date and the status
        m_statusPanels.append(label);
        statusBar()->addWidget(label, panel == 1 ? 1 : 0);
    }
    m_statusPanels[1]->setText(
        QLocale::system().toString(QDate::currentDate(), QStringLiteral("dddd, dd MMMM yyyy")));
    m_statusPanels[3]->setText(getMessages(QStringLiteral("MSG_STATUSREADY")));
}

void frmMain::buildDock()
{
    m_dock = new QDockWidget(QStringLiteral("Option Bar"), this);
    m_dock->setObjectName(QStringLiteral("ucFormDock"));
    m_dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    m_dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    m_optionBar = new frmOptionBar(m_catalogue, m_dock);
    m_dock->setWidget(m_optionBar);
    m_dock->installEventFilter(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_dock);
    resizeDocks({m_dock}, {260}, Qt::Horizontal);

    connect(m_optionBar, &frmOptionBar::feedActivated, this, [this](const FeedRecord &feed) {
        if (!IsFeedOpen(feed.FeedURL, true))
            OpenFeed(feed, true);
    });
    connect(m_optionBar, &frmOptionBar::nodeMenuRequested, this, &frmMain::showNodeMenu);
    connect(m_optionBar, &frmOptionBar::nodeDeleteRequested, this, [this](QTreeWidgetItem *node) {
        if (CategoryNode::isFeed(node))
            DeleteSelectedFeed();
        else
            DeleteSelectedCategory();
    });
    // A click on the root greys "Add New Feed", a click on any other node
    // enables it; until the first click it is enabled.
    connect(m_optionBar->tvCategories(), &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *node) {
        if (m_catNewFeed)
            m_catNewFeed->setEnabled(node && !CategoryNode::isRoot(node));
    });
}

void frmMain::Load()
{
    if (m_options.tray)
        AddToSystemTray();
    EnableSchedule(true);
    applyStartLanguage(); // with the window's own texts

    QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
    settings.beginGroup(QStringLiteral("Settings"));
    if (settings.value(QStringLiteral("showHelp"), QStringLiteral("1")).toString() == QLatin1String("1")) {
        OpenHelpFile();
        settings.setValue(QStringLiteral("showHelp"), QStringLiteral("0"));
    }
    if (!m_options.tray)
        show();
    countUnknownFeeds();
    restoreOpenTabs();
}

void frmMain::applyStartLanguage()
{
    const bool firstStart = StoredLanguage(QString()).isEmpty();
    ChangeLanguageMDI(this, StoredLanguage());
    if (!firstStart)
        return;
    StoreLanguage(QStringLiteral("English"));
    frmLanguage dialog(this, this);
    dialog.exec();
}

void frmMain::showOwnTexts()
{
    setWindowTitle(AppInfo::productName() + getMessages(QStringLiteral("MSG_BY")) + AppInfo::companyName());
    m_website->setText(getMessages(QStringLiteral("MSG_VISIT")) + AppInfo::webAddress());
    m_statusPanels[3]->setText(getMessages(
        m_check->isRunning() ? QStringLiteral("MSG_STATUSEXECUTING") : QStringLiteral("MSG_STATUSREADY")));
    if (m_trayShow)
        showTrayState(m_trayOffersHide);
    if (m_windowEntries.isEmpty())
        resetWindowsMenu();
}

void frmMain::showTrayState(bool windowShown)
{
    m_trayOffersHide = windowShown;
    m_trayShow->setText(
        getMessages(windowShown ? QStringLiteral("MSG_TRAYHIDE") : QStringLiteral("MSG_TRAYSHOW")));
}

void frmMain::ShowLanguages()
{
    if (!m_languages) {
        m_languages = new frmLanguage(this, this);
        m_languages->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_languages->show();
    m_languages->raise();
    m_languages->activateWindow();
}

bool frmMain::MakeLocalizationFile()
{
    // Every window that takes a language, the dialogs loaded without being
    // shown.
    frmConfirmClose confirmClose(this);
    frmLanguage languages(this, this);
    frmCategory category(m_catalogue, this);
    frmAppSettings appSettings(this);
    frmAddFeed addFeed(m_catalogue, this);
    frmScheduler scheduler(m_catalogue, this);
    frmEmailSettings emailSettings(this);
    frmSendEmail sendEmail(this);
    QList<QPair<QString, QString>> items = WindowTexts::collect(this);
    for (QWidget *window : std::initializer_list<QWidget *> {&confirmClose, &languages, &category,
             &appSettings, &addFeed, &scheduler, &emailSettings, &sendEmail})
        items += WindowTexts::collect(window);
    QString error;
    if (Languages().makeLocalizationFile(items, &error))
        return true;
    Messages::exclamation(
        AppInfo::title(), getMessages(QStringLiteral("MSG_LOCALIZATIONNOTSAVED")).arg(error));
    return false;
}

void frmMain::showNodeMenu(QTreeWidgetItem *node, const QPoint &globalPos)
{
    if (CategoryNode::isFeed(node)) {
        m_mnuFeeds->setActiveAction(m_feedsCheck);
        m_mnuFeeds->setDefaultAction(m_feedsCheck);
        m_mnuFeeds->popup(globalPos, m_feedsCheck);
    } else if (CategoryNode::isCategory(node)) {
        m_mnuCat->popup(globalPos);
    }
}

void frmMain::showItemMenu(const QPoint &globalPos)
{
    m_mnuFeedItem->setDefaultAction(m_feedItemShow);
    m_mnuFeedItem->popup(globalPos, m_feedItemShow);
}

// Closing: the close decision, unless the session is ending.

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    // A second request while the question is open (from the tray) waits for it.
    if (m_deciding) {
        event->ignore();
        return;
    }
    m_deciding = true;
    const bool goesAhead = m_sessionEnding || CloseDecision(this);
    m_deciding = false;
    if (!goesAhead) {
        event->ignore();
        AddToSystemTray();
        return;
    }
    Unload();
    event->accept();
}

void frmMain::Unload()
{
    m_unloaded = true;
    saveOpenTabs();
    // A running check ends after its current feed; waits still on the stack
    // end with the event loops when the application quits.
    m_check->stop();
    setScheduleTimer(false);
    if (m_tray) {
        m_tray->hide();
        delete m_tray;
        m_tray = nullptr;
    }
    closeOtherWindows();
    // A check under way ends after its feed, with its end record.
    if (m_check->isRunning())
        connect(m_check, &ScheduledCheck::finished, qApp, &QCoreApplication::quit);
    else
        QCoreApplication::quit();
}

void frmMain::closeOtherWindows()
{
    if (m_about)
        m_about->close();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange && !m_unloaded)
        showOwnTexts();
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !trayAvailable())
        return;
    // Hiding from inside the state change confuses some window managers.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized() && isVisible() && !m_unloaded)
            AddToSystemTray();
    });
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{

    if (watched == m_dock && event->type() == QEvent::Close)
        m_optionBarToggle->setChecked(false);
    if (event->type() == QEvent::Close) {
        if (auto *window = qobject_cast<QMdiSubWindow *>(watched)) {
            if (!oTabs_CloseWindow(window)) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// Tray.

bool frmMain::trayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void frmMain::createTrayIcon()
{
    m_tray = new QSystemTrayIcon(windowIcon(), this);
    m_tray->setObjectName(QStringLiteral("oSysTray"));
    m_tray->setToolTip(AppInfo::title());
    m_tray->setContextMenu(m_mnuSysTray);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            HandleSystrayMenu(QStringLiteral("show"));
    });
    m_tray->show();
    m_tray->showMessage(
        AppInfo::productName() + QLatin1Char(' ') + getMessages(QStringLiteral("MSG_MINIMIZED")),
        getMessages(QStringLiteral("MSG_TRAY")), QSystemTrayIcon::Information, 5000);
}

void frmMain::AddToSystemTray()
{
    // Without a tray the window stays reachable on the task bar.
    if (!trayAvailable()) {
        if (!isMinimized() || !isVisible())
            showMinimized();
        return;
    }
    if (!m_tray)
        createTrayIcon();
    showTrayState(false);
    hide();
}

void frmMain::HandleSystrayMenu(const QString &sKey)
{
    if (sKey == QLatin1String("show")) {
        if (m_trayOffersHide) {
            showTrayState(false);
            hide();
        } else {
            showTrayState(true);
            showNormal();
            raise();
            activateWindow();
        }
    } else if (sKey == QLatin1String("add_feed")) {
        AddFeed();
    } else if (sKey == QLatin1String("email_settings")) {
        ShowEmailSettings();
    } else if (sKey == QLatin1String("scheduler_settings")) {
        ShowScheduler();
    } else if (sKey == QLatin1String("app_settings")) {
        ShowAppSettings();
    } else if (sKey == QLatin1String("help_file")) {
        OpenHelpFile();
    } else if (sKey == QLatin1String("help_email")) {
        mUtil::ShellOpen(AppInfo::supportAddress());
    } else if (sKey == QLatin1String("help_website")) {
        mUtil::ShellOpen(AppInfo::webAddress());
    } else if (sKey == QLatin1String("close")) {
        closeOtherWindows();
        close();
    }
}

// Plain commands.

void frmMain::ToggleOptionBar()
{
    // The action has already flipped its own check mark.
    m_dock->setVisible(m_optionBarToggle->isChecked());
}

void frmMain::RefreshCategories()
{
    m_catalogue->reload();
}

void frmMain::OpenHelpFile()
{
    const QString help = AppFolder::file(QStringLiteral("Help.html"));
    if (mUtil::FileExists(help))
        mUtil::ShellOpen(help);
}

void frmMain::OpenWebsite()
{
    QString address = AppInfo::webAddress();
    if (!address.contains(QLatin1String("http://"), Qt::CaseInsensitive)
        && !address.contains(QLatin1String("https://"), Qt::CaseInsensitive))
        address.prepend(QStringLiteral("http://"));
    mUtil::ShellOpen(address);
}

void frmMain::ShowAbout()
{
    if (!m_about)
        m_about = new frmAbout(this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}
