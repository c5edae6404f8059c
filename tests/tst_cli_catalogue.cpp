#include "support/LoopbackServer.h"
#include "support/TempHome.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// Drives quorvane-cli as a user's script would.
class TestCliCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void listSeedsStarterCatalogue();
    void categoryCommands();
    void feedCommands();
    void feedAddChecksTheUrl_data();
    void feedAddChecksTheUrl();
    void usageErrors_data();
    void usageErrors();
    void brokenDatabaseFailsWithMessage();
    void verboseTellsWhatHappens();

private:
    struct Run {
        int code;
        QString out;
        QString err;
    };
    Run cli(const QStringList &args);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliCatalogue::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

TestCliCatalogue::Run TestCliCatalogue::cli(const QStringList &args)
{
    // The loop keeps a loopback server of the test answering meanwhile.
    QProcess p;
    QEventLoop loop;
    connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    p.start(QStringLiteral(QUORVANE_CLI), QStringList {"--home", m_dir->path()} + args);
    loop.exec();
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
        QString::fromUtf8(p.readAllStandardError())};
}

void TestCliCatalogue::listSeedsStarterCatalogue()
{
    const Run r = cli({"list"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.startsWith("C\tNews\nF\tNews\t"));
    QVERIFY(QFile::exists(m_dir->path() + "/feeds.fdb"));
    QVERIFY(QFileInfo(m_dir->path() + "/Data").isDir());
    const QStringList feedLine = r.out.split('\n').at(1).split('\t');
    QCOMPARE(feedLine.size(), 6);
    QCOMPARE(feedLine.at(3), QStringLiteral("0"));
}

// Silent by default; --verbose turns every area's log on (on standard error).
void TestCliCatalogue::verboseTellsWhatHappens()
{
    QVERIFY(!cli({"list"}).err.contains("quorvane."));
    const Run r = cli({"--verbose", "list"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("quorvane.store: application folder"), qPrintable(r.err));
    QVERIFY(r.out.startsWith("C\tNews\n"));
}

void TestCliCatalogue::categoryCommands()
{
    QFile db(m_dir->path() + "/feeds.fdb");
    QVERIFY(db.open(QIODevice::WriteOnly | QIODevice::Truncate));
    db.write("<categories/>\r\n");
    db.close();

    QCOMPARE(cli({"category", "add", "News"}).code, 0);
    QCOMPARE(cli({"category", "add", "Tech"}).code, 0);
    Run r = cli({"category", "add", "NEWS"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err.trimmed(),
        QStringLiteral(
            "Category Exists!: Category with same Name already exists. Try some other Category Name ..."));
    QCOMPARE(cli({"category", "rename", "news", "  "}).code, 1);
    QCOMPARE(cli({"category", "rename", "news", "NEWS"}).code, 0); // letter case only: ignored
    QCOMPARE(cli({"category", "rename", "news", "tech"}).code, 1);
    QCOMPARE(cli({"category", "rename", "news", "World"}).code, 0);
    r = cli({"category", "rename", "Missing", "Other"});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.startsWith("Alert!: Application failed to access Category named \"Missing\" in database."));
    QCOMPARE(cli({"category", "delete", "tech"}).code, 0);
    QCOMPARE(cli({"category", "delete", "tech"}).code, 1);
    QCOMPARE(cli({"list"}).out, QStringLiteral("C\tWorld\n"));
}

void TestCliCatalogue::feedCommands()
{
    QFile db(m_dir->path() + "/feeds.fdb");
    QVERIFY(db.open(QIODevice::WriteOnly | QIODevice::Truncate));
    db.write("<categories/>\r\n");
    db.close();

    Run r = cli({"feed", "add", "Reading", "Blog", "atom", "http://example.org/atom"});
    QCOMPARE(r.code, 0);
    const QString id = r.out.trimmed();
    QVERIFY(QRegularExpression("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$").match(id).hasMatch());
    r = cli({"feed", "add", "reading", "Other", "0", "HTTP://EXAMPLE.ORG/ATOM"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err.trimmed(),
        QStringLiteral(
            "Feed already Exists!: Feed with same URL already exists under category \"reading\"."));

    QCOMPARE(cli({"feed", "edit", "Reading", id, "Renamed", "2", "http://example.org/pod"}).code, 0);
    QCOMPARE(cli({"category", "add", "Later"}).code, 0);
    QCOMPARE(cli({"feed", "move", "Reading", id, "Later"}).code, 0);
    QCOMPARE(cli({"list"}).out,
        QStringLiteral("C\tReading\nC\tLater\nF\tLater\tRenamed\t2\t%1\thttp://example.org/pod\n").arg(id));

    QDir(m_dir->path()).mkpath("Data");
    QFile data(m_dir->path() + "/Data/" + id + ".fdb");
    QVERIFY(data.open(QIODevice::WriteOnly));
    data.close();
    QCOMPARE(cli({"feed", "delete", "Reading", id}).code, 1);
    QCOMPARE(cli({"feed", "delete", "Later", id}).code, 0);
    QVERIFY(!data.exists());
}

// "auto" checks the address as the add-feed dialog does; a web page is
// searched for its feeds and the first one subscribed to.
void TestCliCatalogue::feedAddChecksTheUrl_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected"); // the list line's name, type and path; empty: refused
    QTest::addColumn<QString>("message");
    QTest::newRow("feed, its title") << "/rss.xml"
                                     << ""
                                     << "Plain News\t0\t/rss.xml"
                                     << "";
    QTest::newRow("feed, named") << "/atom.xml"
                                 << "Mine"
                                 << "Mine\t1\t/atom.xml"
                                 << "";
    QTest::newRow("page, one link") << "/one.html"
                                    << ""
                                    << "Plain News\t0\t/feeds/rss.xml"
                                    << "Feed found on the page";
    QTest::newRow("page, two links") << "/two.html"
                                     << "Blog"
                                     << "Blog\t1\t/atom.xml"
                                     << "taking the first";
    QTest::newRow("page, no link") << "/none.html"
                                   << "Blog"
                                   << ""
                                   << "Invalid Feed Data Format!";
    QTest::newRow("not found") << "/missing.xml"
                               << "Blog"
                               << ""
                               << "404";
}

void TestCliCatalogue::feedAddChecksTheUrl()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    LoopbackServer server;
    const QByteArray html = "text/html; charset=utf-8";
    server.serve("/rss.xml", TempHome::fixture("addfeed/rss.xml"));
    server.serve("/feeds/rss.xml", TempHome::fixture("addfeed/rss.xml"));
    server.serve("/atom.xml", TempHome::fixture("addfeed/atom.xml"), "application/atom+xml");
    server.serve("/one.html", TempHome::fixture("addfeed/onelink.html"), html);
    server.serve("/two.html", TempHome::fixture("addfeed/twolinks.html"), html);
    server.serve("/none.html", TempHome::fixture("addfeed/nolink.html"), html);
    LoopbackServer::Route missing;
    missing.status = 404;
    missing.body = "gone";
    server.route("/missing.xml", missing);
    QFile db(m_dir->path() + "/feeds.fdb");
    QVERIFY(db.open(QIODevice::WriteOnly | QIODevice::Truncate));
    db.write("<categories/>\r\n");
    db.close();

    const Run r = cli({"feed", "add", "Reading", name, "auto", server.url(path)});
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(r.code, expected.isEmpty() ? 1 : 0);
    const QStringList feeds = cli({"list"}).out.split('\n').filter(QRegularExpression("^F\t"));
    QCOMPARE(feeds.size(), expected.isEmpty() ? 0 : 1);
    if (expected.isEmpty())
        return;
    const QStringList f = feeds.first().split('\t');
    QCOMPARE(QStringList({f.at(2), f.at(3), QUrl(f.at(5)).path()}).join('\t'), expected);
    QCOMPARE(f.at(4), r.out.trimmed());
}

void TestCliCatalogue::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no verb") << QStringList {};
    QTest::newRow("unknown verb") << QStringList {"frobnicate"};
    QTest::newRow("category missing name") << QStringList {"category", "add"};
    QTest::newRow("feed bad type") << QStringList {"feed", "add", "C", "N", "video", "http://x"};
    QTest::newRow("list with argument") << QStringList {"list", "x"};
}

void TestCliCatalogue::usageErrors()
{
    QFETCH(QStringList, args);
    const Run r = cli(args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains("usage:"));
}

void TestCliCatalogue::brokenDatabaseFailsWithMessage()
{
    QFile db(m_dir->path() + "/feeds.fdb");
    QVERIFY(db.open(QIODevice::WriteOnly));
    db.write("<categories><broken></categories>");
    db.close();
    const Run r = cli({"list"});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.startsWith("Invalid Database File Format!: Application failed to load Feeds Database."));
    QVERIFY(db.open(QIODevice::ReadOnly));
    QCOMPARE(db.readAll(), QByteArray("<categories><broken></categories>"));
}

QTEST_GUILESS_MAIN(TestCliCatalogue)
#include "tst_cli_catalogue.moc"
