#include "feeds/FeedDownload.h"
#include "support/HostileServers.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "util/BackgroundWrite.h"

#include <QPointer>
#include <QtTest>

namespace
{

const QByteArray Rss = "<rss version=\"2.0\"><channel><title>T</title></channel></rss>";
const QByteArray NotFound = "<html><head><title>404</title></head><body>Not here<br></body></html>";

// Starts the download and waits for it to end.
FeedDownload::Outcome run(FeedDownload &download)
{
    QSignalSpy finished(&download, &FeedDownload::finished);
    download.start();
    if (!finished.wait(20000))
        return FeedDownload::Outcome::Abandoned;
    return finished.first().at(0).value<FeedDownload::Outcome>();
}

} // namespace

Q_DECLARE_METATYPE(HostileServers::Kind)

class TestDownload : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void completeResponse_data();
    void completeResponse();
    void failuresNameTheirCause_data();
    void failuresNameTheirCause();
    void silentServerTimesOut();
    void retryCanSucceed();
    void debugXmlHoldsTheLastResponse();
    void stillExecutingDuringTheWait();
    void abandonEndsTheWait();
    void ownerDeletedDuringTheWait();

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<LoopbackServer> m_server;
};

void TestDownload::init()
{
    m_home = std::make_unique<TempHome>();
    m_messages = std::make_unique<MessageRecorder>();
    m_server = std::make_unique<LoopbackServer>();
}

void TestDownload::cleanup()
{
    m_server.reset();
    m_messages.reset();
    m_home.reset();
}

void TestDownload::completeResponse_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("charset");
    QTest::newRow("feed") << 200 << QByteArray("application/rss+xml; charset=utf-8") << Rss << "utf-8";
    QTest::newRow("404 with an HTML page") << 404 << QByteArray("text/html") << NotFound << "";
    QTest::newRow("single-byte charset") << 200 << QByteArray("text/xml; charset=ISO-8859-1")
                                         << QByteArray("<rss>caf\xe9</rss>") << "ISO-8859-1";
    QTest::newRow("empty body") << 200 << QByteArray("text/xml") << QByteArray() << "";
}

void TestDownload::completeResponse()
{
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(QString, charset);
    LoopbackServer::Route route;
    route.status = status;
    route.contentType = contentType;
    route.body = body;
    m_server->route("/feed", route);

    FeedDownload download;
    download.FeedURL = m_server->url("/feed");
    download.FeedData = "previous";
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    QCOMPARE(download.FeedData, body);
    QCOMPARE(download.feedCharset, charset);
    QVERIFY(!download.StillExecuting);
    QVERIFY(m_server->lastRequestHead().startsWith("GET /feed HTTP/1.1\r\n"));
    QVERIFY(m_server->lastRequestHead().toLower().contains("\r\ncache-control: no-cache"));
    QCOMPARE(m_messages->count(), 0);
}

void TestDownload::failuresNameTheirCause_data()
{
    using K = HostileServers::Kind;
    QTest::addColumn<HostileServers::Kind>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text"); // a pattern
    const QString notFetched = QStringLiteral(" Application failed to fetch Feed Data!");
    QTest::newRow("refused") << K::Refused << "Connection Refused!"
                             << "^Server 127\\.0\\.0\\.1 refused the connection\\." + notFetched + "$";
    QTest::newRow("unknown host")
        << K::UnknownHost << "Unknown Server!"
        << "^Server quorvane-test\\.invalid could not be found\\. Please check the Feed "
           "URL\\."
            + notFetched + "$";
    QTest::newRow("untrusted certificate")
        << K::Untrusted << "Untrusted Certificate!"
        << "^The security certificate of server 127\\.0\\.0\\.1 is not trusted or not valid "
           "\\(.*self.signed.*\\)\\. Application refused to fetch Feed Data!$";
    QTest::newRow("redirect loop")
        << K::RedirectLoop << "Too Many Redirects!"
        << "^Server 127\\.0\\.0\\.1 redirected the request too many times, possibly "
           "in a loop\\."
            + notFetched + "$";
    QTest::newRow("endless body")
        << K::Endless << "Feed Data Too Large!"
        << "^Server 127\\.0\\.0\\.1 sent more than 64 MiB of Feed Data\\. Application refused the response!$";
    QTest::newRow("gzip bomb") << K::GzipBomb << "Feed Data Too Large!"
                               << "^Server 127\\.0\\.0\\.1 sent more than 64 MiB of Feed Data\\.";
    QTest::newRow("not a web address")
        << K::NotWeb << "Invalid Feed URL!"
        << "^The Feed URL \"ftp://127\\.0\\.0\\.1/feed\" is not a web address \\(http or "
           "https\\)\\."
            + notFetched + "$";
    QTest::newRow("connection closed without an answer")
        << K::Hangup << "Network Error!"
        << "^The connection to server 127\\.0\\.0\\.1 failed \\(.+\\)\\." + notFetched + "$";
    QTest::newRow("error status without a body")
        << K::ErrorWithoutBody << "Server Error!"
        << "^Server 127\\.0\\.0\\.1 returned HTTP status 503 \\(Service Unavailable\\) without Feed "
           "Data\\."
            + notFetched + "$";
}

// Each failure that has no defined message gets its own box naming the
// cause, instead of passing for an empty answer.
void TestDownload::failuresNameTheirCause()
{
    QFETCH(HostileServers::Kind, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);
    HostileServers servers;
    FeedDownload download;
    download.FeedURL = servers.url(kind);
    download.FeedData = "previous";
    QCOMPARE(run(download), FeedDownload::Outcome::Failed);
    QCOMPARE(download.FeedData, QByteArray("previous"));
    QVERIFY(!download.StillExecuting);
    QCOMPARE(m_messages->count(), 0); // the window shows it
    const FetchFailure failure = *download.failure();
    QCOMPARE(failure.title, title);
    QVERIFY2(
        QRegularExpression(text, QRegularExpression::CaseInsensitiveOption).match(failure.text).hasMatch(),
        qPrintable(failure.text));
}

// A server that never answers: the time-out is reported (the window asks
// whether to retry), the request is dropped, and nothing else changes.
void TestDownload::silentServerTimesOut()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route("/feed", silent);

    FeedDownload download;
    download.setTimeout(300);
    download.FeedURL = m_server->url("/feed");
    download.FeedData = "previous";
    QCOMPARE(run(download), FeedDownload::Outcome::TimedOut);
    QCOMPARE(download.FeedData, QByteArray("previous"));
    QVERIFY(!download.StillExecuting);
    QCOMPARE(m_server->hits("/feed"), 1);
    QCOMPARE(m_messages->count(), 0);
    QVERIFY(!QFile::exists(m_home->file("Debug.xml")));
}

// A second attempt is a fresh request that can succeed.
void TestDownload::retryCanSucceed()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route("/feed", silent);
    FeedDownload download;
    download.setTimeout(300);
    download.FeedURL = m_server->url("/feed");
    QCOMPARE(run(download), FeedDownload::Outcome::TimedOut);
    m_server->serve("/feed", Rss);
    download.setTimeout(10000);
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    QCOMPARE(download.FeedData, Rss);
    QCOMPARE(m_server->hits("/feed"), 2);
}

void TestDownload::debugXmlHoldsTheLastResponse()
{
    m_server->serve("/one", "<first/>");
    m_server->serve("/two", "<second/>");
    FeedDownload download;
    download.FeedURL = m_server->url("/one");
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    BackgroundWrite::wait();
    QCOMPARE(m_home->read("Debug.xml"), QByteArray("<first/>\r\n"));
    download.FeedURL = m_server->url("/two");
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    BackgroundWrite::wait();
    QCOMPARE(m_home->read("Debug.xml"), QByteArray("<second/>\r\n"));
}

void TestDownload::stillExecutingDuringTheWait()
{
    m_server->serve("/feed", Rss);
    FeedDownload download;
    download.FeedURL = m_server->url("/feed");
    bool busy = false;
    connect(m_server.get(), &LoopbackServer::requestReceived, this, [&] { busy = download.StillExecuting; });
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    QVERIFY(busy);
    QVERIFY(!download.StillExecuting);
}

void TestDownload::abandonEndsTheWait()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route("/feed", silent);
    FeedDownload download;
    download.setTimeout(60000); // only abandon() can end this wait in time
    download.FeedURL = m_server->url("/feed");
    download.FeedData = "previous";
    connect(m_server.get(), &LoopbackServer::requestReceived, &download, &FeedDownload::abandon);
    QCOMPARE(run(download), FeedDownload::Outcome::Abandoned);
    QCOMPARE(download.FeedData, QByteArray("previous"));
    QVERIFY(!download.StillExecuting);
    QCOMPARE(m_messages->count(), 0);
}

// The owner goes while the request is out: nothing is told, nothing breaks.
void TestDownload::ownerDeletedDuringTheWait()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route("/feed", silent);
    auto *owner = new QObject;
    auto *download = new FeedDownload(owner);
    download->setTimeout(60000);
    download->FeedURL = m_server->url("/feed");
    QSignalSpy finished(download, &FeedDownload::finished);
    QSignalSpy received(m_server.get(), &LoopbackServer::requestReceived);
    download->start();
    QVERIFY(received.wait(10000));
    QPointer<FeedDownload> guard(download);
    delete owner;
    QVERIFY(guard.isNull());
    QCOMPARE(finished.count(), 0);
    QCOMPARE(m_messages->count(), 0);
}

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
