#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include <utility>

// Work off the window thread: run on the worker pool, the result handed back
// on the main thread, to a callback that is dropped when the object that
// asked is gone. The work itself touches nothing but what it was given.
namespace Worker
{

// Hands result to done on the main thread, while guard lives.
template<class Result, class Done> void deliver(QPointer<QObject> guard, Done done, Result result)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [guard = std::move(guard), done = std::move(done), result = std::move(result)]() mutable {
            if (guard)
                done(std::move(result));
        },
        Qt::QueuedConnection);
}

template<class Work, class Done> void run(QObject *context, Work work, Done done)
{
    QThreadPool::globalInstance()->start(
        [guard = QPointer<QObject>(context), work = std::move(work), done = std::move(done)]() mutable {
            deliver(std::move(guard), std::move(done), work());
        });
}

} // namespace Worker
