#include "feeds/Md5.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The parse verb of quorvane-cli, as the conformance checker and a user's
// script run it.
class TestCliParse : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void json();
    void listing();
    void standardInput();
    void rejected_data();
    void rejected();
    void unreadableFile();
    void usageErrors_data();
    void usageErrors();

private:
    struct Run {
        int code;
        QByteArray out;
        QString err;
    };
    Run cli(const QStringList &args, const QByteArray &input = QByteArray());
    QString fileWith(const QByteArray &bytes);
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace
{

const QByteArray feed
    = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<rss version=\"2.0\"><channel><title>Channel</title>\n"
      "<item><title>One &amp; only</title><link>http://example.com/1</link>\n"
      "<pubDate>Tue, 10 Jun 2003 04:00:00 GMT</pubDate>\n"
      "<description>&lt;p&gt;First&lt;/p&gt;</description>\n"
      "<enclosure url=\"http://example.com/1.mp3\" length=\"1\" type=\"audio/mpeg\"/></item>\n"
      "<item><title>Two\nlines</title></item>\n"
      "</channel></rss>\n";

const QByteArray feedListing = "rss\tChannel\n"
                               "2003-06-10 04:00:00\tOne & only\thttp://example.com/1\n"
                               "-\tTwo lines\t\n";

} // namespace

void TestCliParse::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

TestCliParse::Run TestCliParse::cli(const QStringList &args, const QByteArray &input)
{
    QProcess p;
    p.start(QStringLiteral(QUORVANE_CLI), QStringList {"--home", m_dir->path()} + args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

QString TestCliParse::fileWith(const QByteArray &bytes)
{
    QFile file(m_dir->filePath(QStringLiteral("feed.xml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return file.fileName();
}

void TestCliParse::json()
{
    const Run r = cli({"parse", "--json", fileWith(feed)});
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    const QJsonObject result = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(result.value("kind").toString(), QStringLiteral("rss"));
    QCOMPARE(result.value("feed_title").toString(), QStringLiteral("Channel"));
    const QJsonArray entries = result.value("entries").toArray();
    QCOMPARE(entries.size(), 2);

    const QJsonObject first = entries.at(0).toObject();
    QCOMPARE(first.value("title").toString(), QStringLiteral("One & only"));
    QCOMPARE(first.value("link").toString(), QStringLiteral("http://example.com/1"));
    QCOMPARE(first.value("description").toString(), QStringLiteral("<p>First</p>"));
    QCOMPARE(first.value("media").toString(), QStringLiteral("http://example.com/1.mp3"));
    QCOMPARE(first.value("id").toString(), clsMD5().GetMD5(QStringLiteral("http://example.com/1")));
    const QJsonObject date = first.value("date").toObject();
    QCOMPARE(date.value("year").toInt(), 2003);
    QCOMPARE(date.value("month").toInt(), 6);
    QCOMPARE(date.value("day").toInt(), 10);
    QCOMPARE(date.value("time").toString(), QStringLiteral("04:00:00"));

    const QJsonObject second = entries.at(1).toObject();
    QCOMPARE(second.value("title").toString(), QStringLiteral("Two\nlines"));
    QCOMPARE(second.value("link").toString(), QString());
    // The id the store gives a linkless item: of its title, date and text.
    QCOMPARE(second.value("id").toString(), clsMD5().GetMD5(QStringLiteral("Two\nlines\n--T\n")));
    QVERIFY(second.value("date").isNull());
}

void TestCliParse::listing()
{
    const Run r = cli({"parse", fileWith(feed)});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, feedListing);
}

void TestCliParse::standardInput()
{
    QCOMPARE(cli({"parse", "-"}, feed).out, feedListing);
    const Run fromFile = cli({"parse", "--json", fileWith(feed)});
    const Run fromInput = cli({"parse", "--json", "-"}, feed);
    QCOMPARE(fromInput.code, 0);
    QCOMPARE(fromInput.out, fromFile.out);
}

void TestCliParse::rejected_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("message");

    const QString notXml = "Invalid Data Format!: Server returned Feed data in invalid XML format!";
    QTest::newRow("empty") << QByteArray() << "Invalid Server Response!: Server returned empty data stream!";
    QTest::newRow("plain text") << QByteArray("Not found") << notXml;
    QTest::newRow("truncated") << QByteArray("<rss><channel><title>T</title>") << notXml;
    QTest::newRow("unbound prefix") << QByteArray("<rss><channel><x:item/></channel></rss>") << notXml;
    QTest::newRow("no feed") << QByteArray("<note><to>Tove</to></note>")
                             << "Invalid Feed XML!: Server returned invalid Feed XML! Either Feed Type is "
                                "not RSS or Feed XML is not well-formed.";
}

void TestCliParse::rejected()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, message);

    const QString file = fileWith(document);
    Run r = cli({"parse", "--json", file});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QByteArray("{\"kind\":\"invalid\"}\n"));
    QCOMPARE(r.err.trimmed(), message);

    r = cli({"parse", file});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(r.err.trimmed(), message);
}

void TestCliParse::unreadableFile()
{
    const Run r = cli({"parse", "--json", m_dir->filePath(QStringLiteral("missing.xml"))});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.isEmpty());
    QVERIFY(r.err.startsWith("quorvane-cli: cannot read "));
}

void TestCliParse::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::newRow("no file") << QStringList {"parse"};
    QTest::newRow("only --json") << QStringList {"parse", "--json"};
    QTest::newRow("two files") << QStringList {"parse", "a.xml", "b.xml"};
    QTest::newRow("unknown option") << QStringList {"parse", "--xml"};
}

void TestCliParse::usageErrors()
{
    QFETCH(QStringList, args);

    const Run r = cli(args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY(r.err.contains("usage:"));
}

QTEST_GUILESS_MAIN(TestCliParse)
#include "tst_cli_parse.moc"
