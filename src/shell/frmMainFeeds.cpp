// The main window's feed windows and catalogue commands.
#include "shell/frmMain.h"

#include "catalogue/Catalogue.h"
#include "i18n/Languages.h"
#include "shell/CategoryNode.h"
#include "shell/ShellIcons.h"
#include "shell/frmOptionBar.h"
#include "util/Messages.h"
#include "viewer/ui/frmViewFeed.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabBar>
#include <QTreeWidget>

namespace
{

frmViewFeed *feedWindowOf(const QMdiSubWindow *window)
{
    return window ? qobject_cast<frmViewFeed *>(window->widget()) : nullptr;
}

} // namespace

void frmMain::buildTabs()
{
    m_tabs = new QMdiArea(this);
    m_tabs->setObjectName(QStringLiteral("oTabs"));
    m_tabs->setViewMode(QMdiArea::TabbedView);
    m_tabs->setTabsClosable(true);
    m_tabs->setTabsMovable(true);
    m_tabs->setDocumentMode(true);
    m_tabs->setActivationOrder(QMdiArea::CreationOrder);
    if (auto *bar = m_tabs->findChild<QTabBar *>())
        bar->setExpanding(false);
    setCentralWidget(m_tabs);
}

QList<frmViewFeed *> frmMain::feedWindows() const
{
    QList<frmViewFeed *> windows;
    for (QMdiSubWindow *window : m_tabs->subWindowList(QMdiArea::CreationOrder)) {
        if (frmViewFeed *feed = feedWindowOf(window))
            windows.append(feed);
    }
    return windows;
}

frmViewFeed *frmMain::activeFeedWindow() const
{
    return feedWindowOf(m_tabs->activeSubWindow());
}

bool frmMain::IsFeedOpen(const QString &url, bool activate)
{
    bool found = false;
    const QString wanted = url.toLower();
    for (QMdiSubWindow *window : m_tabs->subWindowList(QMdiArea::CreationOrder)) {
        frmViewFeed *feed = feedWindowOf(window);
        if (!feed || feed->FeedURL().toLower() != wanted)
            continue;
        found = true;
        if (activate) {
            m_tabs->setActiveSubWindow(window);
            window->setFocus();
            break;
        }
    }
    return found;
}

void frmMain::OpenFeed(const FeedRecord &feed, bool checkForNewItems)
{
    OpenFeed(feed.FeedCaption, feed.FeedID, feed.FeedURL, feed.FeedType, checkForNewItems);
}

void frmMain::OpenFeed(
    const QString &caption, const QString &feedId, const QString &url, int feedType, bool checkForNewItems)
{
    if (IsFeedOpen(url, true)) {
        QMdiSubWindow *window = m_tabs->activeSubWindow();
        frmViewFeed *feed = feedWindowOf(window);
        if (!feed)
            return;
        feed->setFeedID(feedId);
        feed->setFeedURL(url);
        feed->setFeedCaption(caption);
        feed->setFeedType(feedType);
        feed->setCheckForNewItems(checkForNewItems);
        updateWindowEntry(window, caption, feedId);
        window->setWindowIcon(ShellIcons::feedImage(feedType + 3));
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
    QMdiSubWindow *window = m_tabs->addSubWindow(feed);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(caption);
    window->setWindowIcon(ShellIcons::feedImage(feedType + 3));
    window->installEventFilter(this);
    connect(feed, &frmViewFeed::captionChanged, window, &QMdiSubWindow::setWindowTitle);
    connect(feed, &frmViewFeed::itemMenuRequested, this, &frmMain::showItemMenu);
    connect(feed, &frmViewFeed::itemDeleteRequested, this, &frmMain::DeleteFeedItem);
    connect(feed, &frmViewFeed::itemSelected, m_sendByEmail, [this] { m_sendByEmail->setEnabled(true); });
    followFeedWindow(feed);
    connect(window, &QObject::destroyed, this, [this, window] { removeWindowEntry(window); });
    addWindowEntry(window, caption, feedId);
    window->showMaximized();
    m_tabs->setActiveSubWindow(window);
}

bool frmMain::oTabs_CloseWindow(QMdiSubWindow *window)
{
    frmViewFeed *feed = feedWindowOf(window);
    if (!feed)
        return true;
    if (feed->StillExecuting()) {
        Messages::exclamation(QString(), getMessages(QStringLiteral("MSG_BUSY")));
        return false;
    }
    return true;
}

// A rename, an edit or a reload of the catalogue reaches the open windows:
// caption, tab, Windows menu entry, URL and type.
void frmMain::followCatalogue()
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

void frmMain::showFeedInWindows(const FeedRecord &feed)
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
        window->setWindowIcon(ShellIcons::feedImage(feed.FeedType + 3));
    }
}

// The Windows menu.

void frmMain::resetWindowsMenu()
{
    m_mnuWindows->clear();
    auto *none = new QAction(getMessages(QStringLiteral("MSG_NOFEEDSOPEN")), m_mnuWindows);
    none->setObjectName(QStringLiteral("mnuSubItem"));
    none->setProperty("translated", false);
    none->setEnabled(false);
    m_mnuWindows->addAction(none);
}

void frmMain::addWindowEntry(QMdiSubWindow *window, const QString &caption, const QString &feedId)
{
    if (m_windowEntries.isEmpty())
        m_mnuWindows->clear();
    auto *entry = new QAction(m_mnuWindows);
    entry->setObjectName(QStringLiteral("mnuSubItem"));
    entry->setProperty("translated", false); // the feed window's caption
    m_mnuWindows->addAction(entry);
    m_windowEntries.insert(window, entry);
    updateWindowEntry(window, caption, feedId);
    connect(entry, &QAction::triggered, this, [this, window] {
        if (m_windowEntries.contains(window))
            m_tabs->setActiveSubWindow(window);
    });
}

void frmMain::updateWindowEntry(QMdiSubWindow *window, const QString &caption, const QString &feedId)
{
    QAction *entry = m_windowEntries.value(window);
    if (!entry)
        return;
    entry->setText(caption);
    entry->setData(feedId);
}

void frmMain::removeWindowEntry(QMdiSubWindow *window)
{
    delete m_windowEntries.take(window);
    if (m_windowEntries.isEmpty())
        resetWindowsMenu();
}

// Catalogue commands on the selected tree node.

void frmMain::OpenSelectedFeed(bool checkForNewItems)
{
    QTreeWidgetItem *node = m_optionBar->selectedNode();
    if (CategoryNode::isFeed(node))
        OpenFeed(CategoryNode::record(node), checkForNewItems);
}

void frmMain::DeleteSelectedFeed()
{
    QTreeWidgetItem *node = m_optionBar->selectedNode();
    if (!CategoryNode::isFeed(node))
        return;
    if (!Messages::askYesNo(
            getMessages(QStringLiteral("MSG_DELETE4")), getMessages(QStringLiteral("MSG_DELETE5"))))
        return;
    // A window still showing the feed would write its data file again.
    const FeedRecord record = CategoryNode::record(node);
    const QList<QMdiSubWindow *> windows = windowsShowing(record.FeedID);
    for (QMdiSubWindow *window : windows) {
        if (!oTabs_CloseWindow(window))
            return;
    }
    if (m_catalogue->deleteFeed(record) != Catalogue::Change::Applied)
        return;
    for (QMdiSubWindow *window : windows)
        window->close();
}

QList<QMdiSubWindow *> frmMain::windowsShowing(const QString &feedId) const
{
    QList<QMdiSubWindow *> found;
    for (QMdiSubWindow *window : m_tabs->subWindowList()) {
        const frmViewFeed *feed = feedWindowOf(window);
        if (feed && feed->FeedID() == feedId)
            found.append(window);
    }
    return found;
}

void frmMain::DeleteSelectedCategory()
{
    QTreeWidgetItem *node = m_optionBar->selectedNode();
    if (!node || CategoryNode::isRoot(node) || CategoryNode::isFeed(node))
        return;
    const QString name = node->text(0);
    const QString question = getMessages(QStringLiteral("MSG_DELETE1")) + name
        + getMessages(QStringLiteral("MSG_DELETE2")) + QStringLiteral("\r\n\r\n")
        + getMessages(QStringLiteral("MSG_DELETE3"));
    const Messages::Answer answer = Messages::show(Messages::Icon::Question,
        getMessages(QStringLiteral("MSG_DELETE4")) + name, question, Messages::Buttons::YesNo);
    if (answer == Messages::Answer::No)
        return;
    m_catalogue->deleteCategory(name);
}

void frmMain::DeleteFeedItem()
{
    if (Messages::askYesNo(
            getMessages(QStringLiteral("MSG_DELETE3")), getMessages(QStringLiteral("MSG_DELETE5"))))
        ForwardToFeedWindow(QStringLiteral("del"));
}

void frmMain::ForwardToFeedWindow(const QString &action)
{
    if (frmViewFeed *feed = activeFeedWindow())
        feed->HandlePopupMenu(action);
}
