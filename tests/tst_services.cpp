#include "support/LoopbackServer.h"
#include "support/TempHome.h"
#include "util/HttpRequest.h"
#include "util/XmlDocument.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

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
    void httpSendsUserAgentAndNoCache();
    void httpRefusesHugeBodies();
    void httpAbortResetsState();

private:
    static void waitDone(HttpRequest &request);
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
    QTest::newRow("ok") << "/feed" << 200 << QByteArray("<rss/>");
    QTest::newRow("error page") << "/missing" << 404 << QByteArray("<html><body>Not Found</body></html>");
    QTest::newRow("refused") << "refused" << 0 << QByteArray();
    QTest::newRow("bad scheme") << "ftp" << 0 << QByteArray();
}

void TestServices::httpCompletesForEveryOutcome()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    LoopbackServer server;
    server.serve("/feed", "<rss/>");
    QString url = server.url(path);
    if (path == "refused") {
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        url = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
        closed.close();
    } else if (path == "ftp") {
        url = "ftp://127.0.0.1/x";
    }
    HttpRequest request;
    request.open("GET", url);
    request.send();
    waitDone(request);
    QCOMPARE(request.status(), status);
    QCOMPARE(request.responseBytes(), body);
    QCOMPARE(request.errorString().isEmpty(), status != 0);
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

    // A redirect loop ends as a failure, not a hang.
    hop.location = server.url("/loop").toLatin1();
    server.route("/loop", hop);
    request.open("GET", server.url("/loop"));
    request.send();
    waitDone(request);
    QCOMPARE(request.errorString(), QStringLiteral("Too many redirects."));
    QCOMPARE(server.hits("/loop"), HttpRequest::MaxRedirects + 1);
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
    QVERIFY(received.contains("User-Agent: Quorvane/" QUORVANE_VERSION "\r\n"));
    QVERIFY(received.contains("Cache-Control: no-cache\r\n"));
    QCOMPARE(request.responseText(), QStringLiteral("ok"));
}

void TestServices::httpRefusesHugeBodies()
{
    LoopbackServer server;
    server.serve("/huge", QByteArray(HttpRequest::MaxBodyBytes + 1024, 'x'));
    HttpRequest request;
    request.open("GET", server.url("/huge"));
    request.send();
    waitDone(request);
    QVERIFY(request.responseBytes().isEmpty());
    QVERIFY(request.errorString().contains("64 MiB"));
}

void TestServices::httpAbortResetsState()
{
    LoopbackServer server;
    LoopbackServer::Route silent;
    silent.silent = true;
    server.route("/silent", silent);
    HttpRequest request;
    request.open("GET", server.url("/silent"));
    request.send();
    QTest::qWait(50);
    QCOMPARE(request.readyState(), int(HttpRequest::Sent));
    request.abort();
    QCOMPARE(request.readyState(), int(HttpRequest::Unsent));
}

QTEST_GUILESS_MAIN(TestServices)
#include "tst_services.moc"
