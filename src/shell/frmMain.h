#pragma once

#include "shell/Commands.h"
#include "shell/FeedTabs.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class Catalogue;
class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTreeWidgetItem;
class SavedSession;
class ScheduleTimer;
class ScheduledCheck;
class TrayIcon;
class UnreadCounts;
class frmAbout;
class frmLanguage;
class frmOptionBar;
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

// The frame of the program: the feed tabs, the category panel, the menus
// and tool bar of the command table, the tray icon and the scheduler timer.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMain(const StartOptions &options = {}, QWidget *parent = nullptr);
    ~frmMain() override;

    // The rest of the start-up: tray start or showing the window, the
    // scheduler timer, captions, the first-run help and the last session.
    void Load();

    frmOptionBar *optionBar() const { return m_optionBar; }
    Catalogue *catalogue() const { return m_catalogue; }
    FeedTabs *feedTabs() const { return m_tabs; }
    QMdiArea *tabs() const { return m_tabs->area(); }
    ScheduleTimer *schedule() const { return m_schedule; }
    ScheduledCheck *scheduledCheck() const;
    TrayIcon *tray() const { return m_tray; }
    QSystemTrayIcon *trayIcon() const;
    // A command of the table and a menu, by objectName.
    QAction *command(const QString &name) const { return m_made.actions.value(name); }
    QMenu *menu(const QString &name) const { return m_made.menus.value(name); }

    // Feed windows.
    bool IsFeedOpen(const QString &url, bool activate) { return m_tabs->IsFeedOpen(url, activate); }
    void OpenFeed(const QString &caption, const QString &feedId, const QString &url, int feedType,
        bool checkForNewItems)
    {
        m_tabs->OpenFeed(caption, feedId, url, feedType, checkForNewItems);
    }
    void OpenFeed(const FeedRecord &feed, bool checkForNewItems) { m_tabs->OpenFeed(feed, checkForNewItems); }
    frmViewFeed *activeFeedWindow() const { return m_tabs->activeFeedWindow(); }
    QList<frmViewFeed *> feedWindows() const { return m_tabs->feedWindows(); }
    QList<QMdiSubWindow *> windowsShowing(const QString &feedId) const
    {
        return m_tabs->windowsShowing(feedId);
    }

    // Commands.
    void deleteSelectedCategory();
    void deleteSelectedFeed();
    void openSelectedFeed(bool checkForNewItems);
    void deleteFeedItem();
    void forwardToFeedWindow(const QString &action);
    void toggleOptionBar();
    void refreshCategories();
    void openHelpFile();
    void openWebsite();
    void showAbout();
    void showLanguages();
    // The windows besides the main window that close with it.
    void closeOtherWindows();
    // The dialogs of the catalogue and the settings, modal.
    void AddCategory();
    void editSelectedCategory();
    void AddFeed();
    void editSelectedFeed();
    void showScheduler();
    void showAppSettings();
    void showEmailSettings();
    void openNextUnreadFeed(const QString &afterFeedId);
    void markSelectedAllRead();
    // The catalogue from and to an OPML file the user chooses.
    void importOpml();
    void exportOpml();
    // Asks for the OPML file to read (save false) or write; "" when
    // cancelled. Tests replace it.
    using OpmlFileChooser = std::function<QString(QWidget *parent, bool save)>;
    void setOpmlFileChooser(OpmlFileChooser chooser) { m_opmlChooser = std::move(chooser); }
    // Writes Localization.txt from the texts of every window, each loaded
    // for the purpose without being shown, and of every message.
    bool makeLocalizationFile();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildCommands();
    void buildStatusBar();
    void buildDock();
    void showNodeMenu(QTreeWidgetItem *node, const QPoint &globalPos);
    void showItemMenu(const QPoint &globalPos);
    void announceNewItems();
    void Unload();
    // The language of the settings, and the language dialog on the first start.
    void applyStartLanguage();
    // The texts the window sets itself, in the current language.
    void showOwnTexts();
    void showCategoryDialog(int mode, const QString &name);
    // The add (mode 0) or edit (mode 1, of feed) dialog of a feed.
    void showFeedDialog(int mode, const QString &category, const FeedRecord *feed);
    // Ctrl+C goes to the focused widget when it has text selected, and
    // opens the category dialog otherwise.
    void installCopyKeyFilter();
    // Unread counts in the tree, read without holding up the start.
    void setupUnreadCounts();
    void countUnknownFeeds();
    void followFeedWindow(frmViewFeed *feed);
    void correctFeedType(const QString &feedId, int feedType);
    void changeFeed(const QString &feedId, const std::function<void(FeedRecord &)> &change);

    StartOptions m_options;
    Catalogue *m_catalogue;
    FeedTabs *m_tabs;
    ScheduleTimer *m_schedule;
    std::unique_ptr<SavedSession> m_session;
    TrayIcon *m_tray = nullptr;
    Commands::Made m_made;
    frmOptionBar *m_optionBar = nullptr;
    QDockWidget *m_dock = nullptr;
    QList<QLabel *> m_statusPanels;
    QPushButton *m_website = nullptr;
    QPointer<frmAbout> m_about;
    QPointer<frmLanguage> m_languages;
    UnreadCounts *m_unread = nullptr;
    OpmlFileChooser m_opmlChooser;

    bool m_sessionEnding = false;
    bool m_deciding = false;
    bool m_unloaded = false;
};
