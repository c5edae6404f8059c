// The check a feed URL passes before it is subscribed to: type detection,
// feed discovery on web pages, and the download with its failures.

#include "catalogue/FeedCheck.h"
#include "i18n/Languages.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "util/BackgroundWrite.h"
#include "util/XmlDocument.h"

#include <QtTest>

namespace
{

QByteArray fixture(const QString &name)
{
    return TempHome::fixture(QStringLiteral("addfeed/") + name);
}

struct Result {
    int type = -3;
    QString title;
    QString url;
};

} // namespace

class TestFeedCheck : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home = std::make_unique<TempHome>();
        m_messages = std::make_unique<MessageRecorder>();
        m_server = std::make_unique<LoopbackServer>();
    }
    void cleanup()
    {
        m_server.reset();
        m_messages.reset();
        m_home.reset();
    }

    void detectsTheType_data();
    void detectsTheType();
    void discoversFeedLinks();
    void checksTheResponse_data();
    void checksTheResponse();
    void severalFeedsGoThroughTheChooser();
    void silentServerTimesOut();
    void cancelEndsTheCheckQuietly();

private:
    Result run(FeedCheck &check, const QString &url)
    {
        Result result;
        connect(
            &check, &FeedCheck::finished, this, [&](int type, const QString &title, const QString &checked) {
                result = {type, title, checked};
            });
        QSignalSpy finished(&check, &FeedCheck::finished);
        if (check.start(url))
            finished.wait(20000);
        return result;
    }

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<LoopbackServer> m_server;
};

void TestFeedCheck::detectsTheType_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::newRow("RSS") << "rss.xml" << 0 << "Plain News";
    QTest::newRow("podcast") << "podcast.xml" << 2 << "Cast Hour";
    QTest::newRow("Atom") << "atom.xml" << 1 << "Atom Log";
    QTest::newRow("RSS 1.0") << "rdf.xml" << 0 << "RDF Digest";
    QTest::newRow("RSS 1.0 podcast") << "rdfcast.xml" << 2 << "RDF Cast";
    QTest::newRow("other XML") << "other.xml" << -1 << "";
    // Decoded as the parser decodes: a byte-order mark, or the XML
    // declaration of a feed served without a charset.
    QTest::newRow("UTF-16 with BOM") << "utf16-bom.xml" << 0 << QStringLiteral("Zürich Tägliche");
    QTest::newRow("windows-1251 declared") << "cp1251-declared.xml" << 0 << QStringLiteral("Новости дня");
}

void TestFeedCheck::detectsTheType()
{
    QFETCH(QString, file);
    QString title;
    QTEST(FeedCheck::detectType(fixture(file), QString(), &title), "type");
    QTEST(title, "title");
}

void TestFeedCheck::discoversFeedLinks()
{
    const QList<FeedLink> links
        = FeedCheck::discoverFeeds(fixture("twolinks.html"), QUrl("http://example.org/blog/index.html"));
    QCOMPARE(links.size(), 2);
    QCOMPARE(links.at(0).url, QStringLiteral("http://example.org/atom.xml"));
    QCOMPARE(links.at(0).title, QStringLiteral("Atom posts"));
    QCOMPARE(links.at(1).url, QStringLiteral("http://example.org/blog/rss.xml?a=1&b=2"));
    QCOMPARE(links.at(1).title, QStringLiteral("RSS posts"));
    QVERIFY(FeedCheck::discoverFeeds(fixture("nolink.html"), QUrl("http://example.org/")).isEmpty());
}

void TestFeedCheck::checksTheResponse_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("boxTitle");
    const QByteArray xml = "application/xml";
    const QByteArray html = "text/html; charset=utf-8";
    QTest::newRow("RSS") << "rss.xml" << 200 << xml << 0 << "Plain News"
                         << "";
    QTest::newRow("Atom") << "atom.xml" << 200 << xml << 1 << "Atom Log"
                          << "";
    QTest::newRow("RSS 1.0") << "rdf.xml" << 200 << xml << 0 << "RDF Digest"
                             << "";
    QTest::newRow("other XML") << "other.xml" << 200 << xml << -1 << ""
                               << "MSG_ADDFEED_UNSUPPORTED_TITLE";
    QTest::newRow("page without feeds") << "nolink.html" << 200 << html << -1 << ""
                                        << "MSG_ADDFEED_INVALID_TITLE";
    QTest::newRow("404 with a feed body") << "rss.xml" << 404 << xml << -1 << ""
                                          << "MSG_ADDFEED_INVALID_TITLE";
    QTest::newRow("500") << "other.xml" << 500 << xml << -1 << ""
                         << "MSG_ADDFEED_INVALID_TITLE";
}

void TestFeedCheck::checksTheResponse()
{
    QFETCH(QString, file);
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, boxTitle);
    LoopbackServer::Route route;
    route.status = status;
    route.body = fixture(file);
    route.contentType = contentType;
    m_server->route("/feed", route);
    FeedCheck check;
    const Result result = run(check, m_server->url("/feed"));
    QTEST(result.type, "type");
    QTEST(result.title, "title");
    QCOMPARE(m_messages->titles(), boxTitle.isEmpty() ? QStringList() : QStringList {getMessages(boxTitle)});
    if (status >= 400)
        QVERIFY2(
            m_messages->last().text.contains(QString::number(status)), qPrintable(m_messages->last().text));
    if (result.type >= 0) {
        BackgroundWrite::wait(); // written off the window thread
        QCOMPARE(m_home->read("Debug.xml").trimmed(), fixture(file).trimmed());
    }
}

void TestFeedCheck::severalFeedsGoThroughTheChooser()
{
    // A redirect first: relative links resolve against the page where it ended.
    LoopbackServer::Route moved;
    moved.status = 301;
    moved.location = m_server->url("/blog/").toUtf8();
    m_server->route("/old", moved);
    m_server->serve("/blog/", fixture("twolinks.html"), "text/html");
    m_server->serve("/blog/rss.xml?a=1&b=2", fixture("podcast.xml"));
    FeedCheck check;
    QList<FeedLink> offered;
    check.setChooser([&](const QList<FeedLink> &links) {
        offered = links;
        return 1;
    });
    const Result result = run(check, m_server->url("/old"));
    QCOMPARE(offered.size(), 2);
    QCOMPARE(offered.at(1).title, QStringLiteral("RSS posts"));
    QCOMPARE(result.type, 2);
    QCOMPARE(result.title, QStringLiteral("Cast Hour"));
    QCOMPARE(result.url, m_server->url("/blog/rss.xml?a=1&b=2"));
    QCOMPARE(m_messages->count(), 0);
}

void TestFeedCheck::silentServerTimesOut()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route("/feed", silent);
    FeedCheck check;
    check.setTimeout(200);
    const Result result = run(check, m_server->url("/feed"));
    QCOMPARE(result.type, -1);
    QCOMPARE(m_messages->titles(), QStringList {getMessages("MSG_ADDFEED_TIMEOUT_TITLE")});
    QVERIFY(!check.running());
}

void TestFeedCheck::cancelEndsTheCheckQuietly()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route("/feed", silent);
    FeedCheck check;
    QSignalSpy finished(&check, &FeedCheck::finished);
    QVERIFY(check.start(m_server->url("/feed")));
    QVERIFY(check.running());
    check.cancel();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).toInt(), -1);
    QCOMPARE(m_messages->count(), 0);
}

QTEST_GUILESS_MAIN(TestFeedCheck)
#include "tst_feedcheck.moc"
