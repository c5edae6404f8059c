#include "catalogue/FeedDatabase.h"
#include "cli/Commands.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include <cstdio>
#include <optional>

namespace
{

void out(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
}

int failed(const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

void categoryExistsMessage()
{
    Messages::exclamation(QStringLiteral("Category Exists!"),
        QStringLiteral("Category with same Name already exists. Try some other Category Name ..."));
}

std::optional<qint16> feedType(const QString &text)
{
    const QString t = text.toLower();
    if (t == QLatin1String("0") || t == QLatin1String("rss") || t == QLatin1String("rdf"))
        return 0;
    if (t == QLatin1String("1") || t == QLatin1String("atom"))
        return 1;
    if (t == QLatin1String("2") || t == QLatin1String("podcast"))
        return 2;
    return std::nullopt;
}

// The stored record of a feed, looked up by category and id.
std::optional<FeedRecord> findFeed(const QString &category, const QString &feedId)
{
    QList<CatalogueCategory> categories;
    mCategories::LoadCategories(categories);
    const QString wanted = category.toLower();
    for (const CatalogueCategory &c : categories) {
        if (c.name.toLower() != wanted)
            continue;
        for (const FeedRecord &feed : c.feeds) {
            if (feed.FeedID == feedId)
                return feed;
        }
        break;
    }
    return std::nullopt;
}

void feedExistsMessage(const QString &category)
{
    Messages::information(QStringLiteral("Feed already Exists!"),
        QStringLiteral("Feed with same URL already exists under category \"%1\".").arg(category));
}

int addCategory(const QString &name)
{
    if (mUtil::IsBlank(name))
        return failed(QStringLiteral("A category needs a name."));
    if (mCategories::CategoryExists(name)) {
        categoryExistsMessage();
        return 1;
    }
    return mCategories::AddCategory(name) ? 0 : 1;
}

int renameCategory(const QString &oldName, const QString &newName)
{
    if (mUtil::IsBlank(newName))
        return failed(QStringLiteral("A category needs a name."));
    if (newName.toLower() == oldName.toLower())
        return 0; // a change of letter case only is not applied
    if (mCategories::CategoryExists(newName)) {
        categoryExistsMessage();
        return 1;
    }
    if (mCategories::EditCategory(oldName, newName))
        return 0;
    Messages::exclamation(QStringLiteral("Alert!"),
        QStringLiteral("Application failed to access Category named \"%1\" in database. Edit "
                       "operation failed. Please Refresh Category tree and try again ...")
            .arg(oldName));
    return 1;
}

int addFeed(const QStringList &a)
{
    const auto type = feedType(a.at(2));
    if (!type)
        return usageError(QStringLiteral("TYPE must be 0 (rss), 1 (atom) or 2 (podcast)"));
    if (mUtil::IsBlank(a.at(0)) || mUtil::IsBlank(a.at(1)) || mUtil::IsBlank(a.at(3)))
        return failed(QStringLiteral("A feed needs a category, a name and a URL."));
    FeedRecord record {a.at(0), a.at(3).trimmed(), *type, mUtil::NewGUID(), a.at(1)};
    if (!mCategories::CategoryExists(record.Category) && !mCategories::AddCategory(record.Category))
        return 1;
    if (mFeeds::FeedExists(record)) {
        feedExistsMessage(record.Category);
        return 1;
    }
    if (!mFeeds::AddFeed(record))
        return 1;
    out(record.FeedID);
    return 0;
}

int editFeed(const QStringList &a)
{
    const auto type = feedType(a.at(3));
    if (!type)
        return usageError(QStringLiteral("TYPE must be 0 (rss), 1 (atom) or 2 (podcast)"));
    if (mUtil::IsBlank(a.at(2)) || mUtil::IsBlank(a.at(4)))
        return failed(QStringLiteral("A feed needs a name and a URL."));
    const FeedRecord record {a.at(0), a.at(4).trimmed(), *type, a.at(1), a.at(2)};
    if (mFeeds::EditFeed(record, false, QString()))
        return 0;
    return failed(QStringLiteral("No feed %1 in category \"%2\".").arg(a.at(1), a.at(0)));
}

int moveFeed(const QStringList &a)
{
    const std::optional<FeedRecord> feed = findFeed(a.at(0), a.at(1));
    if (!feed)
        return failed(QStringLiteral("No feed %1 in category \"%2\".").arg(a.at(1), a.at(0)));
    if (feed->Category == a.at(2))
        return 0;
    FeedRecord target = *feed;
    target.Category = a.at(2);
    if (mCategories::CategoryExists(target.Category) && mFeeds::FeedExists(target)) {
        feedExistsMessage(target.Category);
        return 1;
    }
    return mFeeds::EditFeed(*feed, true, a.at(2)) ? 0 : 1;
}

int deleteFeed(const QStringList &a)
{
    FeedRecord record;
    record.Category = a.at(0);
    record.FeedID = a.at(1);
    if (mFeeds::DeleteFeed(record))
        return 0;
    return failed(QStringLiteral("No feed %1 in category \"%2\".").arg(a.at(1), a.at(0)));
}

} // namespace

int runList(const QStringList &args)
{
    if (!args.isEmpty())
        return usageError(QStringLiteral("list takes no arguments"));
    QList<CatalogueCategory> categories;
    const bool ok = mCategories::LoadCategories(categories);
    for (const CatalogueCategory &category : categories) {
        out(QStringLiteral("C\t") + category.name);
        for (const FeedRecord &f : category.feeds) {
            out(QStringLiteral("F\t%1\t%2\t%3\t%4\t%5")
                    .arg(category.name, f.FeedCaption, QString::number(f.FeedType), f.FeedID, f.FeedURL));
        }
    }
    return ok ? 0 : 1;
}

int runCategory(const QStringList &args)
{
    const QString action = args.value(0);
    if (action == QLatin1String("add") && args.size() == 2)
        return addCategory(args.at(1));
    if (action == QLatin1String("rename") && args.size() == 3)
        return renameCategory(args.at(1), args.at(2));
    if (action == QLatin1String("delete") && args.size() == 2) {
        if (mCategories::DeleteCategory(args.at(1)))
            return 0;
        return failed(QStringLiteral("No category named \"%1\".").arg(args.at(1)));
    }
    return usageError(QStringLiteral("category add NAME | rename OLD NEW | delete NAME"));
}

int runFeed(const QStringList &args)
{
    const QString action = args.value(0);
    const QStringList rest = args.mid(1);
    if (action == QLatin1String("add") && rest.size() == 4)
        return addFeed(rest);
    if (action == QLatin1String("edit") && rest.size() == 5)
        return editFeed(rest);
    if (action == QLatin1String("move") && rest.size() == 3)
        return moveFeed(rest);
    if (action == QLatin1String("delete") && rest.size() == 2)
        return deleteFeed(rest);
    return usageError(QStringLiteral("feed add|edit|move|delete ..."));
}
