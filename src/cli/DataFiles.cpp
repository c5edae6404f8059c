#include "cli/DataFiles.h"

#include <QEventLoop>

namespace DataFiles
{

namespace
{

// Runs one request of a feed's owner and waits for its answer.
template<class Result, class Ask> Result wait(const QString &feedId, Ask ask)
{
    const std::shared_ptr<FeedFile> file = FeedFile::open(feedId);
    QEventLoop loop;
    Result result;
    ask(*file, &loop, [&](const Result &answer) {
        result = answer;
        loop.quit();
    });
    loop.exec();
    return result;
}

} // namespace

FeedFile::Loaded loadRows(const QString &feedId)
{
    return wait<FeedFile::Loaded>(feedId, [](FeedFile &file, QObject *context, auto done) {
        file.loadRows(context, done);
    });
}

FeedFile::Item readItem(const QString &feedId, const QString &itemId)
{
    return wait<FeedFile::Item>(feedId, [&itemId](FeedFile &file, QObject *context, auto done) {
        file.readItem(itemId, false, context, done);
    });
}

} // namespace DataFiles
