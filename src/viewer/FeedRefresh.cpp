#include "viewer/FeedRefresh.h"

#include "feeds/FeedFile.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedStore.h"
#include "feeds/PoliteFetch.h"
#include "i18n/Languages.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/Worker.h"

#include <QCoreApplication>
#include <QPointer>

namespace
{

class MessageBoxes : public FeedRefresh::Questions
{
public:
    void askRetry(const QString &title, const QString &text, std::function<void(bool)> answered) override
    {
        answered(Messages::show(Messages::Icon::Exclamation, title, text, Messages::Buttons::RetryCancel)
            == Messages::Answer::Retry);
    }
    void askYesNo(const QString &title, const QString &text, std::function<void(bool)> answered) override
    {
        answered(Messages::askYesNo(title, text));
    }
    void tell(const QString &title, const QString &text, std::function<void()> closed) override
    {
        Messages::exclamation(title, text);
        closed();
    }
};

QString message(const QString &key)
{
    return getMessages(key);
}

} // namespace

FeedRefresh::Questions &FeedRefresh::messageBoxes()
{
    static MessageBoxes boxes;
    return boxes;
}

FeedRefresh::FeedRefresh(QObject *parent)
    : QObject(parent),
      m_download(new FeedDownload(this)),
      m_questions(&messageBoxes()),
      m_isConnected(mUtil::IsConnected)
{
    connect(m_download, &FeedDownload::finished, this, &FeedRefresh::onDownloaded);
}

FeedRefresh::~FeedRefresh()
{
    m_download->abandon();
}

template<class... Args>
std::function<void(Args...)> FeedRefresh::guarded(std::type_identity_t<std::function<void(Args...)>> then)
{
    return [self = QPointer<FeedRefresh>(this), then = std::move(then)](Args... args) {
        if (self)
            then(args...);
    };
}

bool FeedRefresh::stillExecuting() const
{
    return m_loadingStored || m_download->StillExecuting;
}

void FeedRefresh::start(const Feed &feed, bool loadStored, bool checkForNew)
{
    if (m_running)
        return;
    m_running = true;
    m_feed = feed;
    m_checkForNew = checkForNew;
    if (loadStored)
        this->loadStored();
    else
        checkForNewItems();
}

void FeedRefresh::loadStored()
{
    if (!step(message(Msg::LOADING)))
        return;
    m_loadingStored = true;
    emit listingStarted();
    m_feed.file->loadRows(this, [this](const FeedFile::Loaded &loaded) {
        // The rows are made on a worker; the list takes them whole.
        const std::function<void()> list = guarded<>([this, rows = loaded.rows] {
            Worker::run(
                this,
                [rows, order = m_rowOrder] {
                    QVector<ItemRow> made = ItemRowBuilder().fromStored(rows);
                    if (order)
                        order(made);
                    return made;
                },
                [this](const QVector<ItemRow> &made) {
                    m_loadingStored = false;
                    QPointer<FeedRefresh> self(this);
                    emit storedRowsRead(made);
                    if (self)
                        checkForNewItems();
                });
        });
        // A file never written is an empty list, not a fault.
        if (loaded.state == FeedStore::FileState::Unreadable || loaded.state == FeedStore::FileState::NoItems)
            m_questions->tell(
                message(Msg::DATAFORMAT_TITLE), FeedStore::failureText(loaded.state, getMessages), list);
        else
            list();
    });
}

void FeedRefresh::checkForNewItems()
{
    if (!m_checkForNew)
        endWith(QString());
    else
        checkOnline();
}

// The question repeats while the machine is offline.
void FeedRefresh::checkOnline()
{
    if (m_isConnected()) {
        if (step(message(Msg::CHECKING)))
            download();
        return;
    }
    m_questions->askRetry(
        message(Msg::OFFLINE_TITLE), message(Msg::OFFLINE), guarded<bool>([this](bool retry) {
            if (retry)
                checkOnline();
            else
                endWith(QString());
        }));
}

void FeedRefresh::download()
{
    m_download->FeedURL = m_feed.url;
    m_download->FeedID = m_feed.id;
    m_download->setTimeout(m_timeout);
    m_download->start();
}

void FeedRefresh::onDownloaded(FeedDownload::Outcome outcome)
{
    const std::function<void()> end = guarded<>([this] { endWith(QString()); });
    switch (outcome) {
    case FeedDownload::Outcome::Abandoned:
        return;
    case FeedDownload::Outcome::Failed: {
        // Its box names the cause; there is nothing new to parse.
        const FetchFailure failure = *m_download->failure();
        m_questions->tell(failure.title, failure.text, end);
        return;
    }
    case FeedDownload::Outcome::TimedOut:
        // A Cancel goes on with the previous data.
        m_questions->askRetry(message(Msg::TIMEOUT_TITLE), message(Msg::TIMEOUT),
            guarded<bool>([this](bool retry) { retry ? download() : parse(); }));
        return;
    case FeedDownload::Outcome::NotModified:
        // Nothing to parse and nothing to save: the stored items stand.
        offerAddressChange(
            [this] { endWith(QStringLiteral(" (%1)").arg(PoliteFetch::notModifiedText(getMessages))); });
        return;
    case FeedDownload::Outcome::Deferred:
        m_questions->tell(message(Msg::FETCH_RETRYLATER_TITLE),
            PoliteFetch::retryLaterText(m_download->host(), m_download->answer().retryAt, getMessages), end);
        return;
    case FeedDownload::Outcome::Gone:
        m_questions->tell(
            message(Msg::FETCH_GONE_TITLE), PoliteFetch::goneText(m_download->host(), getMessages), end);
        return;
    case FeedDownload::Outcome::Complete:
        offerAddressChange([this] { parse(); });
        return;
    }
}

// A permanent redirect is offered as the feed's new address; the catalogue
// is changed by whoever receives addressChangeAccepted.
void FeedRefresh::offerAddressChange(std::function<void()> then)
{
    const QUrl movedTo = m_download->answer().movedTo;
    if (movedTo.isEmpty()) {
        then();
        return;
    }
    const QString text = PoliteFetch::movedText(QUrl(m_feed.url.trimmed()), movedTo, getMessages)
        + QStringLiteral("\r\n\r\n") + message(Msg::FETCH_MOVED_ASK);
    m_questions->askYesNo(
        message(Msg::FETCH_MOVED_TITLE), text, guarded<bool>([this, movedTo, then](bool change) {
            QPointer<FeedRefresh> self(this);
            if (change)
                emit addressChangeAccepted(movedTo.toString());
            if (self)
                then();
        }));
}

// Parsed on a worker. A cycle that has gone meanwhile still has the entries
// merged: a completed download is never lost.
void FeedRefresh::parse()
{
    Worker::run(
        qApp,
        [type = m_feed.type, data = m_download->FeedData, charset = m_download->feedCharset] {
            int corrected = -1;
            FeedParser::Result parsed = FeedParser::parseCorrecting(type, data, charset, &corrected);
            return std::make_pair(std::move(parsed), corrected);
        },
        [self = QPointer<FeedRefresh>(this), owner = m_feed.file, validators = m_download->feedValidators](
            const std::pair<FeedParser::Result, int> &result) {
            const FeedParser::Result &parsed = result.first;
            if (self && result.second >= 0) {
                self->m_feed.type = result.second;
                emit self->feedTypeFound(result.second);
            }
            if (self)
                self->onParsed(parsed);
            else if (parsed.count > 0)
                owner->merge(parsed.items, validators, qApp, [owner](const FeedStore::MergeResult &) {});
        });
    step(message(Msg::PARSING));
}

void FeedRefresh::onParsed(const FeedParser::Result &parsed)
{
    const std::function<void()> goOn = guarded<>([this, parsed] {
        if (parsed.count <= 0) {
            if (step(message(Msg::UPDATING)))
                endWith(m_newItems ? message(Msg::NEW) : QString());
            return;
        }
        // Asked before the caption changes: the merge is done even when the
        // cycle goes meanwhile.
        m_feed.file->merge(
            parsed.items, m_download->feedValidators, this, [this](const FeedStore::MergeResult &merged) {
                m_newItems = merged.added > 0;
                // The new rows are made on a worker.
                Worker::run(
                    this,
                    [merged] {
                        const ItemRowBuilder builder;
                        QVector<ItemRow> rows;
                        rows.reserve(merged.addedIndexes.size());
                        for (const FeedItem &item : merged.addedItems())
                            rows.append(builder.fromMerged(item));
                        return rows;
                    },
                    [this](const QVector<ItemRow> &rows) {
                        QPointer<FeedRefresh> self(this);
                        emit rowsAdded(rows);
                        if (self)
                            endWith(m_newItems ? message(Msg::NEW) : QString());
                    });
            });
        step(message(Msg::UPDATING));
    });
    if (parsed.failure == FeedParser::Failure::None)
        goOn();
    else
        m_questions->tell(
            FeedParser::failureTitle(parsed.failure), FeedParser::failureText(parsed.failure), goOn);
}

bool FeedRefresh::step(const QString &suffix)
{
    QPointer<FeedRefresh> self(this);
    emit captionStep(suffix);
    return !self.isNull();
}

void FeedRefresh::endWith(const QString &suffix)
{
    if (step(suffix))
        finish();
}

void FeedRefresh::finish()
{
    m_running = false;
    emit finished();
}
