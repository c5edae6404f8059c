#include "util/StoreThread.h"

#include <QCoreApplication>
#include <QMutex>
#include <QThread>

#include <utility>

namespace
{

struct Thread {
    QThread thread;
    QObject anchor; // lives on the thread

    Thread()
    {
        thread.setObjectName(QStringLiteral("store"));
        anchor.moveToThread(&thread);
        thread.start();
    }
};

QMutex mutex;
Thread *current = nullptr;

Thread &running()
{
    const QMutexLocker locker(&mutex);
    if (!current) {
        current = new Thread;
        qAddPostRoutine(StoreThread::stop);
    }
    return *current;
}

} // namespace

namespace StoreThread
{

QThread *thread()
{
    return &running().thread;
}

QObject *anchor()
{
    return &running().anchor;
}

void drain()
{
    const QMutexLocker locker(&mutex);
    if (current)
        QMetaObject::invokeMethod(
            &current->anchor, [] {}, Qt::BlockingQueuedConnection);
}

void stop()
{
    Thread *ending = nullptr;
    {
        const QMutexLocker locker(&mutex);
        std::swap(ending, current);
    }
    if (!ending)
        return;
    QMetaObject::invokeMethod(
        &ending->anchor, [] {}, Qt::BlockingQueuedConnection);
    QMetaObject::invokeMethod(
        &ending->anchor, [] { QThread::currentThread()->quit(); }, Qt::QueuedConnection);
    ending->thread.wait();
    delete ending;
}

} // namespace StoreThread
