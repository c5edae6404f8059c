#include "catalogue/Catalogue.h"

#include "i18n/Languages.h"
#include "util/FileLock.h"
#include "util/Log.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/StoreThread.h"
#include "util/Utilities.h"
#include "util/XmlDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace
{

bool backgroundDefault = false;

bool sameName(const QString &a, const QString &b)
{
    return a.toLower() == b.toLower();
}

} // namespace

// What a save on the store thread answers.
struct Catalogue::Written {
    bool ok = false;
    bool foreign = false; // another writer changed the file since our last save
    QList<Messages::Box> boxes;
    std::pair<QDateTime, qint64> stamp;
};

Catalogue::Catalogue(QObject *parent)
    : QObject(parent),
      m_background(backgroundDefault),
      m_lastSaved(std::make_shared<std::pair<QDateTime, qint64>>())
{
    reload();
}

void Catalogue::setBackgroundSavesDefault(bool background)
{
    backgroundDefault = background;
}

std::pair<QDateTime, qint64> Catalogue::fileStamp()
{
    const QFileInfo file(mFeeds::databaseFile());
    return file.exists() ? std::make_pair(file.lastModified(), file.size())
                         : std::make_pair(QDateTime(), qint64(-1));
}

bool Catalogue::staleFile()
{
    if (!m_background)
        return fileChanged();
    if (m_pending == 0 && fileChanged())
        reload();
    return false;
}

bool Catalogue::write(std::function<bool()> operation)
{
    if (!m_background) {
        // The operation's boxes wait until it has let the lock go.
        QList<Messages::Box> boxes;
        bool ok = false;
        {
            Messages::Capture capture;
            ok = operation();
            boxes = capture.take();
        }
        Messages::Capture::replay(boxes);
        return ok;
    }
    std::optional<std::pair<QDateTime, qint64>> baseline;
    if (m_pending == 0)
        baseline = std::make_pair(m_fileTime, m_fileSize);
    ++m_pending;
    StoreThread::run<Written>(
        this,
        [operation = std::move(operation), baseline, lastSaved = m_lastSaved] {
            Written written;
            const std::pair<QDateTime, qint64> before = fileStamp();
            written.foreign = before != (baseline ? *baseline : *lastSaved);
            {
                // Boxes wait until the lock is let go and the window shows them.
                Messages::Capture capture;
                written.ok = operation();
                written.boxes = capture.take();
            }
            written.stamp = fileStamp();
            *lastSaved = written.stamp;
            return written;
        },
        [this](const Written &written) { onWritten(written); });
    return true;
}

void Catalogue::onWritten(const Written &written)
{
    --m_pending;
    qCDebug(lcStore) << "feeds.fdb saved" << written.ok << "changed by another writer" << written.foreign;
    if (!written.ok || written.foreign)
        m_reloadDue = true;
    Messages::Capture::replay(written.boxes);
    if (m_pending > 0)
        return;
    if (std::exchange(m_reloadDue, false)) {
        reload();
    } else {
        m_fileTime = written.stamp.first;
        m_fileSize = written.stamp.second;
    }
    emit saved();
}

void Catalogue::waitForSaves()
{
    while (m_pending > 0) {
        StoreThread::drain();
        QCoreApplication::sendPostedEvents();
    }
}

bool Catalogue::reload()
{
    const bool loaded = mCategories::LoadCategories(m_categories);
    noteFile();
    emit reset();
    return loaded;
}

void Catalogue::noteFile()
{
    const QFileInfo file(mFeeds::databaseFile());
    m_fileTime = file.exists() ? file.lastModified() : QDateTime();
    m_fileSize = file.exists() ? file.size() : -1;
}

bool Catalogue::fileChanged() const
{
    const QFileInfo file(mFeeds::databaseFile());
    const QDateTime time = file.exists() ? file.lastModified() : QDateTime();
    const qint64 size = file.exists() ? file.size() : -1;
    return time != m_fileTime || size != m_fileSize;
}

bool Catalogue::nameTaken(const QString &name, bool stale) const
{
    return stale ? mCategories::CategoryExists(name) : categoryExists(name);
}

bool Catalogue::feedTaken(const FeedRecord &record, bool stale) const
{
    if (!stale)
        return feedExists(record);
    return mCategories::CategoryExists(record.Category) && mFeeds::FeedExists(record);
}

bool Catalogue::settle(bool stale)
{
    if (m_background) {
        // The save answers later; a catalogue that does not hold what was
        // changed is read again then.
        if (stale)
            m_reloadDue = true;
        return !stale;
    }
    if (stale) {
        reload();
        return false;
    }
    noteFile();
    return true;
}

int Catalogue::categoryIndex(const QString &name) const
{
    for (qsizetype i = 0; i < m_categories.size(); ++i) {
        if (sameName(m_categories.at(i).name, name))
            return int(i);
    }
    return -1;
}

std::optional<FeedRecord> Catalogue::feed(const QString &feedId) const
{
    for (const CatalogueCategory &category : m_categories) {
        for (const FeedRecord &record : category.feeds) {
            if (record.FeedID == feedId)
                return record;
        }
    }
    return std::nullopt;
}

std::optional<FeedRecord> Catalogue::feedIn(const QString &category, const QString &feedId) const
{
    const int index = categoryIndex(category);
    if (index < 0)
        return std::nullopt;
    for (const FeedRecord &record : m_categories.at(index).feeds) {
        if (record.FeedID == feedId)
            return record;
    }
    return std::nullopt;
}

std::pair<int, int> Catalogue::findFeed(const QString &category, const QString &feedId) const
{
    const int index = categoryIndex(category);
    if (index < 0)
        return {-1, -1};
    const QList<FeedRecord> &feeds = m_categories.at(index).feeds;
    for (qsizetype i = 0; i < feeds.size(); ++i) {
        if (feeds.at(i).FeedID == feedId)
            return {index, int(i)};
    }
    return {index, -1};
}

bool Catalogue::feedExists(const FeedRecord &record) const
{
    const int index = categoryIndex(record.Category);
    return index >= 0 && feedClash(m_categories.at(index), record) != Addition::Added;
}

Catalogue::Addition Catalogue::feedClash(const CatalogueCategory &category, const FeedRecord &record)
{
    for (const FeedRecord &other : category.feeds) {
        if (sameName(other.FeedURL, record.FeedURL))
            return Addition::UrlPresent;
    }
    for (const FeedRecord &other : category.feeds) {
        if (sameName(other.FeedCaption, record.FeedCaption))
            return Addition::NamePresent;
    }
    return Addition::Added;
}

void Catalogue::reportCategoryExists()
{
    Messages::exclamation(getMessages(Msg::CATEGORYEXISTS_TITLE), getMessages(Msg::CATEGORYEXISTS));
}

void Catalogue::reportFeedExists(const QString &category)
{
    Messages::information(getMessages(Msg::FEEDEXISTS_TITLE), getMessages(Msg::FEEDEXISTS).arg(category));
}

Catalogue::Change Catalogue::addCategory(const QString &name)
{
    if (mUtil::IsBlank(name))
        return Change::Blank;
    const bool stale = staleFile();
    if (nameTaken(name, stale)) {
        reportCategoryExists();
        return Change::Refused;
    }
    if (!write([name] { return mCategories::AddCategory(name); }))
        return Change::Refused;
    if (settle(stale)) {
        m_categories.append({name, {}});
        emit categoryAdded(name);
    }
    return Change::Applied;
}

// The first rules of every rename: a blank name or a change of letter case
// only is not applied, and no name of an existing category may be taken.
Catalogue::Change Catalogue::nameCheck(const QString &oldName, const QString &newName, bool stale) const
{
    if (mUtil::IsBlank(newName))
        return Change::Blank;
    if (sameName(newName, oldName))
        return Change::Unchanged;
    if (nameTaken(newName, stale)) {
        reportCategoryExists();
        return Change::Refused;
    }
    return Change::Applied;
}

Catalogue::Change Catalogue::renameCategory(const QString &oldName, const QString &newName)
{
    const bool stale = staleFile();
    const Change check = nameCheck(oldName, newName, stale);
    if (check != Change::Applied)
        return check;
    const bool written = write([oldName, newName] {
        if (mCategories::EditCategory(oldName, newName))
            return true;
        Messages::exclamation(getMessages(Msg::ALERT), getMessages(Msg::CATEGORYEDITFAILED).arg(oldName));
        return false;
    });
    if (!written)
        return Change::Refused;
    const int index = categoryIndex(oldName);
    if (settle(stale || index < 0)) {
        CatalogueCategory &category = m_categories[index];
        category.name = newName;
        for (FeedRecord &record : category.feeds)
            record.Category = newName;
        emit categoryRenamed(oldName, newName);
    }
    return Change::Applied;
}

Catalogue::Change Catalogue::renameFeed(const FeedRecord &feed, const QString &newName)
{
    const Change check = nameCheck(feed.FeedCaption, newName, staleFile());
    if (check != Change::Applied)
        return check;
    FeedRecord renamed = feed;
    renamed.FeedCaption = newName;
    return editFeed(renamed);
}

Catalogue::Change Catalogue::deleteCategory(const QString &name)
{
    const bool stale = staleFile();
    if (!write([name] { return mCategories::DeleteCategory(name); }))
        return Change::Refused;
    const int index = categoryIndex(name);
    if (settle(stale || index < 0)) {
        const QString removed = m_categories.takeAt(index).name;
        emit categoryRemoved(removed);
    }
    return Change::Applied;
}

Catalogue::Change Catalogue::addFeed(const FeedRecord &record)
{
    const bool stale = staleFile();
    if (feedTaken(record, stale)) {
        reportFeedExists(record.Category);
        return Change::Refused;
    }
    if (!write([record] { return mFeeds::AddFeed(record); }))
        return Change::Refused;
    const int index = categoryIndex(record.Category);
    if (settle(stale || index < 0)) {
        CatalogueCategory &category = m_categories[index];
        FeedRecord added = record;
        added.Category = category.name;
        category.feeds.append(added);
        emit feedAdded(added);
    }
    return Change::Applied;
}

std::optional<QList<Catalogue::Addition>> Catalogue::addFeeds(
    const QList<FeedRecord> &feeds, const QStringList &categories)
{
    if (!m_background) {
        QList<CatalogueCategory> current;
        std::optional<QList<Addition>> answers;
        write([&] {
            answers = addToFile(feeds, categories, &current);
            return answers.has_value();
        });
        // Only a batch that changed the file hands back its catalogue.
        if (answers && !current.isEmpty()) {
            m_categories = current;
            noteFile();
            emit reset();
        }
        return answers;
    }
    staleFile();
    // The rules are met here against the catalogue, and again on the store
    // thread against the file as it stands under the lock, so nothing
    // another process stored meanwhile is lost.
    QList<CatalogueCategory> current = m_categories;
    const auto [answers, additions] = addTo(current, feeds, categories);
    if (additions.first.isEmpty() && additions.second.isEmpty())
        return answers;
    write([feeds, categories] { return addToFile(feeds, categories, nullptr).has_value(); });
    m_categories = current;
    emit reset();
    return answers;
}

std::pair<QList<Catalogue::Addition>, std::pair<QStringList, QList<FeedRecord>>> Catalogue::addTo(
    QList<CatalogueCategory> &current, const QList<FeedRecord> &feeds, const QStringList &categories)
{
    QStringList created;
    const auto categoryOf = [&](const QString &name) {
        for (qsizetype i = 0; i < current.size(); ++i) {
            if (sameName(current.at(i).name, name))
                return i;
        }
        current.append({name, {}});
        created.append(name);
        return current.size() - 1;
    };
    for (const QString &name : categories) {
        if (!mUtil::IsBlank(name))
            categoryOf(name);
    }
    QList<Addition> answers;
    QList<FeedRecord> added;
    for (const FeedRecord &feed : feeds) {
        const qsizetype index = categoryOf(feed.Category);
        CatalogueCategory &category = current[index];
        const Addition answer = feedClash(category, feed);
        if (answer == Addition::Added) {
            FeedRecord record = feed;
            record.Category = category.name;
            category.feeds.append(record);
            added.append(record);
        }
        answers.append(answer);
    }
    return {answers, {created, added}};
}

std::optional<QList<Catalogue::Addition>> Catalogue::addToFile(
    const QList<FeedRecord> &feeds, const QStringList &categories, QList<CatalogueCategory> *result)
{
    const QString path = mFeeds::databaseFile();
    const FileLock lock(path);
    if (!lock.isLocked()) {
        Messages::runtimeError(
            QStringLiteral("AddFeeds"), getMessages(Msg::DBLOCKED).arg(QDir::toNativeSeparators(path)));
        return std::nullopt;
    }
    // The file as it stands, under the lock, is what the rules are checked
    // against, so nothing another process stored meanwhile is lost.
    QList<CatalogueCategory> current;
    if (!mCategories::LoadCategories(current))
        return std::nullopt;
    const auto [answers, additions] = addTo(current, feeds, categories);
    if (additions.first.isEmpty() && additions.second.isEmpty())
        return answers;
    if (!writeAdditions(additions.first, additions.second))
        return std::nullopt;
    if (result)
        *result = current;
    return answers;
}

bool Catalogue::writeAdditions(const QStringList &categories, const QList<FeedRecord> &feeds)
{
    const QString path = mFeeds::databaseFile();
    XmlDocument document;
    const XmlNode root
        = document.load(path) ? document.selectSingleNode(QStringLiteral(".//categories")) : XmlNode();
    if (!root) {
        Messages::exclamation(getMessages(Msg::DBFORMAT_TITLE), getMessages(Msg::DBFORMAT));
        return false;
    }
    for (const QString &name : categories)
        root.appendElement(QStringLiteral("category")).setAttribute(QStringLiteral("name"), name);
    for (const FeedRecord &feed : feeds) {
        const XmlNode node
            = mCategories::FindCategoryNode(root, feed.Category).appendElement(QStringLiteral("feed"));
        node.setAttribute(QStringLiteral("name"), feed.FeedCaption);
        node.setAttribute(QStringLiteral("type"), QString::number(feed.FeedType));
        node.setAttribute(QStringLiteral("id"), feed.FeedID);
        node.setText(feed.FeedURL);
    }
    if (!document.save(path)) {
        Messages::runtimeError(QStringLiteral("AddFeeds"), getMessages(Msg::DBNOTSAVED).arg(path));
        return false;
    }
    return true;
}

Catalogue::Change Catalogue::editFeed(const FeedRecord &record)
{
    const bool stale = staleFile();
    if (!write([record] { return mFeeds::EditFeed(record, false, QString()); }))
        return Change::Refused;
    const auto [category, index] = findFeed(record.Category, record.FeedID);
    if (settle(stale || index < 0)) {
        FeedRecord &stored = m_categories[category].feeds[index];
        const FeedRecord before = stored;
        stored.FeedCaption = record.FeedCaption;
        stored.FeedType = record.FeedType;
        stored.FeedURL = record.FeedURL;
        emit feedChanged(before, stored);
    }
    return Change::Applied;
}

bool Catalogue::confirmMove(const FeedRecord &feed, const QString &toCategory)
{
    return Messages::askYesNo(getMessages(Msg::CHANGECATEGORY_TITLE),
        getMessages(Msg::CHANGECATEGORY).arg(feed.Category, toCategory));
}

Catalogue::Change Catalogue::moveFeed(const FeedRecord &feed, const QString &toCategory)
{
    if (toCategory == feed.Category)
        return Change::Unchanged;
    const bool stale = staleFile();
    FeedRecord there = feed;
    there.Category = toCategory;
    if (feedTaken(there, stale)) {
        reportFeedExists(toCategory);
        return Change::Refused;
    }
    if (!write([feed, toCategory] { return mFeeds::EditFeed(feed, true, toCategory); }))
        return Change::Refused;
    const auto [from, index] = findFeed(feed.Category, feed.FeedID);
    const int to = categoryIndex(toCategory);
    if (settle(stale || index < 0 || to < 0)) {
        const FeedRecord before = m_categories.at(from).feeds.at(index);
        FeedRecord moved = m_categories[from].feeds.takeAt(index);
        moved.Category = m_categories.at(to).name;
        m_categories[to].feeds.append(moved);
        emit feedMoved(before, moved);
    }
    return Change::Applied;
}

Catalogue::Change Catalogue::deleteFeed(const FeedRecord &feed)
{
    const bool stale = staleFile();
    if (!write([feed] { return mFeeds::DeleteFeed(feed); }))
        return Change::Refused;
    const auto [category, index] = findFeed(feed.Category, feed.FeedID);
    if (settle(stale || index < 0)) {
        const FeedRecord removed = m_categories[category].feeds.takeAt(index);
        emit feedRemoved(removed);
    }
    return Change::Applied;
}
