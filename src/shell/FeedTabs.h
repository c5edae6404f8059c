#pragma once

#include <QHash>
#include <QList>
#include <QObject>

class Catalogue;
class QAction;
class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class frmViewFeed;
struct FeedRecord;

// The tab strip of feed windows in the main window: at most one tab per
// feed, the Windows menu listing them, and captions that follow the
// catalogue.
class FeedTabs : public QObject
{
    Q_OBJECT
public:
    // The tab strip becomes the window's central widget.
    FeedTabs(Catalogue *catalogue, QMainWindow *window);

    QMdiArea *area() const { return m_area; }
    // The menu with one entry per open feed window, or "No Feeds Open".
    void setWindowsMenu(QMenu *menu);
    // "No Feeds Open" in the current language.
    void showTexts();

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
    // From now on open feed windows take a feed's new name, URL and type
    // from the catalogue.
    void followCatalogue();

signals:
    // A new feed window, before it is shown.
    void feedWindowOpened(frmViewFeed *feed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addWindowEntry(QMdiSubWindow *window, const QString &caption, const QString &feedId);
    void updateWindowEntry(QMdiSubWindow *window, const QString &caption, const QString &feedId);
    void removeWindowEntry(QMdiSubWindow *window);
    void resetWindowsMenu();
    void showFeedInWindows(const FeedRecord &feed);

    Catalogue *m_catalogue;
    QMdiArea *m_area;
    QMenu *m_menu = nullptr;
    QHash<QMdiSubWindow *, QAction *> m_windowEntries;
};
