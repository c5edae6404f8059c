#include "util/FileLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace
{

// One mutex per lock file, for the threads of this program: the system's
// lock keeps out other processes only.
QMutex *mutexFor(const QString &lockFile)
{
    static QMutex guard;
    static QHash<QString, QMutex *> mutexes;
    const QMutexLocker locker(&guard);
    QMutex *&mutex = mutexes[lockFile];
    if (!mutex)
        mutex = new QMutex;
    return mutex;
}

} // namespace

FileLock::FileLock(const QString &path, int timeoutMs)
{
    const QString lockFile = QFileInfo(path).absolutePath() + QStringLiteral("/.quorvane.lock");
    const QDeadlineTimer deadline(timeoutMs);
    m_mutex = mutexFor(lockFile);
    if (!m_mutex->tryLock(int(qMax<qint64>(0, deadline.remainingTime()))))
        return;
#ifdef Q_OS_UNIX
    m_handle = ::open(QFile::encodeName(lockFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    while (m_handle >= 0) {
        if (::flock(m_handle, LOCK_EX | LOCK_NB) == 0) {
            m_locked = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
            break;
        QThread::msleep(5);
    }
#else
    m_locked = true; // the threads of this program only
    return;
#endif
    m_mutex->unlock();
    m_mutex = nullptr;
}

FileLock::~FileLock()
{
#ifdef Q_OS_UNIX
    if (m_handle >= 0)
        ::close(m_handle); // lets the lock go
#endif
    if (m_locked && m_mutex)
        m_mutex->unlock();
}
