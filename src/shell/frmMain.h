#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>

class Catalogue;
class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class UnreadCounts;
class QTreeWidgetItem;
class ScheduledCheck;
class frmAbout;
class frmLanguage;
class frmOptionBar;
class UnreadCounts;
class frmViewFeed;
struct FeedRecord;

// What the command line asks for; anything but exactly "-s" or exactly
// "-debug" is ignored.
struct StartOptions {
    bool tray = false; // "-s": start hidden in the tray
    bool debug = false; // "-debug": check every minute

    // The arguments after the program name, without --home.
    static StartOptions fromArguments(const QStringList &arguments);
};

// The frame of the program: the feed windows as tabs, the category panel,
// the menus, the tray icon and the scheduler timer.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMain(const StartOptions &options = {}, QWidget *parent = nullptr);
    ~frmMain() override;

    // The rest of the start-up: tray start or showing the window, the
    // scheduler timer, captions and the first-run help.
    void Load();

    frmOptionBar *optionBar() const { return m_optionBar; }
    Catalogue *catalogue() const { return m_catalogue; }
    QMdiArea *tabs() const { return m_tabs; }
    ScheduledCheck *scheduledCheck() const { return m_check; }

    // Feed windows.
    bool IsFeedOpen(const QString &url, bool activate);
    void OpenFeed(const QString &caption, const QString &feedId, const QString &url, int feedType,
        bool checkForNewItems);
    void OpenFeed(const FeedRecord &feed, bool checkForNewItems);
    frmViewFeed *activeFeedWindow() const;
    QList<frmViewFeed *> feedWindows() const;
    // The tabs whose feed window shows the feed with this id.
    QList<QMdiSubWindow *> windowsShowing(const QString &feedId) const;
    // The close request of a tab: refused while its feed window is busy.
    // True when the window closes.
    bool oTabs_CloseWindow(QMdiSubWindow *window);

    // Tray.
    void AddToSystemTray();
    void HandleSystrayMenu(const QString &sKey);
    QSystemTrayIcon *trayIcon() const { return m_tray; }

    // Scheduler.
    void EnableSchedule(bool bReadSettings);
    // One scheduled check now, with the timer held off until it ends.
    void RunScheduleTick();
    // Replaces the "frq" intervals 0..6 and the "-debug" interval (ms).
    void setScheduleIntervals(const QList<int> &intervals, int debugInterval);

    // Commands.
    void DeleteSelectedCategory();
    void DeleteSelectedFeed();
    void OpenSelectedFeed(bool checkForNewItems);
    void DeleteFeedItem();
    void ForwardToFeedWindow(const QString &action);
    void ToggleOptionBar();
    void RefreshCategories();
    void OpenHelpFile();
    void OpenWebsite();
    void ShowAbout();
    void ShowLanguages();
    // The dialogs of the catalogue and the settings, modal.
    void AddCategory();
    void EditSelectedCategory();
    void AddFeed();
    void EditSelectedFeed();
    void ShowScheduler();
    void ShowAppSettings();
    void ShowEmailSettings();
    // The catalogue from and to an OPML file the user chooses.
    // Refreshes the open feed windows and checks every other feed.
    void CheckAllFeeds();
    void OpenNextUnreadFeed(const QString &afterFeedId);
    void MarkSelectedAllRead();
    void ImportOpml();
    void ExportOpml();
    // Asks for the OPML file to read (save false) or write; "" when
    // cancelled. Tests replace it.
    using OpmlFileChooser = std::function<QString(QWidget *parent, bool save)>;
    void setOpmlFileChooser(OpmlFileChooser chooser) { m_opmlChooser = std::move(chooser); }
    // Writes Localization.txt from the texts of every window, each loaded
    // for the purpose without being shown, and of every message.
    bool MakeLocalizationFile();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void buildDock();
    void buildTabs();
    QAction *addCommand(QMenu *menu, const QString &name, const QString &text,
        const std::function<void()> &command, const QKeySequence &shortcut = {});
    void showNodeMenu(QTreeWidgetItem *node, const QPoint &globalPos);
    void showItemMenu(const QPoint &globalPos);
    void createTrayIcon();
    bool trayAvailable() const;
    void setScheduleTimer(bool enabled);
    void onScheduledCheckFinished();
    void announceNewItems();
    void Unload();
    void closeOtherWindows();
    // The language of the settings, and the language dialog on the first start.
    void applyStartLanguage();
    // The texts the window sets itself, in the current language.
    void showOwnTexts();
    void showTrayState(bool windowShown);
    void ShowCategoryDialog(int mode, const QString &name);
    // The add (mode 0) or edit (mode 1, of feed) dialog of a feed.
    void ShowFeedDialog(int mode, const QString &category, const FeedRecord *feed);
    // Ctrl+C goes to the focused widget when it has text selected, and
    // opens the category dialog otherwise.
    void installCopyKeyFilter();
    // Unread counts in the tree, read without holding up the start.
    void setupUnreadCounts();
    void countUnknownFeeds();
    void saveOpenTabs() const;
    void restoreOpenTabs();
    void followFeedWindow(frmViewFeed *feed);
    void correctFeedType(const QString &feedId, int feedType);
    void changeFeed(const QString &feedId, const std::function<void(FeedRecord &)> &change);
    void showCheckProgress(int done, int total);

    // Windows menu: one entry per open feed window, or "No Feeds Open".
    void addWindowEntry(QMdiSubWindow *window, const QString &caption, const QString &feedId);
    void updateWindowEntry(QMdiSubWindow *window, const QString &caption, const QString &feedId);
    void removeWindowEntry(QMdiSubWindow *window);
    void resetWindowsMenu();
    // Open feed windows take a feed's new name, URL and type from the
    // catalogue.
    void followCatalogue();
    void showFeedInWindows(const FeedRecord &feed);

    StartOptions m_options;
    QMdiArea *m_tabs = nullptr;
    Catalogue *m_catalogue = nullptr;
    frmOptionBar *m_optionBar = nullptr;
    QDockWidget *m_dock = nullptr;
    QList<QLabel *> m_statusPanels;
    QPushButton *m_website = nullptr;
    QTimer *m_schedule = nullptr;
    ScheduledCheck *m_check = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    QPointer<frmAbout> m_about;
    QPointer<frmLanguage> m_languages;

    QMenu *m_mnuCat = nullptr;
    QMenu *m_mnuFeeds = nullptr;
    QMenu *m_mnuWindows = nullptr;
    QMenu *m_mnuFeedItem = nullptr;
    QMenu *m_mnuSysTray = nullptr;
    QAction *m_feedsCheck = nullptr;
    QAction *m_feedItemShow = nullptr;
    UnreadCounts *m_unread = nullptr;
    OpmlFileChooser m_opmlChooser;
    QAction *m_execute = nullptr;
    QAction *m_sendByEmail = nullptr;
    QAction *m_checkAll = nullptr;
    QAction *m_optionBarToggle = nullptr;
    QAction *m_trayShow = nullptr;
    QAction *m_trayAddFeed = nullptr;
    QAction *m_addCategory = nullptr;
    QAction *m_catNewFeed = nullptr;
    QHash<QMdiSubWindow *, QAction *> m_windowEntries;

    QList<int> m_intervals;
    int m_debugInterval = 60000;
    bool m_sessionEnding = false;
    bool m_deciding = false;
    bool m_unloaded = false;
    bool m_trayOffersHide = false; // the tray's first command hides the window
};
