// Sending mail over SMTP to a real server on loopback: what arrives, and
// why a send fails.

#include "i18n/Languages.h"
#include "mail/SmtpSender.h"
#include "support/LoopbackServer.h"
#include "support/SmtpServer.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QtTest>

namespace
{

const QString Subject = QStringLiteral("Grüße vom Hafen — Leuchtturm ☀");
const QString Html = QStringLiteral("<p>Hello harbour</p>\n.a line that starts with a dot");

MailMessage message(const QStringList &recipients = {QStringLiteral("keeper@light.example")})
{
    MailMessage m;
    m.fromName = QStringLiteral("Harbour Master");
    m.fromAddress = QStringLiteral("master@harbour.example");
    m.recipients = recipients;
    m.subject = Subject;
    m.html = Html;
    return m;
}

SmtpOptions options(quint16 port)
{
    SmtpOptions o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = port;
    o.connectTimeoutMs = 10000;
    o.responseTimeoutMs = 10000;
    return o;
}

// What a send reported.
struct Run {
    int succeeded = 0;
    int failed = 0;
    QString explanation;
    QStringList statuses;
    QList<int> progress;
};

Run send(const SmtpOptions &o, const MailMessage &m)
{
    Run run;
    SmtpSender sender;
    QObject::connect(&sender, &SmtpSender::succeeded, [&run] { ++run.succeeded; });
    QObject::connect(&sender, &SmtpSender::failed, [&run](const QString &text) {
        ++run.failed;
        run.explanation = text;
    });
    QObject::connect(&sender, &SmtpSender::status, [&run](const QString &text) { run.statuses << text; });
    QObject::connect(&sender, &SmtpSender::progress, [&run](int percent) { run.progress << percent; });
    if (!sender.send(o, m))
        return run;
    QDeadlineTimer deadline(60000);
    while (sender.running() && !deadline.hasExpired())
        QTest::qWait(10);
    return run;
}

// The text of a message before its first placeholder.
QString lead(const char *key)
{
    return getMessages(QLatin1String(key)).section(QStringLiteral("%1"), 0, 0);
}

// The headers of a message, folded lines joined, by lower-case name.
QMap<QByteArray, QByteArray> headers(const QByteArray &data)
{
    QByteArray head = data.left(data.indexOf("\r\n\r\n"));
    head.replace("\r\n ", " ").replace("\r\n\t", " ");
    QMap<QByteArray, QByteArray> result;
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            result.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    return result;
}

QString decodeWords(const QByteArray &value)
{
    static const QRegularExpression word(
        QStringLiteral("=\\?UTF-8\\?B\\?([^?]*)\\?="), QRegularExpression::CaseInsensitiveOption);
    QByteArray bytes;
    for (auto it = word.globalMatch(QString::fromLatin1(value)); it.hasNext();)
        bytes += QByteArray::fromBase64(it.next().captured(1).toLatin1());
    return QString::fromUtf8(bytes);
}

// A port on which nothing listens.
quint16 refusingPort()
{
    return quint16(QUrl(LoopbackServer::refusingUrl()).port());
}

} // namespace

class TestSmtp : public QObject
{
    Q_OBJECT
private slots:
    void deliversTheWholeMessage();
    void conversation_data();
    void conversation();
    void unreachableServer_data();
    void unreachableServer();
    void refusedBeforeConnecting_data();
    void refusedBeforeConnecting();
    void secondSendWhileRunningIsRefused();
    void deletingTheSenderMidSendStopsIt();
};

void TestSmtp::deliversTheWholeMessage()
{
    SmtpServer server;
    QVERIFY(server.start());
    const QStringList to {QStringLiteral("keeper@light.example"), QStringLiteral("pilot@boats.example")};

    const Run run = send(options(server.port()), message(to));

    QCOMPARE(run.failed, 0);
    QCOMPARE(run.succeeded, 1);
    const auto received = server.received();
    QCOMPARE(received.size(), 1);
    QCOMPARE(received[0].mailFrom, QStringLiteral("master@harbour.example"));
    QCOMPARE(received[0].recipients, to);

    const QByteArray data = received[0].data;
    const auto h = headers(data);
    QVERIFY(!h.value("date").isEmpty());
    QVERIFY(!h.value("message-id").isEmpty());
    QCOMPARE(h.value("from"), QByteArray("\"Harbour Master\" <master@harbour.example>"));
    QVERIFY(h.value("to").contains("keeper@light.example"));
    QVERIFY(h.value("to").contains("pilot@boats.example"));
    QCOMPARE(decodeWords(h.value("subject")), Subject);
    QCOMPARE(h.value("mime-version"), QByteArray("1.0"));
    QVERIFY(h.value("content-type").startsWith("multipart/alternative"));
    const qsizetype plain = data.indexOf("Content-Type: text/plain; charset=utf-8");
    const qsizetype html = data.indexOf("Content-Type: text/html; charset=utf-8");
    QVERIFY(plain > 0);
    QVERIFY(html > plain);
    // SMTP's dot-stuffing is undone at the server: the line arrives as written.
    const QByteArray dotLine = "\r\n.a line that starts with a dot\r\n";
    QVERIFY(data.indexOf(dotLine) > plain);
    QVERIFY(data.lastIndexOf(dotLine) > html);

    QVERIFY(!run.progress.isEmpty());
    QCOMPARE(run.progress.last(), 100);
    QCOMPARE(run.statuses.first(),
        getMessages(QStringLiteral("MSG_SMTP_CONNECTING"))
            .arg(QStringLiteral("127.0.0.1:%1").arg(server.port())));
    QVERIFY(run.statuses.at(1).startsWith(lead("MSG_SMTP_CONNECTED")));
    QVERIFY(run.statuses.contains(getMessages(QStringLiteral("MSG_SMTP_SENDING"))));
    QCOMPARE(run.statuses.last(), getMessages(QStringLiteral("MSG_SMTP_ACCEPTED")));
}

void TestSmtp::conversation_data()
{
    QTest::addColumn<bool>("startTls");
    QTest::addColumn<bool>("requireAuth");
    QTest::addColumn<bool>("offerAuth");
    QTest::addColumn<bool>("authentication");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<QString>("recipient");
    QTest::addColumn<QString>("failure"); // the key of the explanation; empty: delivered
    QTest::addColumn<QString>("detail"); // what the explanation names beside its text

    const QString keeper = QStringLiteral("keeper@light.example");
    const QString secret = QStringLiteral("secret");
    QTest::newRow("right password") << false << true << true << true << secret << false << keeper << ""
                                    << "";
    QTest::newRow("wrong password") << false << true << true << true << "wrong" << false << keeper
                                    << "MSG_SMTP_LOGINDENIED"
                                    << "535 5.7.8 Authentication credentials invalid";
    // libcurl itself would send without logging in and call it a success.
    QTest::newRow("authentication, none offered")
        << false << false << false << true << secret << false << keeper << "MSG_SMTP_NOAUTH"
        << "";
    QTest::newRow("no authentication, offered")
        << false << false << true << false << "" << false << keeper << ""
        << "";
    QTest::newRow("STARTTLS trusted") << true << true << true << true << secret << true << keeper << ""
                                      << "";
    QTest::newRow("STARTTLS not trusted")
        << true << false << true << false << "" << false << keeper << "MSG_SMTP_TLS"
        << "";
    QTest::newRow("recipient refused")
        << false << false << true << false << "" << false << "refused@light.example"
        << "MSG_SMTP_RECIPIENT"
        << "550 5.1.1 Mailbox unavailable";
}

void TestSmtp::conversation()
{
    QFETCH(bool, startTls);
    QFETCH(bool, requireAuth);
    QFETCH(bool, offerAuth);
    QFETCH(bool, authentication);
    QFETCH(QString, password);
    QFETCH(bool, trusted);
    QFETCH(QString, recipient);
    QFETCH(QString, failure);
    QFETCH(QString, detail);
    SmtpServer::Options serverOptions;
    serverOptions.startTls = startTls;
    serverOptions.requireAuth = requireAuth;
    serverOptions.offerAuth = offerAuth;
    SmtpServer server(serverOptions);
    QVERIFY(server.start());
    SmtpOptions o = options(server.port());
    o.authentication = authentication;
    o.userName = serverOptions.user;
    o.password = password;
    if (trusted)
        o.caFile = server.caFile();

    const Run run = send(o, message({recipient}));

    if (failure.isEmpty()) {
        QCOMPARE(run.explanation, QString());
        QCOMPARE(run.succeeded, 1);
        QCOMPARE(server.received().size(), 1);
        QCOMPARE(
            run.statuses.contains(getMessages(QStringLiteral("MSG_SMTP_AUTHENTICATING"))), authentication);
        QCOMPARE(run.statuses.contains(getMessages(QStringLiteral("MSG_SMTP_SECURING"))), startTls);
        return;
    }
    QCOMPARE(run.succeeded, 0);
    QCOMPARE(run.failed, 1);
    QVERIFY2(run.explanation.startsWith(lead(failure.toLatin1())), qPrintable(run.explanation));
    QVERIFY2(run.explanation.contains(detail), qPrintable(run.explanation));
    // The server has everything it would store by the time its reply came back.
    QCOMPARE(server.received().size(), 0);
}

void TestSmtp::unreachableServer_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("silent"); // false: nothing listens on the port
    QTest::addColumn<QString>("failure");
    QTest::newRow("refused port") << "127.0.0.1" << false << "MSG_SMTP_REFUSED";
    QTest::newRow("unknown host") << "nonexistent.invalid" << false << "MSG_SMTP_UNKNOWNHOST";
    QTest::newRow("silent server") << "127.0.0.1" << true << "MSG_SMTP_TIMEOUT";
}

void TestSmtp::unreachableServer()
{
    QFETCH(QString, host);
    QFETCH(bool, silent);
    QFETCH(QString, failure);
    QTcpServer quiet; // accepts and never says a word
    QVERIFY(quiet.listen(QHostAddress::LocalHost));
    SmtpOptions o = options(silent ? quiet.serverPort() : refusingPort());
    o.host = host;
    o.connectTimeoutMs = 300;
    o.responseTimeoutMs = 300;

    const Run run = send(o, message());

    QCOMPARE(run.succeeded, 0);
    QCOMPARE(run.failed, 1);
    QVERIFY2(run.explanation.startsWith(lead(failure.toLatin1())), qPrintable(run.explanation));
    QVERIFY(run.explanation.contains(host));
}

void TestSmtp::refusedBeforeConnecting_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QStringList>("recipients");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("named");
    const QString from = QStringLiteral("master@harbour.example");
    const QStringList keeper {QStringLiteral("keeper@light.example")};
    const QString injected = QStringLiteral("keeper@light.example>\r\nRCPT TO:<spy@elsewhere.example");
    QTest::newRow("command in a recipient")
        << "127.0.0.1" << from << QStringList {injected} << "MSG_SMTP_BADADDRESS" << injected;
    QTest::newRow("command in the sender")
        << "127.0.0.1" << injected << keeper << "MSG_SMTP_BADADDRESS" << injected;
    QTest::newRow("no recipient") << "127.0.0.1" << from << QStringList() << "MSG_SMTP_NORECIPIENT"
                                  << "";
    QTest::newRow("path in the host") << "127.0.0.1/elsewhere" << from << keeper << "MSG_SMTP_BADHOST"
                                      << "127.0.0.1/elsewhere";
}

void TestSmtp::refusedBeforeConnecting()
{
    QFETCH(QString, host);
    QFETCH(QString, from);
    QFETCH(QStringList, recipients);
    QFETCH(QString, failure);
    QFETCH(QString, named);
    SmtpServer server;
    QVERIFY(server.start());
    SmtpOptions o = options(server.port());
    o.host = host;
    MailMessage m = message(recipients);
    m.fromAddress = from;

    const Run run = send(o, m);

    QCOMPARE(run.failed, 1);
    const QString text = getMessages(failure);
    QCOMPARE(run.explanation, named.isEmpty() ? text : text.arg(named));
    QCOMPARE(server.received().size(), 0);
}

void TestSmtp::secondSendWhileRunningIsRefused()
{
    QTcpServer quiet;
    QVERIFY(quiet.listen(QHostAddress::LocalHost));
    SmtpSender sender;
    QSignalSpy failed(&sender, &SmtpSender::failed);
    SmtpOptions o = options(quiet.serverPort());
    o.connectTimeoutMs = 300;
    o.responseTimeoutMs = 300;

    QVERIFY(sender.send(o, message()));
    QVERIFY(sender.running());
    QVERIFY(!sender.send(o, message()));

    QVERIFY(failed.wait(20000));
    QVERIFY(!sender.running());
    QCOMPARE(failed.count(), 1);
}

void TestSmtp::deletingTheSenderMidSendStopsIt()
{
    QTcpServer quiet;
    QVERIFY(quiet.listen(QHostAddress::LocalHost));
    auto *sender = new SmtpSender;
    SmtpOptions o = options(quiet.serverPort());
    o.connectTimeoutMs = 600000;
    o.responseTimeoutMs = 600000;
    QVERIFY(sender->send(o, message()));
    QVERIFY(quiet.waitForNewConnection(20000));
    QTcpSocket *socket = quiet.nextPendingConnection();
    QVERIFY(socket);

    delete sender;

    // The abandoned transfer hangs up long before its own time-outs.
    QSignalSpy closed(socket, &QTcpSocket::disconnected);
    QVERIFY(socket->state() != QAbstractSocket::ConnectedState || closed.wait(20000));
}

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
