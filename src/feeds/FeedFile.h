#pragma once

#include "feeds/FeedDocument.h"
#include "feeds/FeedStore.h"
#include "util/Worker.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QTimer;

// Tells the unread count of a feed's data file whenever it changes, by any
// owner (reading, marking, deleting, merging). Emitted on the store thread:
// receivers on the main thread get it queued.
class FeedFileNotifier : public QObject
{
    Q_OBJECT
signals:
    void unreadChanged(const QString &feedId, int unread);
};

// The one owner, in this program, of a feed's data file: the feed window and
// the scheduled check share it while either uses it. It keeps the document
// in memory and does its work on a thread of its own (the store thread), so
// neither loading nor saving ever holds up the window; each request answers
// once, on the program's main thread, unless the object that asked is gone.
//
// Read marks are saved about a second after the first unsaved one, and when
// the last user lets go; deletions and merges at once. Every save keeps the
// other processes out of the file while it works, and first takes in what
// they stored since this owner read it, so neither writer loses the other's
// changes.
class FeedFile : public QObject
{
    Q_OBJECT
public:
    struct Loaded {
        FeedStore::FileState state = FeedStore::FileState::Missing;
        QVector<FeedStore::Row> rows;
        QString latest;
    };
    struct Item {
        FeedStore::FileState state = FeedStore::FileState::Missing;
        bool found = false;
        FeedItem item;
    };
    struct Saved {
        FeedStore::FileState state = FeedStore::FileState::Missing; // as the file was found
        bool ok = true;
        bool changed = false; // the item was there to delete
        QString error;
    };

    // The owner of a feed's file: the one open, or a new one. A feedId
    // without the FeedID shape names no file (everything finds it missing).
    static std::shared_ptr<FeedFile> open(const QString &feedId);
    // Waits until every request asked so far is done.
    static void waitForRequests();
    // Has every owner save the read marks that wait, and waits for it.
    static void saveAll();
    // saveAll(), then the store thread ends (at exit; also called when the
    // application object goes).
    static void shutdown();
    // How long read marks wait before they are saved (ms; tests).
    static void setSaveDelay(int milliseconds);
    // The one object that tells every owner's unread count.
    static FeedFileNotifier *notifier();
    // Marks every item of these feeds read, each through its owner; the
    // call returns at once.
    static void markAllRead(const QStringList &feedIds);
    // Has the notifier tell the unread count of each of these feeds (each
    // file is read on the store thread; the call returns at once).
    static void announceUnread(const QStringList &feedIds);
    // The unread count of a feed as its file stores it, read on the calling
    // thread when no owner holds the file open; an open owner is asked to
    // tell its own count instead (its read marks may not be saved yet), and
    // the answer is -1. 0 for a missing or broken file.
    static int storedUnread(const QString &feedId);

    QString feedId() const { return m_feedId; }
    QString fileName() const { return m_fileName; }

    void loadRows(QObject *context, std::function<void(const Loaded &)> done);
    // The item's fields; marks it read when asked.
    void readItem(const QString &id, bool markRead, QObject *context, std::function<void(const Item &)> done);
    void markRead(const QString &id);
    // Every item read, saved as read marks are.
    void markAllRead();
    // The item unread again, saved at once (failures are told by
    // saveFailed).
    void markUnread(const QString &id);
    // Has the notifier tell the unread count now, changed or not.
    void announceUnread();
    // The descriptions of the stored items, for the item list's filter.
    struct Description {
        QString id;
        QString title;
        QString description;
    };
    void readDescriptions(QObject *context, std::function<void(const QVector<Description> &)> done);
    void deleteItem(const QString &id, QObject *context, std::function<void(const Saved &)> done);
    void merge(const FeedEntries &entries, QObject *context,
        std::function<void(const FeedStore::MergeResult &)> done);
    // The merge of a response together with its validators (which end any
    // pause its server asked for), saved once.
    void merge(const FeedEntries &entries, const FetchState &validators, QObject *context,
        std::function<void(const FeedStore::MergeResult &)> done);
    // What the next request for the feed needs to know.
    void readFetchState(QObject *context, std::function<void(const FetchState &)> done);
    // Keeps the feed from being fetched before the time.
    void deferFetch(const QDateTime &notBefore, QObject *context, std::function<void(const Saved &)> done);
    // Saves the read marks that wait, now.
    void flush(QObject *context, std::function<void(const Saved &)> done);

signals:
    // Read marks could not be saved (emitted on the store thread); they are
    // tried again with the next save.
    void saveFailed(const QString &fileName, const QString &error);

private:
    FeedFile(const QString &feedId, const QString &fileName);
    ~FeedFile() override;

    // Runs work on the store thread and hands its result to done on the
    // main thread, while context lives.
    template<class Result>
    void request(QObject *context, std::function<Result()> work, std::function<void(const Result &)> done);
    void mergeKeeping(const FeedEntries &entries, const std::optional<FetchState> &validators,
        QObject *context, std::function<void(const FeedStore::MergeResult &)> done);

    // Store thread only.
    void ensureCurrent();
    Saved saveChanges(const std::function<bool(FeedDocument &)> &change);
    void scheduleSave();
    void saveReadMarks();
    // The unread count moved by delta (counted afresh when not known), then
    // told when it changed.
    void unreadMovedBy(int delta);
    void countUnread(const QVector<FeedStore::Row> &rows);
    void recountUnread();
    void tellUnread();

public:
    // Store thread only: saves the read marks that wait.
    void flushNow();

private:
    struct Stamp {
        qint64 size = -1;
        qint64 inode = 0;
        qint64 modified = 0; // ns
        bool operator==(const Stamp &) const = default;
    };
    static Stamp stampOf(const QString &fileName);

    const QString m_feedId;
    const QString m_fileName;
    FeedDocument m_doc;
    bool m_loaded = false;
    Stamp m_stamp;
    QSet<QString> m_unsavedReads;
    int m_unread = -1; // not known
    int m_toldUnread = -1;
    QTimer *m_saveTimer = nullptr;

    friend struct FeedFileDeleter;
};
