#include "catalogue/Catalogue.h"
#include "catalogue/FeedCheck.h"
#include "cli/Commands.h"
#include "util/Utilities.h"

#include <QEventLoop>

#include <optional>

namespace
{

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

int exitCode(Catalogue::Change change)
{
    return change == Catalogue::Change::Applied || change == Catalogue::Change::Unchanged ? 0 : 1;
}

int noFeed(const QStringList &a)
{
    return failed(QStringLiteral("No feed %1 in category \"%2\".").arg(a.at(1), a.at(0)));
}

int addCategory(Catalogue &catalogue, const QString &name)
{
    const Catalogue::Change change = catalogue.addCategory(name);
    if (change == Catalogue::Change::Blank)
        return failed(QStringLiteral("A category needs a name."));
    return exitCode(change);
}

int renameCategory(Catalogue &catalogue, const QString &oldName, const QString &newName)
{
    const Catalogue::Change change = catalogue.renameCategory(oldName, newName);
    if (change == Catalogue::Change::Blank)
        return failed(QStringLiteral("A category needs a name."));
    return exitCode(change);
}

int deleteCategory(Catalogue &catalogue, const QString &name)
{
    if (catalogue.deleteCategory(name) == Catalogue::Change::Applied)
        return 0;
    return failed(QStringLiteral("No category named \"%1\".").arg(name));
}

bool isAuto(const QString &type)
{
    return type.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0;
}

// A feed that passed the check: its type (-1 failed), channel title and address.
struct CheckedFeed {
    int type = -1;
    QString title;
    QString url;
};

// Checks url as the add-feed dialog does: a web page is searched for the
// feeds it names, and the first is taken. Failures print the check's message.
CheckedFeed checkFeed(const QString &url)
{
    FeedCheck check;
    check.setChooser([](const QList<FeedLink> &links) {
        printError(QStringLiteral("The page names %1 feeds; taking the first:").arg(links.size()));
        for (const FeedLink &link : links)
            printError(QStringLiteral("  %1\t%2").arg(link.url, link.title));
        return 0;
    });
    CheckedFeed result;
    bool ended = false;
    QEventLoop loop;
    QObject::connect(
        &check, &FeedCheck::finished, &loop, [&](int type, const QString &title, const QString &checked) {
            result = {type, title.trimmed(), checked};
            ended = true;
            loop.quit();
        });
    if (!check.start(url))
        return result;
    if (!ended)
        loop.exec();
    return result;
}

int addFeed(Catalogue &catalogue, const QStringList &a)
{
    const bool detect = isAuto(a.at(2));
    auto type = feedType(a.at(2));
    if (!type && !detect)
        return usageError(QStringLiteral("TYPE must be 0 (rss), 1 (atom), 2 (podcast) or auto"));
    const bool named = !mUtil::IsBlank(a.at(1));
    if (mUtil::IsBlank(a.at(0)) || (!named && !detect) || mUtil::IsBlank(a.at(3)))
        return failed(QStringLiteral("A feed needs a category, a name and a URL."));
    FeedRecord record {a.at(0), a.at(3).trimmed(), type.value_or(0), mUtil::NewGUID(), a.at(1)};
    if (detect) {
        const CheckedFeed feed = checkFeed(record.FeedURL);
        if (feed.type < 0)
            return 1;
        if (!named && mUtil::IsBlank(feed.title))
            return failed(QStringLiteral("The feed has no title; give it a name."));
        if (feed.url != record.FeedURL)
            printError(QStringLiteral("Feed found on the page: ") + feed.url);
        record.FeedType = qint16(feed.type);
        record.FeedURL = feed.url;
        if (!named)
            record.FeedCaption = feed.title;
    }
    if (!catalogue.categoryExists(record.Category)
        && catalogue.addCategory(record.Category) != Catalogue::Change::Applied)
        return 1;
    if (catalogue.addFeed(record) != Catalogue::Change::Applied)
        return 1;
    printLine(record.FeedID);
    return 0;
}

int editFeed(Catalogue &catalogue, const QStringList &a)
{
    const auto type = feedType(a.at(3));
    if (!type)
        return usageError(QStringLiteral("TYPE must be 0 (rss), 1 (atom) or 2 (podcast)"));
    if (mUtil::IsBlank(a.at(2)) || mUtil::IsBlank(a.at(4)))
        return failed(QStringLiteral("A feed needs a name and a URL."));
    if (catalogue.editFeed({a.at(0), a.at(4).trimmed(), *type, a.at(1), a.at(2)})
        == Catalogue::Change::Applied)
        return 0;
    return noFeed(a);
}

int moveFeed(Catalogue &catalogue, const QStringList &a)
{
    const std::optional<FeedRecord> feed = catalogue.feedIn(a.at(0), a.at(1));
    if (!feed)
        return noFeed(a);
    return exitCode(catalogue.moveFeed(*feed, a.at(2)));
}

int deleteFeed(Catalogue &catalogue, const QStringList &a)
{
    FeedRecord record;
    record.Category = a.at(0);
    record.FeedID = a.at(1);
    if (catalogue.deleteFeed(record) == Catalogue::Change::Applied)
        return 0;
    return noFeed(a);
}

} // namespace

int runList(const QStringList &args)
{
    if (!args.isEmpty())
        return usageError(QStringLiteral("list takes no arguments"));
    Catalogue catalogue;
    const bool ok = catalogue.reload();
    for (const CatalogueCategory &category : catalogue.categories()) {
        printLine(QStringLiteral("C\t") + category.name);
        for (const FeedRecord &f : category.feeds) {
            printLine(
                QStringLiteral("F\t%1\t%2\t%3\t%4\t%5")
                    .arg(category.name, f.FeedCaption, QString::number(f.FeedType), f.FeedID, f.FeedURL));
        }
    }
    return ok ? 0 : 1;
}

int runCategory(const QStringList &args)
{
    const QString action = args.value(0);
    const bool add = action == QLatin1String("add") && args.size() == 2;
    const bool rename = action == QLatin1String("rename") && args.size() == 3;
    const bool remove = action == QLatin1String("delete") && args.size() == 2;
    if (!add && !rename && !remove)
        return usageError(QStringLiteral("category add NAME | rename OLD NEW | delete NAME"));
    Catalogue catalogue;
    if (add)
        return addCategory(catalogue, args.at(1));
    if (rename)
        return renameCategory(catalogue, args.at(1), args.at(2));
    return deleteCategory(catalogue, args.at(1));
}

int runFeed(const QStringList &args)
{
    const QString action = args.value(0);
    const QStringList rest = args.mid(1);
    using Verb = int (*)(Catalogue &, const QStringList &);
    Verb verb = nullptr;
    if (action == QLatin1String("add") && rest.size() == 4)
        verb = addFeed;
    else if (action == QLatin1String("edit") && rest.size() == 5)
        verb = editFeed;
    else if (action == QLatin1String("move") && rest.size() == 3)
        verb = moveFeed;
    else if (action == QLatin1String("delete") && rest.size() == 2)
        verb = deleteFeed;
    if (!verb)
        return usageError(QStringLiteral("feed add|edit|move|delete ..."));
    Catalogue catalogue;
    return verb(catalogue, rest);
}
