#include "feeds/FetchFailure.h"
#include "support/Gzip.h"
#include "support/LoopbackServer.h"
#include "support/TempHome.h"
#include "util/HttpRequest.h"
#include "util/XmlDocument.h"

#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

Q_DECLARE_METATYPE(HttpRequest::Failure)

class TestServices : public QObject
{
    Q_OBJECT
private slots:
    void saveHasNoDeclarationAndKeepsOrder();
    void textJoinsDescendants();
    void pathsMatchPrefixedNames();
    void parseErrorGivesLine();
    void appendChildMovesWithinDocument();
    void attributesByPosition();
    void httpCompletesForEveryOutcome_data();
    void httpCompletesForEveryOutcome();
    void httpFollowsRedirects();
    void httpsAndInsecureRedirect();
    void httpSendsUserAgentAndNoCache();
    void httpOwnsCacheRangeAndEncoding();
    void httpTimesOut();
    void httpAbortResetsState();

private:
    static void waitDone(HttpRequest &request);
    QString hugeBodyServer();
};

void TestServices::saveHasNoDeclarationAndKeepsOrder()
{
    TempHome home;
    XmlDocument doc;
    QVERIFY(doc.loadXML(
        "<?xml version=\"1.0\"?>\n<data>\n  <items><item id=\"x\" status=\"0\"/></items></data>"));
    XmlNode item = doc.selectSingleNode(".//data/items/item");
    item.setAttribute("status", "1");
    item.setAttribute("extra", "e");
    QVERIFY(doc.save(home.file("d.xml")));
    QCOMPARE(home.read("d.xml"),
        QByteArray("<data><items><item id=\"x\" status=\"1\" extra=\"e\"/></items></data>"));
    XmlDocument again;
    QVERIFY(again.load(home.file("d.xml")));
    QCOMPARE(again.toBytes(), doc.toBytes());
}

void TestServices::textJoinsDescendants()
{
    XmlDocument doc;
    QVERIFY(doc.loadXML("<a>one <b>two <![CDATA[<three>]]></b> &amp; four</a>"));
    QCOMPARE(doc.documentElement().text(), QStringLiteral("one two <three> & four"));
    doc.documentElement().setText("plain");
    QCOMPARE(doc.toBytes(), QByteArray("<a>plain</a>"));
}

void TestServices::pathsMatchPrefixedNames()
{
    XmlDocument doc;
    QVERIFY(
        doc.loadXML("<rss xmlns:itunes=\"urn:x\"><channel><title>T</title><itunes:summary>S</itunes:summary>"
                    "</channel></rss>"));
    QCOMPARE(doc.selectSingleNode("/rss/channel/title").text(), QStringLiteral("T"));
    QCOMPARE(doc.selectSingleNode(".//rss/channel").nodeName(), QStringLiteral("channel"));
    QCOMPARE(doc.selectSingleNode(".//rss/channel/itunes:summary").text(), QStringLiteral("S"));
    QVERIFY(doc.selectSingleNode(".//feed").isNull());
}

void TestServices::parseErrorGivesLine()
{
    XmlDocument doc;
    QVERIFY(!doc.loadXML("<a>\n<b>\n</a>"));
    QCOMPARE(doc.parseErrorLine(), 3);
    QVERIFY(!doc.parseErrorReason().isEmpty());
    QVERIFY(!doc.loadXML(""));
    QVERIFY(!doc.load("/no/such/file.xml"));
}

void TestServices::appendChildMovesWithinDocument()
{
    XmlDocument doc;
    QVERIFY(doc.loadXML("<r><a><x/><y/></a><b><z/></b></r>"));
    const XmlNode b = doc.selectSingleNode(".//b");
    b.appendChild(doc.selectSingleNode(".//a/x"));
    QCOMPARE(doc.toBytes(), QByteArray("<r><a><y/></a><b><z/><x/></b></r>"));
    QVERIFY(doc.documentElement().removeChild(b));
    QCOMPARE(doc.toBytes(), QByteArray("<r><a><y/></a></r>"));
    QVERIFY(doc.documentElement().hasChildNodes());
}

void TestServices::attributesByPosition()
{
    XmlDocument doc;
    QVERIFY(doc.loadXML("<f name=\"n\" type=\"1\" id=\"i\"/>"));
    const XmlNode f = doc.documentElement();
    QCOMPARE(f.attributeCount(), 3);
    QCOMPARE(f.attribute(2), QStringLiteral("i"));
    QVERIFY(f.attribute(3).isNull());
    f.setAttributeAt(0, "renamed");
    QCOMPARE(doc.toBytes(), QByteArray("<f name=\"renamed\" type=\"1\" id=\"i\"/>"));
}

void TestServices::waitDone(HttpRequest &request)
{
    if (request.readyState() != HttpRequest::Done) {
        QSignalSpy spy(&request, &HttpRequest::done);
        QVERIFY(spy.wait(10000));
    }
    QCOMPARE(request.readyState(), int(HttpRequest::Done));
}

void TestServices::httpCompletesForEveryOutcome_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<HttpRequest::Failure>("failure");
    using F = HttpRequest::Failure;
    const QByteArray notFound = "<html><body>Not Found</body></html>";
    QTest::newRow("ok") << "/feed" << 200 << QByteArray("<rss/>") << F::None;
    QTest::newRow("gzip") << "/gzip" << 200 << QByteArray("<rss>packed</rss>") << F::None;
    QTest::newRow("error page") << "/missing" << 404 << notFound << F::None;
    QTest::newRow("refused") << "refused" << 0 << QByteArray() << F::ConnectionRefused;
    QTest::newRow("unknown host") << "unknown" << 0 << QByteArray() << F::HostNotFound;
    QTest::newRow("bad scheme") << "ftp" << 0 << QByteArray() << F::BadAddress;
    QTest::newRow("self-signed certificate") << "tls" << 0 << QByteArray() << F::Certificate;
    QTest::newRow("redirect loop") << "/loop" << 0 << QByteArray() << F::TooManyRedirects;
    QTest::newRow("endless body") << "/endless" << 0 << QByteArray() << F::TooLarge;
    QTest::newRow("declared too large") << "/huge" << 0 << QByteArray() << F::TooLarge;
    QTest::newRow("gzip bomb") << "/bomb" << 0 << QByteArray() << F::TooLarge;
}

// Every request ends, with the response or with what kept it from coming.
void TestServices::httpCompletesForEveryOutcome()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(HttpRequest::Failure, failure);
    LoopbackServer server;
    LoopbackServer tls(nullptr, LoopbackServer::Transport::SelfSignedTls);
    server.serve("/feed", "<rss/>");
    LoopbackServer::Route r;
    r.contentEncoding = "gzip";
    r.body = gzip("<rss>packed</rss>");
    server.route("/gzip", r);
    static const QByteArray bomb = gzipZeros(HttpRequest::MaxBodyBytes + 1);
    r.body = bomb;
    server.route("/bomb", r);
    r = {};
    r.status = 302;
    r.location = "/loop";
    server.route("/loop", r);
    r = {};
    r.endless = true;
    server.route("/endless", r);
    tls.serve("/feed", "<rss/>");

    QString url = server.url(path);
    if (path == "refused")
        url = LoopbackServer::refusingUrl();
    else if (path == "unknown")
        url = "http://quorvane-test.invalid/feed";
    else if (path == "ftp")
        url = "ftp://127.0.0.1/x";
    else if (path == "tls")
        url = tls.url("/feed");
    else if (path == "/huge")
        url = hugeBodyServer();

    HttpRequest request;
    request.open("GET", url);
    request.send();
    waitDone(request);
    QCOMPARE(request.failure(), failure);
    QCOMPARE(request.status(), status);
    QCOMPARE(request.responseBytes(), body);
    if (failure == HttpRequest::Failure::TooManyRedirects)
        QCOMPARE(server.hits("/loop"), HttpRequest::MaxRedirects + 1);
    if (failure == HttpRequest::Failure::Certificate) {
        QCOMPARE(request.lastUrl().host(), QStringLiteral("127.0.0.1"));
        QVERIFY(!request.errorString().isEmpty());
    }
}

// A server that announces a body over the cap and then sends it slowly: the
// request is refused on the announcement.
QString TestServices::hugeBodyServer()
{
    auto *raw = new QTcpServer(this);
    raw->listen(QHostAddress::LocalHost);
    connect(raw, &QTcpServer::newConnection, this, [raw] {
        QTcpSocket *s = raw->nextPendingConnection();
        connect(s, &QTcpSocket::readyRead, s, [s] {
            s->readAll();
            s->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(HttpRequest::MaxBodyBytes + 1)
                + "\r\n\r\n<rss>");
        });
    });
    return QStringLiteral("http://127.0.0.1:%1/huge").arg(raw->serverPort());
}

void TestServices::httpFollowsRedirects()
{
    LoopbackServer server;
    server.serve("/final", "<rss>done</rss>", "text/xml; charset=ISO-8859-1");
    LoopbackServer::Route hop;
    hop.status = 301;
    hop.location = server.url("/final").toLatin1();
    server.route("/start", hop);
    HttpRequest request;
    request.open("GET", server.url("/start"));
    request.send();
    waitDone(request);
    QCOMPARE(request.status(), 200);
    QCOMPARE(request.responseBytes(), QByteArray("<rss>done</rss>"));
    QCOMPARE(request.charset(), QStringLiteral("ISO-8859-1"));
    QCOMPARE(request.lastUrl(), QUrl(server.url("/final")));
}

// With the test's certificate trusted, https works, and a redirect from it to
// plain http is refused.
void TestServices::httpsAndInsecureRedirect()
{
    const QSslConfiguration before = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = before;
    trusting.addCaCertificate(QSslCertificate(TempHome::fixture("tls/self-signed.crt")));
    QSslConfiguration::setDefaultConfiguration(trusting);
    LoopbackServer tls(nullptr, LoopbackServer::Transport::SelfSignedTls);
    LoopbackServer plain;
    tls.serve("/feed", "<rss>secure</rss>");
    plain.serve("/feed", "<rss>plain</rss>");
    LoopbackServer::Route down;
    down.status = 301;
    down.location = plain.url("/feed").toLatin1();
    tls.route("/down", down);

    HttpRequest request;
    request.open("GET", tls.url("/feed"));
    request.send();
    waitDone(request);
    QCOMPARE(request.responseBytes(), QByteArray("<rss>secure</rss>"));
    request.open("GET", tls.url("/down"));
    request.send();
    waitDone(request);
    QCOMPARE(request.failure(), HttpRequest::Failure::InsecureRedirect);
    QCOMPARE(request.errorString(), plain.url("/feed"));
    QCOMPARE(plain.hits("/feed"), 0);
    const std::optional<FetchFailure> failure = FetchFailure::of(request, DefaultTexts::english);
    QVERIFY(failure);
    QCOMPARE(failure->title, QStringLiteral("Insecure Redirect!"));
    QCOMPARE(failure->text,
        QStringLiteral(
            "Server 127.0.0.1 redirected the secure request to an insecure address (%1). Application "
            "refused to follow it!")
            .arg(plain.url("/feed")));
    QSslConfiguration::setDefaultConfiguration(before);
}

void TestServices::httpSendsUserAgentAndNoCache()
{
    QTcpServer raw;
    QVERIFY(raw.listen(QHostAddress::LocalHost));
    QByteArray received;
    connect(&raw, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *s = raw.nextPendingConnection();
        connect(s, &QTcpSocket::readyRead, s, [&, s] {
            received += s->readAll();
            if (received.contains("\r\n\r\n"))
                s->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        });
    });
    HttpRequest request;
    request.open("GET", QStringLiteral("http://127.0.0.1:%1/x").arg(raw.serverPort()));
    request.setRequestHeader("Cache-Control", "no-cache");
    request.send();
    waitDone(request);
    QVERIFY(received.contains("User-Agent: Quorvane/" QUORVANE_VERSION " (+https://quorvane.org)\r\n"));
    QVERIFY(received.contains("Cache-Control: no-cache\r\n"));
    QCOMPARE(request.responseText(), QStringLiteral("ok"));
}

// The request's own headers: no cache whatever the caller sets, and the
// identity encoding and byte range a media download asks for.
void TestServices::httpOwnsCacheRangeAndEncoding()
{
    LoopbackServer server;
    server.serve("/x", "ok");
    HttpRequest request;
    request.open("GET", server.url("/x"));
    request.send();
    waitDone(request);
    QCOMPARE(server.lastRequestHeader("cache-control"), QByteArray("no-cache"));
    QCOMPARE(server.lastRequestHeader("pragma"), QByteArray("no-cache"));
    QVERIFY(server.lastRequestHeader("range").isEmpty());

    request.open("GET", server.url("/x"));
    request.setIdentityEncoding(true);
    request.setRange(1000, "\"v1\"");
    request.send();
    waitDone(request);
    QCOMPARE(server.lastRequestHeader("accept-encoding"), QByteArray("identity"));
    QCOMPARE(server.lastRequestHeader("range"), QByteArray("bytes=1000-"));
    QCOMPARE(server.lastRequestHeader("if-range"), QByteArray("\"v1\""));
}

// The time-out is the request's: a server that never answers ends it as
// TimedOut, with the cap and the failure words of the others.
void TestServices::httpTimesOut()
{
    LoopbackServer server;
    LoopbackServer::Route silent;
    silent.silent = true;
    server.route("/silent", silent);
    HttpRequest request;
    request.open("GET", server.url("/silent"));
    request.setTimeout(200);
    request.send();
    waitDone(request);
    QCOMPARE(request.failure(), HttpRequest::Failure::TimedOut);
    QCOMPARE(request.readyState(), int(HttpRequest::Done));
    QCOMPARE(FetchFailure::of(request, DefaultTexts::english)->title, QStringLiteral("Server Timeout!"));
}

void TestServices::httpAbortResetsState()
{
    LoopbackServer server;
    LoopbackServer::Route silent;
    silent.silent = true;
    server.route("/silent", silent);
    HttpRequest request;
    request.open("GET", server.url("/silent"));
    QSignalSpy received(&server, &LoopbackServer::requestReceived);
    request.send();
    QVERIFY(received.wait(20000));
    QCOMPARE(request.readyState(), int(HttpRequest::Sent));
    request.abort();
    QCOMPARE(request.readyState(), int(HttpRequest::Unsent));
}

QTEST_GUILESS_MAIN(TestServices)
#include "tst_services.moc"
