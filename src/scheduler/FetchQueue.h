#pragma once

#include "util/FeedRecord.h"
#include "feeds/FeedDownload.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The downloads of one scheduled run: sent in the stored order as places
// free up, at most `parallel` held at a time and `perServer` to one server,
// each a FeedDownload with its time-out, its validators and its server's
// pause. A download holds its place until its response has been worked on,
// so no more than `parallel` responses are ever in memory.
class FetchQueue
{
public:
    enum class State { Waiting, Sent, Offline, Over };

    FetchQueue(QObject *context, const QList<FeedRecord> &feeds, int parallel, int perServer, int timeout,
        std::function<void(int)> fetched);
    ~FetchQueue();

    State state(int index) const { return m_fetches[size_t(index)].state; }
    bool isOver(int index) const { return state(index) == State::Offline || state(index) == State::Over; }
    // The download of a feed that is over, and how it ended.
    const FeedDownload &download(int index) const { return *m_fetches[size_t(index)].download; }
    FeedDownload::Outcome outcome(int index) const { return m_fetches[size_t(index)].outcome; }

    // Sends what may be sent now.
    void dispatch();
    // Frees a response once it has been worked on, and its place.
    void release(int index);
    void cancel();

private:
    struct Fetch {
        QString server;
        std::unique_ptr<FeedDownload> download;
        FeedDownload::Outcome outcome = FeedDownload::Outcome::Abandoned;
        State state = State::Waiting;
        bool holdsPlace = false;
    };

    void start(int index);
    void tell(int index);

    QObject *m_context;
    std::shared_ptr<int> m_alive;
    std::vector<Fetch> m_fetches;
    int m_parallel;
    int m_perServer;
    std::function<void(int)> m_fetched;
    int m_next = 0;
    int m_held = 0;
    QHash<QString, int> m_perServerHeld;
};
