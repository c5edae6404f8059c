// quorvane-cli send: an item of a feed mailed to a real SMTP server on
// loopback, and every way it can fail.

#include "config/Settings.h"
#include "support/SmtpServer.h"
#include "support/TempHome.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QtTest>

namespace
{

const QString feedId = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000A");

QByteArray decodeQuotedPrintable(const QByteArray &in)
{
    QByteArray out;
    for (int i = 0; i < in.size(); ++i) {
        if (in.at(i) != '=')
            out += in.at(i);
        else if (in.mid(i + 1, 2) == "\r\n")
            i += 2;
        else
            out += char(in.mid(i + 1, 2).toInt(nullptr, 16)), i += 2;
    }
    return out;
}

} // namespace

class TestCliSend : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sendsTheItem_data();
    void sendsTheItem();
    void failuresExitOne_data();
    void failuresExitOne();
    void usageAndSetupErrors_data();
    void usageAndSetupErrors();

private:
    struct Run {
        int code;
        QString err;
    };
    Run cli(const QStringList &args);
    void configure(quint16 port, bool authentication, const QString &password = QString());
    QString charlieId();

    std::unique_ptr<TempHome> m_home;
};

void TestCliSend::init()
{
    m_home = std::make_unique<TempHome>();
    m_home->write(QStringLiteral("feeds.fdb"),
        QStringLiteral("<categories><category name=\"News\"><feed name=\"Harbour News\" type=\"0\" id=\"%1\">"
                       "http://example.test/feed</feed></category></categories>\r\n")
            .arg(feedId)
            .toUtf8());
    m_home->write(QStringLiteral("Data/") + feedId + QStringLiteral(".fdb"),
        TempHome::fixture(QStringLiteral("viewer/stored.fdb")));
    m_home->write(
        QStringLiteral("email.tpl"), "<p>[[from_name]] says: [[personal_message]]</p>[[description]]");
}

void TestCliSend::cleanup()
{
    m_home.reset();
}

// The loop keeps the test's SMTP server process read meanwhile.
TestCliSend::Run TestCliSend::cli(const QStringList &args)
{
    QProcess p;
    QEventLoop loop;
    connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    p.start(QStringLiteral(QUORVANE_CLI), QStringList {"--home", m_home->path()} + args);
    loop.exec();
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

void TestCliSend::configure(quint16 port, bool authentication, const QString &password)
{
    mSettings::EmailSettings &email = mSettings::email();
    email = {};
    email.Server = QStringLiteral("127.0.0.1");
    email.Port = QString::number(port);
    email.Authentication = authentication ? 1 : 0;
    email.UserName = QStringLiteral("user");
    email.Password = password;
    email.FromName = QStringLiteral("Ann Lee");
    email.FromEmail = QStringLiteral("ann@example.org");
    QVERIFY(mSettings::SaveEmailSettings(false));
}

QString TestCliSend::charlieId()
{
    QProcess p;
    p.start(QStringLiteral(QUORVANE_CLI), {"--home", m_home->path(), "items", feedId});
    p.waitForFinished(30000);
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
        const QStringList fields = line.split('\t');
        if (fields.size() > 3 && fields.at(3) == QLatin1String("Charlie has no link"))
            return fields.at(2);
    }
    return QString();
}

void TestCliSend::sendsTheItem_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("authentication");
    QTest::addColumn<QStringList>("bodyHolds");
    QTest::addColumn<QString>("subject");
    QTest::newRow("defaults") << QStringList {} << false
                              << QStringList {"Ann Lee says: Hello,\r\n<br>\r\n\r\n<br>\r\nI have found",
                                     "Charlie body", "Disclaimer"}
                              << "Subject: An Article from \"Harbour News\"";
    QTest::newRow("own message, link only, authenticated")
        << QStringList {"--message", "Look\nhere", "--subject", "Hafenbl\u00e4tter", "--link-only"} << true
        << QStringList {"says: Look\r\n<br>\r\nhere",
               "View Online: <a href='https://example.test/charlie.ogg'>https://example.test/charlie.ogg</a>"}
        << "Subject: =?UTF-8?B?";
    QTest::newRow("blank message") << QStringList {"--message", "  "} << false
                                   << QStringList {"says: - None -"} << "Subject: An Article";
}

void TestCliSend::sendsTheItem()
{
    QFETCH(QStringList, options);
    QFETCH(bool, authentication);
    QFETCH(QStringList, bodyHolds);
    QFETCH(QString, subject);
    SmtpServer::Options serverOptions;
    serverOptions.requireAuth = authentication;
    SmtpServer server(serverOptions);
    QVERIFY(server.start());
    configure(server.port(), authentication, QStringLiteral("secret"));
    const QString item = charlieId();
    QVERIFY(!item.isEmpty());

    const Run r
        = cli(QStringList {"send", feedId, item, "--to", "bob@example.org; cy@example.net"} + options);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(r.err.contains("%)"));
    const QList<SmtpServer::Received> received = server.waitForMessages(1);
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().recipients, QStringList({"bob@example.org", "cy@example.net"}));
    QCOMPARE(received.first().mailFrom, QStringLiteral("ann@example.org"));
    const QByteArray data = received.first().data;
    QVERIFY2(data.contains(subject.toUtf8()), data.constData());
    const QString body = QString::fromUtf8(decodeQuotedPrintable(data));
    for (const QString &part : std::as_const(bodyHolds))
        QVERIFY2(body.contains(part), qPrintable(part + QStringLiteral(" in ") + body));
}

void TestCliSend::failuresExitOne_data()
{
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<bool>("offerAuth");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("recipient");
    QTest::addColumn<QString>("explains");
    QTest::newRow("refused port") << false << true << "secret"
                                  << "bob@example.org"
                                  << "";
    QTest::newRow("wrong password") << true << true << "wrong"
                                    << "bob@example.org"
                                    << "535";
    QTest::newRow("no AUTH offered") << true << false << "secret"
                                     << "bob@example.org"
                                     << "";
    QTest::newRow("refused recipient") << true << true << "secret"
                                       << "refused@example.org"
                                       << "550";
}

void TestCliSend::failuresExitOne()
{
    QFETCH(bool, serverUp);
    QFETCH(bool, offerAuth);
    QFETCH(QString, password);
    QFETCH(QString, recipient);
    QFETCH(QString, explains);
    SmtpServer::Options serverOptions;
    serverOptions.requireAuth = offerAuth;
    serverOptions.offerAuth = offerAuth;
    std::unique_ptr<SmtpServer> server;
    quint16 port = 0;
    if (serverUp) {
        server = std::make_unique<SmtpServer>(serverOptions);
        QVERIFY(server->start());
        port = server->port();
    } else {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort(); // closed again: nothing listens there
    }
    configure(port, true, password);
    const QString item = charlieId();
    const Run r = cli({"send", feedId, item, "--to", recipient});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Failed to Send Email due to following error: "), qPrintable(r.err));
    QVERIFY2(r.err.contains(explains), qPrintable(r.err));
    QVERIFY(!r.err.contains("Email Successfully Sent!"));
    if (server)
        QVERIFY(server->waitForMessages(1, 500).isEmpty());
}

void TestCliSend::usageAndSetupErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("configured");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("no --to") << QStringList {"send", feedId, "x"} << true << 2 << "usage:";
    QTest::newRow("unknown option") << QStringList {"send", feedId, "x", "--to", "a@b", "--bcc"} << true << 2
                                    << "usage:";
    QTest::newRow("no such feed") << QStringList {"send", "0A1B2C3D-0000-4000-8000-00000000000B", "x", "--to",
        "a@b"} << true << 1 << "No feed";
    QTest::newRow("no such item") << QStringList {"send", feedId, "nothing", "--to", "a@b"} << true << 1
                                  << "No item nothing";
    QTest::newRow("no server") << QStringList {"send", feedId, "CHARLIE", "--to", "a@b"} << false << 1
                               << "Cannot Send Email!: ";
}

void TestCliSend::usageAndSetupErrors()
{
    QFETCH(QStringList, args);
    QFETCH(bool, configured);
    QFETCH(int, code);
    QFETCH(QString, message);
    if (configured)
        configure(25, false);
    if (args.contains(QLatin1String("CHARLIE")))
        args.replace(args.indexOf(QLatin1String("CHARLIE")), charlieId());
    const Run r = cli(args);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TestCliSend)
#include "tst_cli_send.moc"
