#pragma once

#include "catalogue/FeedDatabase.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// The catalogue in memory: the categories and feeds of feeds.fdb, with every
// rule, refusal and message of changing them. The tree, the dialogs, the
// command line and imports call these functions and follow the change
// signals; the feed database operations stay the only writers of the file.
//
// The catalogue is what the file held at the last reload() plus the changes
// made here. When another process changed the file since, the rules are
// checked against the file itself, and the catalogue is read again after
// the change.
class Catalogue : public QObject
{
    Q_OBJECT
public:
    // What became of a change. Blank and Unchanged show no message; Refused
    // means a box said why (a rule refused it, or the file operation failed
    // and reported it).
    enum class Change { Applied, Unchanged, Blank, Refused };
    // What became of one feed of a batch: added, or not added because its
    // category already holds one of the same URL, or of the same name.
    enum class Addition { Added, UrlPresent, NamePresent };

    explicit Catalogue(QObject *parent = nullptr);

    // Where the changes are saved. Inline (the default, for the command
    // line), each change is saved to feeds.fdb before its call returns. In
    // the background (the desktop program), a change is applied here at
    // once and saved on the store thread, so the window never waits for the
    // folder's lock or the disk; a save that fails shows its boxes once it
    // is over and the file is read again.
    static void setBackgroundSavesDefault(bool background);
    void setSavesInBackground(bool background) { m_background = background; }
    bool savesPending() const { return m_pending > 0; }
    // Waits until every save asked for is done and answered (tests and the
    // end of the program).
    void waitForSaves();

    // Reads feeds.fdb afresh (a broken file is reported as LoadCategories
    // reports it, and what was read before the fault is kept).
    bool reload();

    const QList<CatalogueCategory> &categories() const { return m_categories; }
    // The first category of that name, letter case ignored, or -1.
    int categoryIndex(const QString &name) const;
    bool categoryExists(const QString &name) const { return categoryIndex(name) >= 0; }
    // A feed by its id, anywhere in the catalogue.
    std::optional<FeedRecord> feed(const QString &feedId) const;
    // A feed by its id in the named category only.
    std::optional<FeedRecord> feedIn(const QString &category, const QString &feedId) const;
    // Whether record.Category already holds a feed of that name or URL.
    bool feedExists(const FeedRecord &record) const;
    // The rule of feedExists for one category (URL first, then name).
    static Addition feedClash(const CatalogueCategory &category, const FeedRecord &record);

    Change addCategory(const QString &name);
    // The rename rules of a category or a feed: a blank name or one that
    // differs only in letter case changes nothing; no name of an existing
    // category may be taken ("Category Exists!").
    Change renameCategory(const QString &oldName, const QString &newName);
    Change renameFeed(const FeedRecord &feed, const QString &newName);
    Change deleteCategory(const QString &name);

    // A new feed in record.Category, refused when it holds one of the same
    // name or URL ("Feed already Exists!").
    Change addFeed(const FeedRecord &record);
    // Many feeds at once, with one save of feeds.fdb and one reset(): the
    // missing categories (those named, then those of the feeds) are created,
    // and each feed meets the rule of addFeed against the file as it stands
    // and the feeds added before it, without a box for the ones it refuses.
    // Every feed names its category. One answer per feed; nullopt when the
    // file could not be changed (a box said why) and nothing was added.
    // Nothing to add leaves the file alone.
    std::optional<QList<Addition>> addFeeds(
        const QList<FeedRecord> &feeds, const QStringList &categories = QStringList());
    // Name, type and URL of the feed record.FeedID in record.Category.
    Change editFeed(const FeedRecord &record);
    // The question a move by drag and drop asks first.
    static bool confirmMove(const FeedRecord &feed, const QString &toCategory);
    // Moves the feed to another category: nothing for its own category,
    // refused when the target holds one of the same name or URL.
    Change moveFeed(const FeedRecord &feed, const QString &toCategory);
    Change deleteFeed(const FeedRecord &feed);

    // The refusals, for callers that check before they change.
    static void reportCategoryExists();
    static void reportFeedExists(const QString &category);

signals:
    // Every save asked for is done and answered.
    void saved();
    // Anything may have changed (the file was read again).
    void reset();
    void categoryAdded(const QString &name);
    void categoryRenamed(const QString &oldName, const QString &newName);
    void categoryRemoved(const QString &name);
    void feedAdded(const FeedRecord &feed);
    // A feed's name, type or URL changed; or it moved to another category.
    void feedChanged(const FeedRecord &before, const FeedRecord &after);
    void feedMoved(const FeedRecord &before, const FeedRecord &after);
    void feedRemoved(const FeedRecord &feed);

private:
    struct Written;
    // Whether the rules must be checked against the file, which changed
    // behind our back. In the background the catalogue is read again
    // instead, and the answer is false.
    bool staleFile();
    // Runs a file operation now (its result), or on the store thread (true).
    bool write(std::function<bool()> operation);
    void onWritten(const Written &written);
    // Whether the file changed since it was last read or written here.
    bool fileChanged() const;
    void noteFile();
    // The rules' lookups, against the file when it changed behind our back.
    bool nameTaken(const QString &name, bool stale) const;
    bool feedTaken(const FeedRecord &record, bool stale) const;
    // After a change: the file read again when it had changed before, else
    // the change applied here too. False when it was read again.
    bool settle(bool stale);
    // Where a feed is: its category's index and its own, or -1s.
    std::pair<int, int> findFeed(const QString &category, const QString &feedId) const;
    Change nameCheck(const QString &oldName, const QString &newName, bool stale) const;
    // Writes the categories and feeds a batch added to the file's own
    // catalogue; the caller holds the lock.
    static bool writeAdditions(const QStringList &categories, const QList<FeedRecord> &feeds);

    // The batch's rules met on current, which gets the additions: the
    // answers, and the categories and feeds added.
    static std::pair<QList<Addition>, std::pair<QStringList, QList<FeedRecord>>> addTo(
        QList<CatalogueCategory> &current, const QList<FeedRecord> &feeds, const QStringList &categories);
    static std::optional<QList<Addition>> addToFile(
        const QList<FeedRecord> &feeds, const QStringList &categories, QList<CatalogueCategory> *result);
    static std::pair<QDateTime, qint64> fileStamp();

    QList<CatalogueCategory> m_categories;
    QDateTime m_fileTime;
    qint64 m_fileSize = -1;
    bool m_background;
    int m_pending = 0;
    bool m_reloadDue = false;
    // The stamp the file had after this catalogue's last save, as the store
    // thread saw it; another writer's change shows as a different one.
    std::shared_ptr<std::pair<QDateTime, qint64>> m_lastSaved;
};
