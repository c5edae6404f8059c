#include "feeds/FeedFile.h"

#include "util/AppFolder.h"
#include "util/FileLock.h"
#include "util/Log.h"
#include "util/MessageKeys.h"
#include "util/StoreThread.h"
#include "util/Utilities.h"
#include "util/Worker.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QTimer>

#include <atomic>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace
{

std::atomic<int> saveDelay {1000};

// The owners open now; they live on the store thread.
struct Store {
    QMutex mutex;
    QHash<QString, std::weak_ptr<FeedFile>> open;
};

QMutex storeMutex;
Store *theStore = nullptr;

Store &store()
{
    const QMutexLocker locker(&storeMutex);
    if (!theStore) {
        theStore = new Store;
        // Started first, so that it ends after the owners have saved.
        StoreThread::thread();
        qAddPostRoutine(FeedFile::shutdown);
    }
    return *theStore;
}

} // namespace

// The last user lets go: what waits is saved, on the store thread, before
// the owner goes.
struct FeedFileDeleter {
    void operator()(FeedFile *file) const
    {
        QMetaObject::invokeMethod(
            file,
            [file] {
                file->saveReadMarks();
                delete file;
            },
            Qt::QueuedConnection);
    }
};

std::shared_ptr<FeedFile> FeedFile::open(const QString &feedId)
{
    Store &s = store();
    const QMutexLocker locker(&s.mutex);
    if (std::shared_ptr<FeedFile> file = s.open.value(feedId).lock())
        return file;
    const QString fileName = mUtil::isFeedId(feedId) ? AppFolder::feedDataFile(feedId) : QString();
    auto *made = new FeedFile(feedId, fileName);
    made->moveToThread(StoreThread::thread());
    std::shared_ptr<FeedFile> file(made, FeedFileDeleter());
    s.open.insert(feedId, file);
    return file;
}

namespace
{

void saveOpenOwners(Store &s)
{
    const QMutexLocker locker(&s.mutex);
    for (const std::weak_ptr<FeedFile> &weak : std::as_const(s.open)) {
        if (const std::shared_ptr<FeedFile> file = weak.lock())
            QMetaObject::invokeMethod(
                file.get(), [raw = file.get()] { raw->flushNow(); }, Qt::BlockingQueuedConnection);
    }
}

} // namespace

void FeedFile::waitForRequests()
{
    StoreThread::drain();
}

void FeedFile::saveAll()
{
    {
        const QMutexLocker locker(&storeMutex);
        if (theStore)
            saveOpenOwners(*theStore);
    }
    StoreThread::drain();
}

void FeedFile::shutdown()
{
    Store *s = nullptr;
    {
        const QMutexLocker locker(&storeMutex);
        std::swap(s, theStore);
    }
    if (!s)
        return;
    saveOpenOwners(*s);
    delete s;
    StoreThread::stop();
}

void FeedFile::setSaveDelay(int milliseconds)
{
    saveDelay = milliseconds;
}

FeedFileNotifier *FeedFile::notifier()
{
    // Kept for the program's life; it lives on the main thread, whichever
    // thread asks first.
    static FeedFileNotifier *const theNotifier = [] {
        auto *made = new FeedFileNotifier;
        if (QCoreApplication::instance())
            made->moveToThread(QCoreApplication::instance()->thread());
        return made;
    }();
    return theNotifier;
}

void FeedFile::markAllRead(const QStringList &feedIds)
{
    // Each owner outlives the request it was given: its last user letting go
    // queues its end after it.
    for (const QString &feedId : feedIds)
        open(feedId)->markAllRead();
}

void FeedFile::announceUnread(const QStringList &feedIds)
{
    for (const QString &feedId : feedIds)
        open(feedId)->announceUnread();
}

int FeedFile::storedUnread(const QString &feedId)
{
    if (!mUtil::isFeedId(feedId))
        return 0;
    {
        Store &s = store();
        const QMutexLocker locker(&s.mutex);
        if (const std::shared_ptr<FeedFile> file = s.open.value(feedId).lock()) {
            file->announceUnread();
            return -1;
        }
    }
    FeedDocument document;
    if (document.load(AppFolder::feedDataFile(feedId)) != FeedStore::FileState::Ready)
        return 0;
    int unread = 0;
    for (const FeedStore::Row &row : document.rows())
        unread += row.read ? 0 : 1;
    return unread;
}

FeedFile::FeedFile(const QString &feedId, const QString &fileName) : m_feedId(feedId), m_fileName(fileName)
{
}

FeedFile::~FeedFile() = default;

template<class Result>
void FeedFile::request(
    QObject *context, std::function<Result()> work, std::function<void(const Result &)> done)
{
    QMetaObject::invokeMethod(
        this,
        [guard = QPointer<QObject>(context), work = std::move(work), done = std::move(done)]() mutable {
            Worker::deliver(std::move(guard), std::move(done), work());
        },
        Qt::QueuedConnection);
}

FeedFile::Stamp FeedFile::stampOf(const QString &fileName)
{
    Stamp stamp;
#ifdef Q_OS_UNIX
    struct stat info {
    };
    if (::stat(QFile::encodeName(fileName).constData(), &info) == 0) {
        stamp.size = qint64(info.st_size);
        stamp.inode = qint64(info.st_ino);
        stamp.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    }
#else
    const QFileInfo info(fileName);
    if (info.exists()) {
        stamp.size = info.size();
        stamp.modified = info.lastModified().toMSecsSinceEpoch() * 1000000;
    }
#endif
    return stamp;
}

// The document as the file holds it now, with the read marks not saved yet.
void FeedFile::ensureCurrent()
{
    const Stamp now = stampOf(m_fileName);
    if (m_loaded && now == m_stamp)
        return;
    m_doc.load(m_fileName);
    m_stamp = now;
    m_loaded = true;
    m_unread = -1;
    for (const QString &id : std::as_const(m_unsavedReads))
        m_doc.markRead(id);
}

// A change of the document, saved at once with the read marks that wait.
FeedFile::Saved FeedFile::saveChanges(const std::function<bool(FeedDocument &)> &change)
{
    Saved saved;
    const FileLock lock(m_fileName);
    if (m_fileName.isEmpty() || !lock.isLocked()) {
        saved.ok = false;
        saved.error = DefaultTexts::english(m_fileName.isEmpty() ? Msg::NOSUCHFILE : Msg::FILELOCKED);
        return saved;
    }
    ensureCurrent();
    saved.state = m_doc.state();
    saved.changed = change(m_doc);
    if (!saved.changed && m_unsavedReads.isEmpty())
        return saved;
    if (m_doc.state() != FeedDocument::State::Ready)
        return saved;
    if (!m_doc.save(m_fileName, &saved.error)) {
        qCWarning(lcStore) << "not saved" << m_fileName << saved.error;
        saved.ok = false;
        m_loaded = false; // what the file holds is read again next time
        return saved;
    }
    m_stamp = stampOf(m_fileName);
    m_unsavedReads.clear();
    qCDebug(lcStore) << "saved" << m_fileName;
    return saved;
}

void FeedFile::scheduleSave()
{
    if (!m_saveTimer) {
        m_saveTimer = new QTimer(this);
        m_saveTimer->setSingleShot(true);
        connect(m_saveTimer, &QTimer::timeout, this, &FeedFile::saveReadMarks);
    }
    if (!m_saveTimer->isActive())
        m_saveTimer->start(saveDelay);
}

void FeedFile::flushNow()
{
    saveReadMarks();
}

void FeedFile::saveReadMarks()
{
    if (m_saveTimer)
        m_saveTimer->stop();
    if (m_unsavedReads.isEmpty())
        return;
    const Saved saved = saveChanges([](FeedDocument &) { return false; });
    if (!saved.ok)
        emit saveFailed(m_fileName, saved.error);
}

void FeedFile::loadRows(QObject *context, std::function<void(const Loaded &)> done)
{
    request<Loaded>(
        context,
        [this] {
            ensureCurrent();
            Loaded loaded {m_doc.state(), m_doc.rows(), m_doc.latest()};
            countUnread(loaded.rows);
            return loaded;
        },
        std::move(done));
}

void FeedFile::readItem(
    const QString &id, bool markRead, QObject *context, std::function<void(const Item &)> done)
{
    request<Item>(
        context,
        [this, id, markRead] {
            ensureCurrent();
            Item item;
            item.state = m_doc.state();
            item.found = m_doc.read(id, item.item);
            if (item.found && markRead && m_doc.markRead(id)) {
                m_unsavedReads.insert(id);
                scheduleSave();
                unreadMovedBy(-1);
            }
            return item;
        },
        std::move(done));
}

void FeedFile::markRead(const QString &id)
{
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            ensureCurrent();
            if (m_doc.markRead(id)) {
                m_unsavedReads.insert(id);
                scheduleSave();
                unreadMovedBy(-1);
            }
        },
        Qt::QueuedConnection);
}

void FeedFile::deleteItem(const QString &id, QObject *context, std::function<void(const Saved &)> done)
{
    request<Saved>(
        context,
        [this, id] {
            const Saved saved = saveChanges([&id](FeedDocument &doc) { return doc.remove(id); });
            // Told now: an owner let go at once (a scheduled run's) is gone
            // before a queued count would run.
            if (saved.changed)
                recountUnread();
            return saved;
        },
        std::move(done));
}

void FeedFile::merge(
    const FeedEntries &entries, QObject *context, std::function<void(const FeedStore::MergeResult &)> done)
{
    mergeKeeping(entries, std::nullopt, context, std::move(done));
}

void FeedFile::merge(const FeedEntries &entries, const FetchState &validators, QObject *context,
    std::function<void(const FeedStore::MergeResult &)> done)
{
    mergeKeeping(entries, validators, context, std::move(done));
}

void FeedFile::readFetchState(QObject *context, std::function<void(const FetchState &)> done)
{
    request<FetchState>(
        context,
        [this] {
            ensureCurrent();
            return m_doc.fetchState();
        },
        std::move(done));
}

void FeedFile::deferFetch(
    const QDateTime &notBefore, QObject *context, std::function<void(const Saved &)> done)
{
    request<Saved>(
        context,
        [this, notBefore] {
            return saveChanges([&](FeedDocument &doc) { return doc.setNotBefore(notBefore); });
        },
        std::move(done));
}

void FeedFile::mergeKeeping(const FeedEntries &entries, const std::optional<FetchState> &validators,
    QObject *context, std::function<void(const FeedStore::MergeResult &)> done)
{
    request<FeedStore::MergeResult>(
        context,
        [this, entries, validators] {
            FeedStore::MergeResult result;
            if (m_fileName.isEmpty()) {
                result.ok = entries.size() <= 1;
                result.error = QStringLiteral("\"%1\" is not a valid FeedID.").arg(m_feedId);
                return result;
            }
            const Saved saved = saveChanges([&](FeedDocument &doc) {
                result = doc.merge(entries);
                const bool merged = result.ok && (result.added > 0 || result.markRaised);
                return (result.ok && validators && doc.setValidators(*validators)) || merged;
            });
            if (!saved.ok && result.ok) {
                result = FeedStore::MergeResult();
                result.ok = false;
                result.error = FeedStore::saveFailureText(m_fileName, DefaultTexts::english);
            }
            if (saved.ok && result.added > 0)
                recountUnread();
            return result;
        },
        std::move(done));
}

void FeedFile::flush(QObject *context, std::function<void(const Saved &)> done)
{
    request<Saved>(
        context, [this] { return saveChanges([](FeedDocument &) { return false; }); }, std::move(done));
}

void FeedFile::markAllRead()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            ensureCurrent();
            for (const FeedStore::Row &row : m_doc.rows()) {
                if (!row.read && m_doc.markRead(row.id))
                    m_unsavedReads.insert(row.id);
            }
            if (!m_unsavedReads.isEmpty())
                scheduleSave();
            recountUnread();
        },
        Qt::QueuedConnection);
}

void FeedFile::markUnread(const QString &id)
{
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            // A read mark that waits would make it read again on the next load.
            m_unsavedReads.remove(id);
            const Saved saved = saveChanges([&](FeedDocument &doc) { return doc.markUnread(id); });
            if (m_doc.state() != FeedDocument::State::Ready)
                m_loaded = false; // read again next time
            if (!saved.ok)
                emit saveFailed(m_fileName, saved.error);
            else if (saved.changed)
                unreadMovedBy(1);
        },
        Qt::QueuedConnection);
}

void FeedFile::announceUnread()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            ensureCurrent();
            m_toldUnread = -1; // told again, changed or not
            if (m_unread < 0)
                countUnread(m_doc.rows());
            else
                tellUnread();
        },
        Qt::QueuedConnection);
}

void FeedFile::readDescriptions(QObject *context, std::function<void(const QVector<Description> &)> done)
{
    request<QVector<Description>>(
        context,
        [this] {
            ensureCurrent();
            QVector<Description> descriptions;
            const QVector<FeedStore::Row> rows = m_doc.rows();
            descriptions.reserve(rows.size());
            FeedItem item;
            for (const FeedStore::Row &row : rows) {
                item.Description.clear();
                if (m_doc.read(row.id, item))
                    descriptions.append({row.id, row.title, item.Description});
            }
            return descriptions;
        },
        std::move(done));
}

void FeedFile::countUnread(const QVector<FeedStore::Row> &rows)
{
    m_unread
        = int(std::count_if(rows.begin(), rows.end(), [](const FeedStore::Row &row) { return !row.read; }));
    tellUnread();
}

void FeedFile::tellUnread()
{
    if (m_unread != m_toldUnread) {
        m_toldUnread = m_unread;
        emit notifier()->unreadChanged(m_feedId, m_unread);
    }
}

void FeedFile::recountUnread()
{
    countUnread(m_doc.rows());
}

void FeedFile::unreadMovedBy(int delta)
{
    if (m_unread < 0) {
        recountUnread();
        return;
    }
    m_unread = qMax(0, m_unread + delta);
    tellUnread();
}
