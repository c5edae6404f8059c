#include "shell/frmMain.h"

#include "catalogue/Catalogue.h"
#include "catalogue/ui/frmAddFeed.h"
#include "catalogue/ui/frmCategory.h"
#include "config/UserSettings.h"
#include "config/ui/frmAppSettings.h"
#include "i18n/Languages.h"
#include "i18n/LocalizationFile.h"
#include "i18n/ui/WindowTexts.h"
#include "i18n/ui/frmLanguage.h"
#include "mail/ui/frmEmailSettings.h"
#include "mail/ui/frmSendEmail.h"
#include "scheduler/ScheduledCheck.h"
#include "scheduler/ui/frmScheduler.h"
#include "shell/Commands.h"
#include "shell/FeedTabs.h"
#include "shell/SavedSession.h"
#include "shell/ScheduleTimer.h"
#include "shell/TrayIcon.h"
#include "shell/frmAbout.h"
#include "shell/frmConfirmClose.h"
#include "shell/frmOptionBar.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/ui/CategoryNode.h"
#include "util/ui/ShellIcons.h"
#include "viewer/ui/frmViewFeed.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
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
      m_tabs(new FeedTabs(m_catalogue, this)),
      m_schedule(new ScheduleTimer(m_catalogue, m_tabs, options.debug, this)),
      m_session(std::make_unique<SavedSession>(*m_tabs, *m_catalogue))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppInfo::title());
    setWindowIcon(ShellIcons::appIcon());
    resize(1024, 680);

    connect(m_schedule, &ScheduleTimer::runEnded, this, &frmMain::announceNewItems);
    connect(scheduledCheck(), &ScheduledCheck::feedTypeFound, this, &frmMain::correctFeedType);
    connect(m_tabs, &FeedTabs::feedWindowOpened, this, &frmMain::followFeedWindow);

    buildDock();
    setupUnreadCounts();
    m_tabs->followCatalogue();
    buildCommands();
    buildStatusBar();
    m_schedule->attach(command(QStringLiteral("mnuToolsExecute")),
        command(QStringLiteral("mnuToolsCheckAll")), m_statusPanels[3]);
    installCopyKeyFilter();

    if (qApp)
        connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { m_sessionEnding = true; });
}

frmMain::~frmMain()
{
    delete m_schedule;
    // The feed windows go first, while the Windows menu they update is alive.
    delete tabs();
}

ScheduledCheck *frmMain::scheduledCheck() const
{
    return m_schedule->check();
}

QSystemTrayIcon *frmMain::trayIcon() const
{
    return m_tray ? m_tray->icon() : nullptr;
}

// The menus, tool bar and tray of the command table, then what the table
// does not hold: the Windows menu's entries and the web-site button.
void frmMain::buildCommands()
{
    m_made = Commands::make(*this);
    m_tabs->setWindowsMenu(menu(QStringLiteral("mnuWindows")));
    m_tray = new TrayIcon(*this, menu(QStringLiteral("mnuSysTray")),
        command(QStringLiteral("mnuSysTrayShow")), command(QStringLiteral("mnuSysTrayAddFeed")));

    QToolBar *bar = m_made.toolBar;
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->toggleViewAction()->setVisible(false);
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
    connect(m_website, &QPushButton::clicked, this, &frmMain::openWebsite);
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
    m_statusPanels[3]->setText(getMessages(Msg::STATUSREADY));
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
            deleteSelectedFeed();
        else
            deleteSelectedCategory();
    });
    // A click on the root greys "Add New Feed", a click on any other node
    // enables it; until the first click it is enabled.
    connect(m_optionBar->tvCategories(), &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *node) {
        if (QAction *newFeed = command(QStringLiteral("mnuCatNewFeed")))
            newFeed->setEnabled(node && !CategoryNode::isRoot(node));
    });
}

void frmMain::Load()
{
    if (m_options.tray)
        m_tray->AddToSystemTray();
    m_schedule->EnableSchedule(true);
    applyStartLanguage(); // with the window's own texts

    if (UserSettings::value(SettingsKeys::ShowHelp).toString() == QLatin1String("1")) {
        openHelpFile();
        UserSettings::setValue(SettingsKeys::ShowHelp, QStringLiteral("0"));
    }
    if (!m_options.tray)
        show();
    countUnknownFeeds();
    m_session->restore();
}

void frmMain::applyStartLanguage()
{
    const bool firstStart = storedLanguage(QString()).isEmpty();
    ChangeLanguageMDI(this, storedLanguage());
    if (!firstStart)
        return;
    storeLanguage(QStringLiteral("English"));
    frmLanguage dialog(this, this);
    dialog.exec();
}

void frmMain::showOwnTexts()
{
    setWindowTitle(AppInfo::productName() + getMessages(Msg::BY) + AppInfo::companyName());
    m_website->setText(getMessages(Msg::VISIT) + AppInfo::webAddress());
    m_statusPanels[3]->setText(
        getMessages(scheduledCheck()->isRunning() ? Msg::STATUSEXECUTING : Msg::STATUSREADY));
    if (m_tray)
        m_tray->showTexts();
    m_tabs->showTexts();
}

void frmMain::showLanguages()
{
    if (!m_languages) {
        m_languages = new frmLanguage(this, this);
        m_languages->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_languages->show();
    m_languages->raise();
    m_languages->activateWindow();
}

bool frmMain::makeLocalizationFile()
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
    Messages::exclamation(AppInfo::title(), getMessages(Msg::LOCALIZATIONNOTSAVED).arg(error));
    return false;
}

void frmMain::showNodeMenu(QTreeWidgetItem *node, const QPoint &globalPos)
{
    if (CategoryNode::isFeed(node)) {
        QMenu *feeds = menu(QStringLiteral("mnuFeeds"));
        QAction *check = command(QStringLiteral("mnuFeedsCheck"));
        feeds->setActiveAction(check);
        feeds->setDefaultAction(check);
        feeds->popup(globalPos, check);
    } else if (CategoryNode::isCategory(node)) {
        menu(QStringLiteral("mnuCat"))->popup(globalPos);
    }
}

void frmMain::showItemMenu(const QPoint &globalPos)
{
    QMenu *items = menu(QStringLiteral("mnuFeedItem"));
    QAction *show = command(QStringLiteral("mnuFeedItemShow"));
    items->setDefaultAction(show);
    items->popup(globalPos, show);
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
    const bool goesAhead = m_sessionEnding || closeDecision(this);
    m_deciding = false;
    if (!goesAhead) {
        event->ignore();
        m_tray->AddToSystemTray();
        return;
    }
    Unload();
    event->accept();
}

void frmMain::Unload()
{
    m_unloaded = true;
    m_session->save();
    // A running check ends after its current feed; waits still on the stack
    // end with the event loops when the application quits.
    m_schedule->shutDown();
    m_tray->remove();
    closeOtherWindows();
    // A check under way ends after its feed, with its end record.
    if (scheduledCheck()->isRunning())
        connect(scheduledCheck(), &ScheduledCheck::finished, qApp, &QCoreApplication::quit);
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
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !TrayIcon::available())
        return;
    // Hiding from inside the state change confuses some window managers.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized() && isVisible() && !m_unloaded)
            m_tray->AddToSystemTray();
    });
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dock && event->type() == QEvent::Close)
        command(QStringLiteral("mnuToolsOptionBar"))->setChecked(false);
    return QMainWindow::eventFilter(watched, event);
}

// Plain commands.

void frmMain::toggleOptionBar()
{
    // The action has already flipped its own check mark.
    m_dock->setVisible(command(QStringLiteral("mnuToolsOptionBar"))->isChecked());
}

void frmMain::refreshCategories()
{
    m_catalogue->reload();
}

void frmMain::openHelpFile()
{
    const QString help = AppFolder::file(QStringLiteral("Help.html"));
    if (mUtil::FileExists(help))
        mUtil::ShellOpen(help);
}

void frmMain::openWebsite()
{
    QString address = AppInfo::webAddress();
    if (!address.contains(QLatin1String("http://"), Qt::CaseInsensitive)
        && !address.contains(QLatin1String("https://"), Qt::CaseInsensitive))
        address.prepend(QStringLiteral("http://"));
    mUtil::ShellOpen(address);
}

void frmMain::showAbout()
{
    if (!m_about)
        m_about = new frmAbout(this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}
