// The main window's part in everyday reading: unread counts in the tree,
// the catalogue to and from OPML, and the feed tabs of the last session.
#include "shell/frmMain.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Opml.h"
#include "feeds/FeedFile.h"
#include "feeds/UnreadCounts.h"
#include "i18n/Languages.h"
#include "scheduler/ScheduledCheck.h"
#include "shell/CategoryNode.h"
#include "shell/frmOptionBar.h"
#include "viewer/ui/frmViewFeed.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>
#include <QSettings>
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
    const QString title = getMessages(
        save ? QStringLiteral("MSG_OPML_EXPORT_TITLE") : QStringLiteral("MSG_OPML_IMPORT_TITLE"));
    if (save)
        return QFileDialog::getSaveFileName(parent, title, QStringLiteral("feeds.opml"), Opml::fileFilter());
    return QFileDialog::getOpenFileName(parent, title, QString(), Opml::fileFilter());
}

} // namespace

void frmMain::ImportOpml()
{
    const QString path = m_opmlChooser ? m_opmlChooser(this, false) : chooseOpmlFile(this, false);
    if (!path.isEmpty())
        Opml::importAndReport(*m_catalogue, path);
}

void frmMain::ExportOpml()
{
    const QString path = m_opmlChooser ? m_opmlChooser(this, true) : chooseOpmlFile(this, true);
    if (!path.isEmpty())
        Opml::exportAndReport(*m_catalogue, path);
}

// The open feed tabs and the selected item of each, kept in the per-user
// settings when the program ends and opened again at the next start.
namespace
{
const QString sessionGroup = QStringLiteral("Session");
} // namespace

void frmMain::saveOpenTabs() const
{
    QStringList feeds;
    QStringList items;
    for (const frmViewFeed *window : feedWindows()) {
        feeds << window->FeedID();
        items << window->selectedItemId();
    }
    QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
    settings.beginGroup(sessionGroup);
    settings.setValue(QStringLiteral("OpenFeeds"), feeds);
    settings.setValue(QStringLiteral("SelectedItems"), items);
}

void frmMain::restoreOpenTabs()
{
    QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
    settings.beginGroup(sessionGroup);
    const QStringList feeds = settings.value(QStringLiteral("OpenFeeds")).toStringList();
    const QStringList items = settings.value(QStringLiteral("SelectedItems")).toStringList();
    for (qsizetype i = 0; i < feeds.size(); ++i) {
        // A feed deleted meanwhile is simply not opened.
        const std::optional<FeedRecord> feed = m_catalogue->feed(feeds.at(i));
        if (!feed || IsFeedOpen(feed->FeedURL, false))
            continue;
        OpenFeed(*feed, false);
        // The window just opened is the newest.
        const QList<frmViewFeed *> windows = feedWindows();
        frmViewFeed *window = windows.isEmpty() ? nullptr : windows.last();
        if (!window || window->FeedID() != feed->FeedID)
            continue;
        window->selectItemWhenLoaded(items.value(i));
    }
}

// "Check All Feeds": the open windows refresh themselves, and a run of the
// scheduled check goes over every other feed of the catalogue, its
// progress in the status bar and its new items in the pop-up.
void frmMain::CheckAllFeeds()
{
    QSet<QString> open;
    for (frmViewFeed *window : feedWindows()) {
        open.insert(window->FeedID());
        if (!window->StillExecuting()) {
            window->setCheckForNewItems(true);
            window->LoadFeedData(false);
        }
    }
    if (m_check->isRunning())
        return;
    QList<FeedRecord> feeds;
    for (const CatalogueCategory &category : m_catalogue->categories()) {
        for (const FeedRecord &feed : category.feeds) {
            if (!open.contains(feed.FeedID))
                feeds << feed;
        }
    }
    setScheduleTimer(false);
    m_execute->setEnabled(false);
    m_checkAll->setEnabled(false);
    m_statusPanels[3]->setText(getMessages(QStringLiteral("MSG_STATUSEXECUTING")));
    m_check->RunCheckOf(feeds);
}

void frmMain::showCheckProgress(int done, int total)
{
    if (!m_unloaded)
        m_statusPanels[3]->setText(getMessages(QStringLiteral("MSG_CHECKALL_PROGRESS")).arg(done).arg(total));
}

// A feed window or a scheduled run learnt something the catalogue keeps.
void frmMain::followFeedWindow(frmViewFeed *feed)
{
    connect(feed, &frmViewFeed::nextFeedWithUnreadRequested, this,
        [this, feed] { OpenNextUnreadFeed(feed->FeedID()); });
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
void frmMain::OpenNextUnreadFeed(const QString &afterFeedId)
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
void frmMain::MarkSelectedAllRead()
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
