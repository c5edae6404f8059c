#include "util/FileLock.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>

namespace
{

// A lock file without the holder's details is one whose writer died while
// making it; after a moment it is no one's.
bool isOrphan(const QLockFile &lock, const QString &path)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock.getLockInfo(&pid, &host, &application))
        return false;
    const QFileInfo file(path);
    return file.exists() && file.lastModified().msecsTo(QDateTime::currentDateTime()) > 2000;
}

} // namespace

FileLock::FileLock(const QString &path, int timeoutMs) : m_lock(path + QStringLiteral(".lock"))
{
    // A save takes milliseconds or, for the largest files, a few seconds: a
    // lock older than this belongs to no save. A lock whose holder is gone
    // is taken over at once.
    m_lock.setStaleLockTime(20000);
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_lock.tryLock(qMin<qint64>(500, qMax<qint64>(0, deadline.remainingTime())))) {
        if (isOrphan(m_lock, path + QStringLiteral(".lock")))
            m_lock.removeStaleLockFile();
        else if (deadline.hasExpired())
            break;
    }
}
