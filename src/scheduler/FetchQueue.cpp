#include "scheduler/FetchQueue.h"

#include "util/Utilities.h"

#include <QTimer>
#include <QUrl>

namespace
{

// The server a feed is fetched from, as the network layer counts its
// connections.
QString serverOf(const QString &url)
{
    const QUrl parsed(url.trimmed());
    return parsed.scheme().toLower() + QLatin1Char('/') + parsed.host().toLower() + QLatin1Char(':')
        + QString::number(parsed.port(-1));
}

} // namespace

FetchQueue::FetchQueue(QObject *context, const QList<FeedRecord> &feeds, int parallel, int perServer,
    int timeout, std::function<void(int)> fetched)
    : m_context(context),
      m_alive(std::make_shared<int>()),
      m_fetches(size_t(feeds.size())),
      m_parallel(qMax(1, parallel)),
      m_perServer(qMax(1, perServer)),
      m_fetched(std::move(fetched))
{
    for (qsizetype i = 0; i < feeds.size(); ++i) {
        Fetch &fetch = m_fetches[size_t(i)];
        fetch.server = serverOf(feeds.at(i).FeedURL);
        fetch.download = std::make_unique<FeedDownload>();
        fetch.download->FeedURL = feeds.at(i).FeedURL;
        fetch.download->FeedID = feeds.at(i).FeedID;
        fetch.download->setTimeout(timeout);
        // Debug.xml is the feed window's copy of what it downloaded.
        fetch.download->setKeepsDebugCopy(false);
        QObject::connect(fetch.download.get(), &FeedDownload::finished, context,
            [this, i, alive = std::weak_ptr<int>(m_alive)](FeedDownload::Outcome outcome) {
                if (!alive.lock() || m_fetches[size_t(i)].state != State::Sent)
                    return;
                m_fetches[size_t(i)].outcome = outcome;
                m_fetches[size_t(i)].state = State::Over;
                tell(int(i));
            });
    }
}

FetchQueue::~FetchQueue()
{
    cancel();
}

void FetchQueue::dispatch()
{
    for (int i = m_next; i < int(m_fetches.size()) && m_held < m_parallel; ++i) {
        Fetch &fetch = m_fetches[size_t(i)];
        if (fetch.state != State::Waiting || m_perServerHeld.value(fetch.server) >= m_perServer)
            continue;
        start(i);
    }
    while (m_next < int(m_fetches.size()) && m_fetches[size_t(m_next)].state != State::Waiting)
        ++m_next;
}

void FetchQueue::start(int index)
{
    Fetch &fetch = m_fetches[size_t(index)];
    if (!mUtil::IsConnected()) {
        fetch.state = State::Offline;
        tell(index);
        return;
    }
    fetch.state = State::Sent;
    fetch.holdsPlace = true;
    ++m_held;
    ++m_perServerHeld[fetch.server];
    fetch.download->start();
}

void FetchQueue::release(int index)
{
    Fetch &fetch = m_fetches[size_t(index)];
    fetch.download->release();
    if (fetch.holdsPlace) {
        fetch.holdsPlace = false;
        --m_held;
        --m_perServerHeld[fetch.server];
        dispatch();
    }
}

void FetchQueue::cancel()
{
    m_alive.reset();
    for (Fetch &fetch : m_fetches) {
        fetch.download->abandon();
        fetch.download->release();
    }
}

// Told from the event loop, never from inside a dispatch, and only while
// the queue has not been cancelled.
void FetchQueue::tell(int index)
{
    QTimer::singleShot(0, m_context, [alive = std::weak_ptr<int>(m_alive), fetched = m_fetched, index] {
        if (alive.lock())
            fetched(index);
    });
}
