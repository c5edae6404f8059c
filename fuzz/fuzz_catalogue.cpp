// A feed database of any content through loading and every catalogue
// operation.
#include "FuzzHome.h"
#include "catalogue/FeedDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzHome home;
    home.write(QStringLiteral("feeds.fdb"), data, size);
    QList<CatalogueCategory> categories;
    mCategories::LoadCategories(categories);
    const QString first = categories.isEmpty() ? QStringLiteral("News") : categories.first().name;
    mCategories::CategoryExists(first);
    FeedRecord record {first, QStringLiteral("http://example.test/feed"), 0,
        QStringLiteral("F0220000-0000-4000-8000-000000000002"), QStringLiteral("Fuzzed")};
    mFeeds::FeedExists(record);
    mFeeds::AddFeed(record);
    mCategories::AddCategory(QStringLiteral("Other"));
    mFeeds::EditFeed(record, true, QStringLiteral("Other"));
    if (!categories.isEmpty() && !categories.first().feeds.isEmpty())
        mFeeds::DeleteFeed(categories.first().feeds.first());
    mCategories::EditCategory(first, QStringLiteral("Renamed"));
    mCategories::DeleteCategory(QStringLiteral("Renamed"));
    mCategories::LoadCategories(categories);
    return 0;
}
