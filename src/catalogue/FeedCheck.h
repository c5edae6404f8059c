#pragma once

#include "feeds/FeedDownload.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace FeedParser
{
struct Result;
}

// A feed a web page names with <link rel="alternate">.
struct FeedLink {
    QString url;
    QString title;
};

// The check a feed URL passes before it is subscribed to: one download with
// a time-out, a well-formed document of a known kind, its type and its
// channel title. A web page instead of a feed is searched for the feeds it
// names, and the one found (or chosen) is checked instead. Every failure is
// reported with its box; finished() follows once, also after cancel().
class FeedCheck : public QObject
{
    Q_OBJECT
public:
    // Picks one of several feeds a page names: its index, or -1 for none.
    using Chooser = std::function<int(const QList<FeedLink> &)>;

    explicit FeedCheck(QObject *parent = nullptr);
    ~FeedCheck() override;

    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }
    bool running() const;

    // Starts the check of url; false (and no finished()) when the user gave
    // up at the connection test.
    bool start(const QString &url);
    // Ends a check in progress with -1 and no box.
    void cancel();

    // The type of a feed document (0 RSS or RDF, 1 Atom, 2 podcast) or -1,
    // with its channel title when it has one: the parser's own decoding
    // (byte-order mark, XML declaration, then the HTTP charset) and rules.
    static int detectType(const QByteArray &document, const QString &charset, QString *title);
    static int detectType(const FeedParser::Result &parsed, QString *title);
    // The feeds an HTML page names, addresses resolved against base.
    static QList<FeedLink> discoverFeeds(const QByteArray &html, const QUrl &base);

signals:
    // type -1 when the check failed; url is the address that was checked
    // (a feed found on the page given).
    void finished(int type, const QString &title, const QString &url);

private:
    void send(const QString &url);
    void onDone(FeedDownload::Outcome outcome);
    int examine(QString *title, QString *checkedUrl, bool *again);
    bool followPage(const QByteArray &body, const QUrl &base, QString *next);
    void end(int type, const QString &title = QString(), const QString &url = QString());

    FeedDownload *m_download;
    bool m_ended = true;
    int m_timeout = 6000;
    bool m_followed = false; // a page's feed is checked once, not its page again
    Chooser m_chooser;
};

namespace FeedCheckTexts
{
// The invalid-format box, with a detail line when there is one.
void reportInvalid(const QString &detail = QString());
} // namespace FeedCheckTexts
