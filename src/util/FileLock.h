#pragma once

#include <QString>

#include <memory>

class QMutex;

// Keeps the other writers of a file (the desktop program and quorvane-cli
// run from cron, two instances, or two threads of one program) out while
// this one loads, changes and saves it, so that neither save drops what the
// other stored. One lock serves a folder: ".quorvane.lock" beside the file,
// held with the system's advisory lock, which goes with the process that
// holds it, however it ends.
class FileLock
{
public:
    explicit FileLock(const QString &path, int timeoutMs = 10000);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool isLocked() const { return m_locked; }

private:
    QMutex *m_mutex = nullptr; // the threads of this program
    int m_handle = -1;
    bool m_locked = false;
};
