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
    void usageErrors_data();
    void usageErrors();
    void brokenDatabaseFailsWithMessage();

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
    QProcess p;
    p.start(QStringLiteral(QUORVANE_CLI), QStringList {"--home", m_dir->path()} + args);
    p.waitForFinished(30000);
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
