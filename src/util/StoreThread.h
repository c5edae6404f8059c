#pragma once

#include "util/Worker.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <functional>

class QThread;

// The thread the folder's files are saved on: the feeds' data files (their
// owners live there), feeds.fdb and AppCfg.cfg. Work queued here runs in
// the order asked, so the window thread never waits for the folder's lock
// or the disk, and the saves of one file never overtake each other.
namespace StoreThread
{

// The thread (started on first use) and an object that lives on it.
QThread *thread();
QObject *anchor();

// Runs work on the store thread, after what was asked of it before, and
// hands its result to done on the main thread while context lives.
template<class Result>
void run(QObject *context, std::function<Result()> work, std::function<void(const Result &)> done)
{
    QMetaObject::invokeMethod(
        anchor(),
        [guard = QPointer<QObject>(context), work = std::move(work), done = std::move(done)]() mutable {
            Worker::deliver(std::move(guard), std::move(done), work());
        },
        Qt::QueuedConnection);
}

// Waits until everything queued so far is done.
void drain();
// drain(), then the thread ends (at exit); a later use starts it anew.
void stop();

} // namespace StoreThread
