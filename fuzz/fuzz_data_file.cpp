// A feed data file of any content: listed, read, merged into and pruned,
// as the feed window and the scheduled check do.
#include "FuzzHome.h"
#include "feeds/FeedStore.h"

#include <QVector>

namespace
{

const QString FeedId = QStringLiteral("F0220000-0000-4000-8000-000000000001");

FeedEntries freshEntries()
{
    FeedItem item;
    item.Title = QStringLiteral("Fresh");
    item.Link = QStringLiteral("http://example.test/fresh");
    item.Year = QStringLiteral("2031");
    item.Month = QStringLiteral("Jan");
    item.Day = QStringLiteral("01");
    item.Time = QStringLiteral("00:00:00");
    return FeedEntries(QVector<FeedItem> {FeedItem(), item});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzHome home;
    home.write(QStringLiteral("Data/") + FeedId + QStringLiteral(".fdb"), data, size);
    FeedStore store(FeedId);
    QVector<FeedStore::Row> rows;
    store.LoadInbox(rows);
    if (!rows.isEmpty()) {
        FeedItem current;
        store.ItemAction(rows.first().id, FeedStore::Action::GetInfo, true, &current);
        FeedStore::storedDateKey(rows.last().dateText);
    }
    store.UpdateItems(freshEntries());
    if (!rows.isEmpty())
        store.ItemAction(rows.last().id, FeedStore::Action::Delete, true);
    store.LoadInbox(rows);
    return 0;
}
