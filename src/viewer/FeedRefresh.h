#pragma once

#include "feeds/FeedDownload.h"
#include "viewer/ItemRows.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <type_traits>

class FeedFile;
namespace FeedParser
{
struct Result;
}

// The refresh cycle of a feed window: the stored items, the connection
// test, the download, the parse on a worker and the merge through the data
// file's owner. Nothing waits: each step goes on when the one before has
// answered. The cycle tells the window what to show by signals and puts
// its boxes through Questions, whose answers may come at once or later;
// an answer that comes after the cycle has gone is dropped.
class FeedRefresh : public QObject
{
    Q_OBJECT
public:
    class Questions
    {
    public:
        virtual ~Questions() = default;
        // Retry or Cancel: true to try again.
        virtual void askRetry(const QString &title, const QString &text, std::function<void(bool)> answered)
            = 0;
        // Yes or No (a new address for the feed): true for Yes.
        virtual void askYesNo(const QString &title, const QString &text, std::function<void(bool)> answered)
            = 0;
        // An exclamation that only tells; closed once the user has read it.
        virtual void tell(const QString &title, const QString &text, std::function<void()> closed) = 0;
    };
    // Answers through the message seam, at once.
    static Questions &messageBoxes();

    struct Feed {
        QString id;
        QString url;
        int type = 0;
        std::shared_ptr<FeedFile> file; // the owner of the feed's data file
    };

    explicit FeedRefresh(QObject *parent = nullptr);
    // A download in progress ends here; a parse or a merge already under way
    // finishes without the cycle.
    ~FeedRefresh() override;

    // Starts a cycle; loadStored lists the stored items first, checkForNew
    // then downloads. Ignored while a cycle runs.
    void start(const Feed &feed, bool loadStored, bool checkForNew);
    // Puts the stored rows in the list's order on the worker that makes
    // them, so that the window takes them as they are (set before start()).
    using RowOrder = std::function<void(QVector<ItemRow> &rows)>;
    void setRowOrder(RowOrder order) { m_rowOrder = std::move(order); }
    bool isRunning() const { return m_running; }
    // Reading the stored items, or downloading.
    bool stillExecuting() const;
    bool loadingStored() const { return m_loadingStored; }

    void setQuestions(Questions *questions) { m_questions = questions ? questions : &messageBoxes(); }
    void setConnectionTest(std::function<bool()> test) { m_isConnected = std::move(test); }
    void setDownloadTimeout(int milliseconds) { m_timeout = milliseconds; }

signals:
    // The caption's suffix for the step now under way ("" for none). A
    // receiver may delete the cycle.
    void captionStep(const QString &suffix);
    // The stored items are read afresh: the list empties, then takes them.
    void listingStarted();
    void storedRowsRead(const QVector<ItemRow> &rows);
    // Items new to the data file, to put at the top (the last one topmost).
    void rowsAdded(const QVector<ItemRow> &rows);
    // The document showed the feed to be of another type (0 RSS, 1 Atom).
    void feedTypeFound(int feedType);
    // The feed has moved for good and the user accepted its new address.
    void addressChangeAccepted(const QString &newUrl);
    void finished();

private:
    void loadStored();
    void checkForNewItems();
    void checkOnline();
    void download();
    void onDownloaded(FeedDownload::Outcome outcome);
    void offerAddressChange(std::function<void()> then);
    void parse();
    void onParsed(const FeedParser::Result &parsed);
    // Shows the step; false when a receiver deleted the cycle meanwhile.
    bool step(const QString &suffix);
    void endWith(const QString &suffix);
    void finish();
    // then, dropped once the cycle is gone.
    template<class... Args>
    std::function<void(Args...)> guarded(std::type_identity_t<std::function<void(Args...)>> then);

    Feed m_feed;
    RowOrder m_rowOrder;
    bool m_checkForNew = false;
    bool m_running = false;
    bool m_loadingStored = false;
    bool m_newItems = false; // the [new] mark outlives checks that merge nothing
    FeedDownload *m_download;
    Questions *m_questions;
    std::function<bool()> m_isConnected;
    int m_timeout = 10000;
};
