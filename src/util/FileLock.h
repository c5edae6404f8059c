#pragma once

#include <QLockFile>
#include <QString>

// Keeps the other processes that write a file (the desktop program and
// quorvane-cli run from cron, or two instances) out while this one loads,
// changes and saves it, so that neither save drops what the other stored.
// The lock is a file beside it ("NAME.lock"); one left by a process that
// died is taken over.
class FileLock
{
public:
    explicit FileLock(const QString &path, int timeoutMs = 10000);
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool isLocked() const { return m_lock.isLocked(); }

private:
    QLockFile m_lock;
};
