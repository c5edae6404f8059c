#pragma once

#include "feeds/FeedDocument.h"
#include "feeds/FeedStore.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

class QTimer;

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

    QString feedId() const { return m_feedId; }
    QString fileName() const { return m_fileName; }

    void loadRows(QObject *context, std::function<void(const Loaded &)> done);
    // The item's fields; marks it read when asked.
    void readItem(const QString &id, bool markRead, QObject *context, std::function<void(const Item &)> done);
    void markRead(const QString &id);
    void deleteItem(const QString &id, QObject *context, std::function<void(const Saved &)> done);
    void merge(const FeedEntries &entries, QObject *context,
        std::function<void(const FeedStore::MergeResult &)> done);
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

    // Store thread only.
    void ensureCurrent();
    Saved saveChanges(const std::function<bool(FeedDocument &)> &change);
    void scheduleSave();
    void saveReadMarks();

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
    QTimer *m_saveTimer = nullptr;

    friend struct FeedFileDeleter;
};
