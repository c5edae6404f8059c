#include "catalogue/FeedDatabase.h"

#include "i18n/Languages.h"
#include "util/AppFolder.h"
#include "util/FileLock.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/XmlDocument.h"

#include <QDir>
#include <QFile>

#include <memory>

namespace
{

// An unexpected failure inside an operation (a broken element, a file that
// cannot be saved); reported with the operation's "... Function" box.
struct RuntimeFailure {
    QString description;
};

QString requiredAttribute(const XmlNode &node, int index)
{
    if (!node.hasAttributeAt(index))
        throw RuntimeFailure {getMessages(Msg::ERR_OBJECTNOTSET)};
    return node.attribute(index);
}

// The opening sequence every operation shares: create a missing file, load
// it, find the catalogue root. Reports its own failures. An operation that
// changes the file keeps the other processes out of it until it is over;
// readers need no lock, since every save replaces the file whole.
class OpenDatabase
{
public:
    bool open(bool forChange = true)
    {
        const QString path = mFeeds::databaseFile();
        if (forChange) {
            m_lock = std::make_unique<FileLock>(path);
            if (!m_lock->isLocked())
                throw RuntimeFailure {getMessages(Msg::DBLOCKED).arg(QDir::toNativeSeparators(path))};
        }
        if (!mUtil::FileExists(path))
            mUtil::WriteTextFile(path, QStringLiteral("<categories/>"));
        if (!m_doc.load(path)) {
            Messages::exclamation(getMessages(Msg::DBFORMAT_TITLE), getMessages(Msg::DBFORMAT));
            return false;
        }
        m_root = m_doc.selectSingleNode(QStringLiteral(".//categories"));
        if (!m_root) {
            Messages::exclamation(getMessages(Msg::DBRECORDS_TITLE), getMessages(Msg::DBRECORDS));
            return false;
        }
        return true;
    }

    // The category a feed operation works in; reports when there is none.
    XmlNode category(const QString &name) const
    {
        XmlNode node = mCategories::FindCategoryNode(m_root, name);
        if (!node) {
            Messages::exclamation(getMessages(Msg::DBCATEGORY_TITLE), getMessages(Msg::DBCATEGORY).arg(name));
        }
        return node;
    }

    void save() const
    {
        if (!m_doc.save(mFeeds::databaseFile()))
            throw RuntimeFailure {getMessages(Msg::DBNOTSAVED).arg(mFeeds::databaseFile())};
    }

    const XmlNode &root() const { return m_root; }
    XmlDocument &document() { return m_doc; }

private:
    std::unique_ptr<FileLock> m_lock;
    XmlDocument m_doc;
    XmlNode m_root;
};

// Runs an operation, turning an unexpected failure into its error box and
// a false result.
template<typename Operation> bool guarded(const char *name, Operation operation)
{
    try {
        return operation();
    } catch (const RuntimeFailure &failure) {
        Messages::runtimeError(QString::fromLatin1(name), failure.description);
        return false;
    }
}

// Runs a feed operation inside the category its record names: the opening
// sequence and the category lookup (each reporting its own failure), then
// the operation itself.
template<typename Operation>
bool inCategory(const char *name, const QString &categoryName, Operation operation, bool forChange = true)
{
    return guarded(name, [&] {
        OpenDatabase db;
        if (!db.open(forChange))
            return false;
        const XmlNode category = db.category(categoryName);
        return category && operation(db, category);
    });
}

// The fields an edit may change: name and type (keeping their places) and
// the URL.
void writeFeed(const XmlNode &feed, const FeedRecord &record)
{
    feed.setAttribute(QStringLiteral("name"), record.FeedCaption);
    feed.setAttribute(QStringLiteral("type"), QString::number(record.FeedType));
    feed.setText(record.FeedURL);
}

XmlNode findFeed(const XmlNode &category, const QString &feedId)
{
    for (const XmlNode &feed : category.childNodes()) {
        if (requiredAttribute(feed, 2) == feedId)
            return feed;
    }
    return XmlNode();
}

} // namespace

namespace mCategories
{

XmlNode FindCategoryNode(const XmlNode &root, const QString &name)
{
    const QString wanted = name.toLower();
    for (const XmlNode &category : root.childNodes()) {
        if (requiredAttribute(category, 0).toLower() == wanted)
            return category;
    }
    return XmlNode();
}

bool AddCategory(const QString &name)
{
    return guarded("AddCategory", [&] {
        OpenDatabase db;
        if (!db.open())
            return false;
        db.root().appendElement(QStringLiteral("category")).setAttribute(QStringLiteral("name"), name);
        db.save();
        return true;
    });
}

bool CategoryExists(const QString &name)
{
    return guarded("CategoryExists", [&] {
        OpenDatabase db;
        return db.open(false) && bool(FindCategoryNode(db.root(), name));
    });
}

bool EditCategory(const QString &oldName, const QString &newName)
{
    return guarded("EditCategory", [&] {
        OpenDatabase db;
        if (!db.open())
            return false;
        XmlNode category = FindCategoryNode(db.root(), oldName);
        if (!category)
            return false;
        category.setAttributeAt(0, newName);
        db.save();
        return true;
    });
}

bool DeleteCategory(const QString &name)
{
    return guarded("DeleteCategory", [&] {
        OpenDatabase db;
        if (!db.open())
            return false;
        XmlNode category = FindCategoryNode(db.root(), name);
        if (!category)
            return false;
        db.root().removeChild(category);
        db.save();
        return true;
    });
}

bool LoadCategories(QList<CatalogueCategory> &categories)
{
    categories.clear();
    return guarded("LoadCategories", [&] {
        OpenDatabase db;
        if (!db.open(false))
            return false;
        for (const XmlNode &category : db.root().childNodes()) {
            categories.append({requiredAttribute(category, 0), {}});
            for (const XmlNode &feed : category.childNodes()) {
                if (feed.nodeName() != QLatin1String("feed"))
                    continue;
                bool numeric = false;
                const qint16 type = qint16(requiredAttribute(feed, 1).trimmed().toShort(&numeric));
                if (!numeric)
                    throw RuntimeFailure {getMessages(Msg::ERR_TYPEMISMATCH)};
                FeedRecord record;
                record.Category = categories.last().name;
                record.FeedCaption = feed.attribute(0);
                record.FeedType = type;
                record.FeedID = requiredAttribute(feed, 2);
                record.FeedURL = feed.text();
                categories.last().feeds.append(record);
            }
        }
        return true;
    });
}

} // namespace mCategories

namespace mFeeds
{

QString databaseFile()
{
    return AppFolder::file(QStringLiteral("feeds.fdb"));
}

bool FeedExists(const FeedRecord &record)
{
    return inCategory(
        "FeedExists", record.Category,
        [&](OpenDatabase &, const XmlNode &category) {
            const QString caption = record.FeedCaption.toLower();
            const QString url = record.FeedURL.toLower();
            for (const XmlNode &feed : category.childNodes()) {
                if (requiredAttribute(feed, 0).toLower() == caption || feed.text().toLower() == url)
                    return true;
            }
            return false;
        },
        false);
}

bool AddFeed(const FeedRecord &record)
{
    return inCategory("AddFeed", record.Category, [&](OpenDatabase &db, const XmlNode &category) {
        const XmlNode feed = category.appendElement(QStringLiteral("feed"));
        writeFeed(feed, record);
        feed.setAttribute(QStringLiteral("id"), record.FeedID);
        db.save();
        return true;
    });
}

bool EditFeed(const FeedRecord &record, bool move, const QString &newCategory)
{
    return inCategory("EditFeed", record.Category, [&](OpenDatabase &db, const XmlNode &category) {
        const XmlNode feed = findFeed(category, record.FeedID);
        if (!feed)
            return false;
        if (move) {
            const XmlNode target = mCategories::FindCategoryNode(db.root(), newCategory);
            if (!target) {
                Messages::exclamation(getMessages(Msg::DBCATEGORYNOTFOUND_TITLE),
                    getMessages(Msg::DBCATEGORYNOTFOUND).arg(newCategory));
                return false;
            }
            target.appendChild(feed);
        } else {
            writeFeed(feed, record);
        }
        db.save();
        return true;
    });
}

bool DeleteFeed(const FeedRecord &record)
{
    return inCategory("DeleteFeed", record.Category, [&](OpenDatabase &db, const XmlNode &category) {
        const XmlNode feed = findFeed(category, record.FeedID);
        if (!feed)
            return false;
        DeleteFeedDataFile(record.FeedID);
        category.removeChild(feed);
        db.save();
        return true;
    });
}

bool DeleteFeedDataFile(const QString &feedId)
{
    // Only a real identifier may name a file: a crafted database must not
    // reach outside the Data folder.
    if (!mUtil::isFeedId(feedId))
        return false;
    const QString path = AppFolder::feedDataFile(feedId);
    if (mUtil::FileExists(path))
        QFile::remove(path);
    return false;
}

} // namespace mFeeds
