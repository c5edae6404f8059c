#include "shell/FeedTabs.h"

#include "catalogue/Catalogue.h"
#include "i18n/Languages.h"
#include "util/Log.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/ui/ShellIcons.h"
#include "viewer/ui/frmViewFeed.h"

#include <QAction>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabBar>

namespace
{

frmViewFeed *feedWindowOf(const QMdiSubWindow *window)
{
    return window ? qobject_cast<frmViewFeed *>(window->widget()) : nullptr;
}

} // namespace

FeedTabs::FeedTabs(Catalogue *catalogue, QMainWindow *window)
    : QObject(window), m_catalogue(catalogue), m_area(new QMdiArea(window))
{
    m_area->setObjectName(QStringLiteral("oTabs"));
    m_area->setViewMode(QMdiArea::TabbedView);
    m_area->setTabsClosable(true);
    m_area->setTabsMovable(true);
    m_area->setDocumentMode(true);
    m_area->setActivationOrder(QMdiArea::CreationOrder);
    if (auto *bar = m_area->findChild<QTabBar *>())
        bar->setExpanding(false);
    window->setCentralWidget(m_area);
}

QList<frmViewFeed *> FeedTabs::feedWindows() const
{
    QList<frmViewFeed *> windows;
    for (QMdiSubWindow *window : m_area->subWindowList(QMdiArea::CreationOrder)) {
        if (frmViewFeed *feed = feedWindowOf(window))
            windows.append(feed);
    }
    return windows;
}

frmViewFeed *FeedTabs::activeFeedWindow() const
{
    return feedWindowOf(m_area->activeSubWindow());
}

bool FeedTabs::IsFeedOpen(const QString &url, bool activate)
{
    bool found = false;
    const QString wanted = url.toLower();
    for (QMdiSubWindow *window : m_area->subWindowList(QMdiArea::CreationOrder)) {
        frmViewFeed *feed = feedWindowOf(window);
        if (!feed || feed->FeedURL().toLower() != wanted)
            continue;
        found = true;
        if (activate) {
            m_area->setActiveSubWindow(window);
            window->setFocus();
            break;
        }
    }
    return found;
}

void FeedTabs::OpenFeed(const FeedRecord &feed, bool checkForNewItems)
{
    OpenFeed(feed.FeedCaption, feed.FeedID, feed.FeedURL, feed.FeedType, checkForNewItems);
}

void FeedTabs::OpenFeed(
    const QString &caption, const QString &feedId, const QString &url, int feedType, bool checkForNewItems)
{
    qCDebug(lcUi) << "open feed" << feedId << url;
    if (IsFeedOpen(url, true)) {
        QMdiSubWindow *window = m_area->activeSubWindow();
        frmViewFeed *feed = feedWindowOf(window);
        if (!feed)
            return;
        feed->setFeedID(feedId);
        feed->setFeedURL(url);
        feed->setFeedCaption(caption);
        feed->setFeedType(feedType);
        feed->setCheckForNewItems(checkForNewItems);
        updateWindowEntry(window, caption, feedId);
        window->setWindowIcon(ShellIcons::feedIcon(feedType));
        feed->LoadFeedData(false);
        return;
    }

    auto *feed = new frmViewFeed;
    feed->setObjectName(QStringLiteral("frmViewFeed"));
    feed->setFeedID(feedId);
    feed->setFeedURL(url);
    feed->setFeedCaption(caption);
    feed->setFeedType(feedType);
    feed->setCheckForNewItems(checkForNewItems);
    QMdiSubWindow *window = m_area->addSubWindow(feed);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(caption);
    window->setWindowIcon(ShellIcons::feedIcon(feedType));
    window->installEventFilter(this);
    connect(feed, &frmViewFeed::captionChanged, window, &QMdiSubWindow::setWindowTitle);
    emit feedWindowOpened(feed);
    connect(window, &QObject::destroyed, this, [this, window] { removeWindowEntry(window); });
    addWindowEntry(window, caption, feedId);
    window->showMaximized();
    m_area->setActiveSubWindow(window);
}

bool FeedTabs::oTabs_CloseWindow(QMdiSubWindow *window)
{
    frmViewFeed *feed = feedWindowOf(window);
    if (!feed)
        return true;
    if (feed->StillExecuting()) {
        Messages::exclamation(QString(), getMessages(Msg::BUSY));
        return false;
    }
    return true;
}

bool FeedTabs::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close) {
        if (auto *window = qobject_cast<QMdiSubWindow *>(watched)) {
            if (!oTabs_CloseWindow(window)) {
                event->ignore();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

QList<QMdiSubWindow *> FeedTabs::windowsShowing(const QString &feedId) const
{
    QList<QMdiSubWindow *> found;
    for (QMdiSubWindow *window : m_area->subWindowList()) {
        const frmViewFeed *feed = feedWindowOf(window);
        if (feed && feed->FeedID() == feedId)
            found.append(window);
    }
    return found;
}

// A rename, an edit or a reload of the catalogue reaches the open windows:
// caption, tab, Windows menu entry, URL and type.
void FeedTabs::followCatalogue()
{
    const auto show = [this](const FeedRecord &, const FeedRecord &after) { showFeedInWindows(after); };
    connect(m_catalogue, &Catalogue::feedChanged, this, show);
    connect(m_catalogue, &Catalogue::feedMoved, this, show);
    connect(m_catalogue, &Catalogue::reset, this, [this] {
        for (const frmViewFeed *window : feedWindows()) {
            if (const std::optional<FeedRecord> feed = m_catalogue->feed(window->FeedID()))
                showFeedInWindows(*feed);
        }
    });
}

void FeedTabs::showFeedInWindows(const FeedRecord &feed)
{
    for (QMdiSubWindow *window : windowsShowing(feed.FeedID)) {
        frmViewFeed *view = feedWindowOf(window);
        if (view->FeedCaption() == feed.FeedCaption && view->FeedURL() == feed.FeedURL
            && view->FeedType() == feed.FeedType)
            continue;
        view->setFeedCaption(feed.FeedCaption);
        view->setFeedURL(feed.FeedURL);
        view->setFeedType(feed.FeedType);
        view->refreshCaption();
        updateWindowEntry(window, feed.FeedCaption, feed.FeedID);
        window->setWindowIcon(ShellIcons::feedIcon(feed.FeedType));
    }
}

// The Windows menu.

void FeedTabs::setWindowsMenu(QMenu *menu)
{
    m_menu = menu;
    resetWindowsMenu();
}

void FeedTabs::showTexts()
{
    if (m_windowEntries.isEmpty())
        resetWindowsMenu();
}

void FeedTabs::resetWindowsMenu()
{
    if (!m_menu)
        return;
    m_menu->clear();
    auto *none = new QAction(getMessages(Msg::NOFEEDSOPEN), m_menu);
    none->setObjectName(QStringLiteral("mnuSubItem"));
    none->setProperty("translated", false);
    none->setEnabled(false);
    m_menu->addAction(none);
}

void FeedTabs::addWindowEntry(QMdiSubWindow *window, const QString &caption, const QString &feedId)
{
    if (m_windowEntries.isEmpty())
        m_menu->clear();
    auto *entry = new QAction(m_menu);
    entry->setObjectName(QStringLiteral("mnuSubItem"));
    entry->setProperty("translated", false); // the feed window's caption
    m_menu->addAction(entry);
    m_windowEntries.insert(window, entry);
    updateWindowEntry(window, caption, feedId);
    connect(entry, &QAction::triggered, this, [this, window] {
        if (m_windowEntries.contains(window))
            m_area->setActiveSubWindow(window);
    });
}

void FeedTabs::updateWindowEntry(QMdiSubWindow *window, const QString &caption, const QString &feedId)
{
    QAction *entry = m_windowEntries.value(window);
    if (!entry)
        return;
    entry->setText(caption);
    entry->setData(feedId);
}

void FeedTabs::removeWindowEntry(QMdiSubWindow *window)
{
    delete m_windowEntries.take(window);
    if (m_windowEntries.isEmpty())
        resetWindowsMenu();
}
