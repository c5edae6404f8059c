// The main window's part in everyday reading: unread counts in the tree,
// the catalogue to and from OPML, what feed windows and checks learn about
// a feed, and the announcement of new items.
#include "shell/frmMain.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Opml.h"
#include "feeds/FeedFile.h"
#include "feeds/UnreadCounts.h"
#include "i18n/Languages.h"
#include "scheduler/ScheduledCheck.h"
#include "scheduler/ui/frmNotification.h"
#include "shell/frmOptionBar.h"
#include "util/MessageKeys.h"
#include "util/ui/CategoryNode.h"
#include "viewer/ui/frmViewFeed.h"

#include <QAction>
#include <QFileDialog>
#include <QTreeWidget>

void frmMain::setupUnreadCounts()
{
    m_unread = new UnreadCounts(this);
    m_optionBar->setUnreadCounts(m_unread);
    // Told on the store thread: m_unread receives it on this one.
    connect(FeedFile::notifier(), &FeedFileNotifier::unreadChanged, m_unread, &UnreadCounts::set);
    // New feeds (added, imported, the file read again) are counted when
    // they appear; the first counts once the window is up (Load()).
    const auto countNew = [this] {
        if (isVisible())
            countUnknownFeeds();
    };
    connect(m_catalogue, &Catalogue::reset, this, countNew);
    connect(m_catalogue, &Catalogue::feedAdded, this, countNew);
}

void frmMain::countUnknownFeeds()
{
    QStringList unknown;
    for (const CatalogueCategory &category : m_catalogue->categories()) {
        for (const FeedRecord &feed : category.feeds) {
            if (m_unread->of(feed.FeedID) < 0)
                unknown << feed.FeedID;
        }
    }
    m_unread->recount(unknown);
}

namespace
{

QString chooseOpmlFile(QWidget *parent, bool save)
{
    const QString title = getMessages(save ? Msg::OPML_EXPORT_TITLE : Msg::OPML_IMPORT_TITLE);
    if (save)
        return QFileDialog::getSaveFileName(parent, title, QStringLiteral("feeds.opml"), Opml::fileFilter());
    return QFileDialog::getOpenFileName(parent, title, QString(), Opml::fileFilter());
}

} // namespace

void frmMain::importOpml()
{
    const QString path = m_opmlChooser ? m_opmlChooser(this, false) : chooseOpmlFile(this, false);
    if (!path.isEmpty())
        Opml::importAndReport(*m_catalogue, path);
}

void frmMain::exportOpml()
{
    const QString path = m_opmlChooser ? m_opmlChooser(this, true) : chooseOpmlFile(this, true);
    if (!path.isEmpty())
        Opml::exportAndReport(*m_catalogue, path);
}

// A feed window or a scheduled run learnt something the catalogue keeps.
void frmMain::followFeedWindow(frmViewFeed *feed)
{
    connect(feed, &frmViewFeed::itemMenuRequested, this, &frmMain::showItemMenu);
    connect(feed, &frmViewFeed::itemDeleteRequested, this, &frmMain::deleteFeedItem);
    QAction *send = command(QStringLiteral("mnuToolsSendByEmail"));
    connect(feed, &frmViewFeed::itemSelected, send, [send] { send->setEnabled(true); });
    connect(feed, &frmViewFeed::nextFeedWithUnreadRequested, this,
        [this, feed] { openNextUnreadFeed(feed->FeedID()); });
    connect(feed, &frmViewFeed::addressChangeAccepted, this, [this](const QString &id, const QString &url) {
        changeFeed(id, [&url](FeedRecord &record) { record.FeedURL = url; });
    });
    connect(feed, &frmViewFeed::feedTypeFound, this, &frmMain::correctFeedType);
}

void frmMain::correctFeedType(const QString &feedId, int feedType)
{
    changeFeed(feedId, [feedType](FeedRecord &record) { record.FeedType = qint16(feedType); });
}

void frmMain::changeFeed(const QString &feedId, const std::function<void(FeedRecord &)> &change)
{
    std::optional<FeedRecord> feed = m_catalogue->feed(feedId);
    if (!feed)
        return;
    change(*feed);
    m_catalogue->editFeed(*feed);
}

// The first feed after this one, in the tree's order and round again, that
// has unread items.
void frmMain::openNextUnreadFeed(const QString &afterFeedId)
{
    QList<FeedRecord> feeds;
    for (QTreeWidgetItemIterator it(m_optionBar->tvCategories()); *it; ++it) {
        if (CategoryNode::isFeed(*it))
            feeds << CategoryNode::record(*it);
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i < feeds.size(); ++i) {
        if (feeds.at(i).FeedID == afterFeedId)
            start = i + 1;
    }
    for (qsizetype n = 0; n < feeds.size(); ++n) {
        const FeedRecord &feed = feeds.at((start + n) % feeds.size());
        if (feed.FeedID != afterFeedId && m_unread->of(feed.FeedID) > 0) {
            m_optionBar->revealNode(m_optionBar->feedNode(feed.FeedID));
            if (!IsFeedOpen(feed.FeedURL, true))
                OpenFeed(feed, false);
            return;
        }
    }
}

// "Mark All as Read" of the tree: the selected feed, or every feed of the
// selected category.
void frmMain::markSelectedAllRead()
{
    QTreeWidgetItem *node = m_optionBar->selectedNode();
    QStringList ids;
    if (CategoryNode::isFeed(node)) {
        ids << CategoryNode::key(node);
    } else if (CategoryNode::isCategory(node)) {
        for (int i = 0; i < node->childCount(); ++i)
            ids << CategoryNode::key(node->child(i));
    }
    if (!ids.isEmpty())
        FeedFile::markAllRead(ids);
}

// New items of a scheduled check: the pop-up, whose lines open their feeds,
// and the desktop's notification while the window is in the tray.
void frmMain::announceNewItems()
{
    const auto note = scheduledCheck()->notification();
    if (!note)
        return;
    frmNotification *popup = frmNotification::announce(*note);
    connect(popup, &frmNotification::feedChosen, this, [this](const QString &feedId) {
        if (const auto feed = m_catalogue->feed(feedId))
            OpenFeed(*feed, false);
    });
    if (trayIcon() && !isVisible())
        announceInTray(trayIcon(), scheduledCheck()->notificationLines());
}
