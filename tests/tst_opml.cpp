#include "catalogue/Catalogue.h"
#include "catalogue/Opml.h"
#include "i18n/Languages.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "support/Unsavable.h"
#include "util/Utilities.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

// Importing subscription lists that other readers write, and exporting the
// catalogue as one, through the catalogue model and the command line.
class TestOpml : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void importsOtherReadersFiles_data();
    void importsOtherReadersFiles();
    void duplicatesAreCountedNotAdded();
    void notOpmlChangesNothing_data();
    void notOpmlChangesNothing();
    void deepNestingIsCut();
    void hugeFileIsRefused();
    void importIsOneChange();
    void nothingNewLeavesTheFileAlone();
    void importKeepsWhatAnotherProcessStored();
    void failedSaveImportsNothing();
    void exportThenImportGivesTheSameCatalogue();
    void exportFailureIsReported();
    void longReportsAreCut();
    void menuCommandsReportInABox_data();
    void menuCommandsReportInABox();

    void cliImport_data();
    void cliImport();
    void cliExport();
    void cliRefusesABrokenCatalogue();
    void cliUsage_data();
    void cliUsage();

private:
    struct Run {
        int code;
        QString out;
        QString err;
    };
    Run cli(const QStringList &args) const;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
};

namespace
{

const QByteArray emptyCatalogue = "<categories/>";

const QByteArray sample
    = "<categories>"
      "<category name=\"News\">"
      "<feed name=\"World\" type=\"0\" id=\"AAAAAAAA-0000-4000-8000-000000000001\">http://a/rss</feed>"
      "<feed name=\"Local\" type=\"1\" id=\"BBBBBBBB-0000-4000-8000-000000000002\">http://b/atom</feed>"
      "</category>"
      "<category name=\"Tech\"/>"
      "</categories>";

QString fixture(const QString &name)
{
    return QStringLiteral(QUORVANE_FIXTURES "/opml/") + name;
}

// The catalogue as the file holds it: "C name" lines, each followed by its
// feeds' "name|type|URL" lines (FeedIDs are new on every import).
QStringList dump()
{
    const Catalogue catalogue;
    QStringList lines;
    for (const CatalogueCategory &category : catalogue.categories()) {
        lines.append(QStringLiteral("C ") + category.name);
        for (const FeedRecord &feed : category.feeds)
            lines.append(
                QStringLiteral("%1|%2|%3").arg(feed.FeedCaption).arg(feed.FeedType).arg(feed.FeedURL));
    }
    return lines;
}

// Every field of a catalogue, FeedIDs included.
QStringList fields(const QList<CatalogueCategory> &categories)
{
    QStringList lines;
    for (const CatalogueCategory &category : categories) {
        lines.append(category.name);
        for (const FeedRecord &f : category.feeds)
            lines.append(
                QStringList {f.Category, f.FeedCaption, QString::number(f.FeedType), f.FeedID, f.FeedURL}
                    .join(QLatin1Char('|')));
    }
    return lines;
}

// The report's skipped lines, given as "label|MESSAGE_KEY".
QStringList skippedLines(const QStringList &skips)
{
    QStringList lines;
    for (const QString &skip : skips) {
        const QStringList parts = skip.split(QLatin1Char('|'));
        lines.append(
            getMessages(QStringLiteral("MSG_OPML_SKIPPEDLINE")).arg(parts.at(0), getMessages(parts.at(1))));
    }
    return lines;
}

QString summary(int imported, int present, int skipped)
{
    return getMessages(QStringLiteral("MSG_OPML_SUMMARY")).arg(imported).arg(present).arg(skipped);
}

// Whether text is the message of key with anything in its places.
bool isMessage(const QString &text, const QString &key)
{
    QString pattern = QRegularExpression::escape(getMessages(key));
    pattern.replace(QRegularExpression(QStringLiteral("\\\\%\\d")), QStringLiteral(".*"));
    return QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$")).match(text).hasMatch();
}

ino_t inode(const QString &path)
{
    struct stat info {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

void TestOpml::init()
{
    m_home = std::make_unique<TempHome>();
    m_home->write(QStringLiteral("feeds.fdb"), emptyCatalogue);
    m_messages = std::make_unique<MessageRecorder>();
}

void TestOpml::cleanup()
{
    m_messages.reset();
    m_home.reset();
}

void TestOpml::importsOtherReadersFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("catalogue");
    QTest::addColumn<int>("imported");
    QTest::addColumn<QStringList>("skipped");

    QTest::newRow("newsboat, OPML 1.0, flat")
        << "newsboat.opml"
        << QStringList {"C Imported", "Planet Debian|0|https://planet.debian.org/rss20.xml",
               "LWN.net|0|https://lwn.net/headlines/newrss",
               "An & Atom Blog|0|https://blog.example.org/atom.xml"}
        << 3 << QStringList {"Unread Articles|MSG_OPML_NOTHTTP"};
    QTest::newRow("newsboat, OPML 2.0, UTF-8")
        << "newsboat-2.0.opml"
        << QStringList {"C Imported", "The Linux Kernel Archives|0|https://www.kernel.org/feeds/kdist.xml",
               QStringLiteral("Ünïcode Ñews|0|https://example.com/feed")}
        << 2 << QStringList {};
    QTest::newRow("RSS Guard, nested, extra attributes")
        << "rssguard.opml"
        << QStringList {"C Technology / Linux", "LWN.net|0|https://lwn.net/headlines/newrss",
               "Kernel Planet|1|https://planet.kernel.org/atom.xml", "C Technology",
               "Hacker News|0|https://news.ycombinator.com/rss", "C Science",
               "Nature|1|http://feeds.nature.com/nature/rss/current", "C Reading list"}
        << 4 << QStringList {};
    QTest::newRow("Liferea, folders, title only")
        << "liferea.opml"
        << QStringList {"C Example Feeds / Linux", "Liferea Blog|0|https://lzone.de/liferea/blog/feed.xml",
               "GNOME Planet|0|https://planet.gnome.org/atom.xml", "C Example Feeds",
               "Debian Micronews|0|https://micronews.debian.org/feeds/feed.rss", "C Imported",
               "Kernel|0|https://www.kernel.org/feeds/kdist.xml"}
        << 4 << QStringList {"Unread|MSG_OPML_NOXMLURL"};
    QTest::newRow("missing attributes")
        << "missing.opml"
        << QStringList {"C Misc", "https://nameless.example/rss|0|https://nameless.example/rss", "C Imported",
               "Under a blank folder|0|https://blank.example/rss", "At the top|0|https://top.example/rss",
               "Multi line name|0|https://lines.example/rss"}
        << 4
        << QStringList {"Homepage only|MSG_OPML_NOXMLURL", "Blank address|MSG_OPML_NOXMLURL",
               "Not the web|MSG_OPML_NOTHTTP", "Script|MSG_OPML_NOTHTTP", "<outline>|MSG_OPML_EMPTY"};
}

void TestOpml::importsOtherReadersFiles()
{
    QFETCH(QString, file);
    QFETCH(QStringList, catalogue);
    QFETCH(int, imported);
    QFETCH(QStringList, skipped);
    Catalogue model;
    const Opml::ImportResult result = Opml::importFile(model, fixture(file));
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(dump(), catalogue);
    QCOMPARE(Opml::reportText(result).split(QStringLiteral("\r\n")),
        QStringList {summary(imported, 0, int(skipped.size()))} + skippedLines(skipped));
    QCOMPARE(m_messages->count(), 0);
}

// A URL already in the category (letter case ignored), in the catalogue or
// earlier in the file, is present; a name already taken there is skipped.
void TestOpml::duplicatesAreCountedNotAdded()
{
    m_home->write(QStringLiteral("feeds.fdb"), sample);
    Catalogue model;
    const Opml::ImportResult result = Opml::importFile(model, fixture("duplicates.opml"));
    QCOMPARE(result.imported, 2);
    QCOMPARE(result.present, 2);
    QCOMPARE(dump(),
        QStringList({"C News", "World|0|http://a/rss", "Local|1|http://b/atom", "Fresh|0|http://fresh/rss",
            "C Tech", "World|0|http://a/rss"}));
    QCOMPARE(Opml::reportText(result).split(QStringLiteral("\r\n")),
        QStringList({summary(2, 2, 1),
            getMessages("MSG_OPML_SKIPPEDLINE")
                .arg("Local", getMessages("MSG_OPML_NAMETAKEN").arg("News"))}));
    QCOMPARE(m_messages->count(), 0);
}

void TestOpml::notOpmlChangesNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // written to file in the folder, when given
    QTest::addColumn<QString>("key");

    QTest::newRow("RSS document") << fixture("rss.xml") << QByteArray() << "MSG_OPML_NOTOPML";
    QTest::newRow("HTML page") << fixture("page.html") << QByteArray() << "MSG_OPML_MALFORMED";
    QTest::newRow("XHTML page") << "page.xhtml" << QByteArray("<html><body><p>feeds</p></body></html>")
                                << "MSG_OPML_NOTOPML";
    QTest::newRow("malformed XML") << fixture("malformed.opml") << QByteArray() << "MSG_OPML_MALFORMED";
    QTest::newRow("empty file") << "empty.opml" << QByteArray("") << "MSG_OPML_MALFORMED";
    QTest::newRow("binary") << "binary.opml" << QByteArray("\x00\xff\xfe\x01<opml", 9)
                            << "MSG_OPML_MALFORMED";
    QTest::newRow("no body") << fixture("nobody.opml") << QByteArray() << "MSG_OPML_NOBODY";
    QTest::newRow("no such file") << "missing/none.opml" << QByteArray() << "MSG_OPML_UNREADABLE";
}

void TestOpml::notOpmlChangesNothing()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    m_home->write(QStringLiteral("feeds.fdb"), sample);
    QString path = file;
    if (!QFileInfo(file).isAbsolute()) {
        path = m_home->file(file);
        if (!content.isNull())
            m_home->write(file, content);
    }
    Catalogue model;
    QSignalSpy reset(&model, &Catalogue::reset);
    const Opml::ImportResult result = Opml::importFile(model, path);
    QVERIFY(!result.ok());
    QVERIFY2(isMessage(result.error, key), qPrintable(result.error));
    QVERIFY(result.error.contains(QDir::toNativeSeparators(path)));
    QCOMPARE(Opml::reportText(result), result.error);
    QCOMPARE(m_home->read(QStringLiteral("feeds.fdb")), sample);
    QCOMPARE(reset.count(), 0);
}

// No nesting exhausts the stack; what lies too deep is one skipped outline.
void TestOpml::deepNestingIsCut()
{
    const int depth = 10000;
    QByteArray opml = "<opml version=\"2.0\"><body>";
    opml += "<outline text=\"Top\"><outline text=\"Near\" xmlUrl=\"http://near/rss\"/>";
    for (int i = 0; i < depth; ++i)
        opml += "<outline text=\"Level\">";
    opml += "<outline text=\"Deep\" xmlUrl=\"http://deep/rss\"/>";
    for (int i = 0; i < depth; ++i)
        opml += "</outline>";
    opml += "</outline></body></opml>";
    const Opml::Plan plan = Opml::parse(opml, QStringLiteral("deep.opml"));
    QVERIFY(plan.error.isEmpty());
    QCOMPARE(plan.feeds.size(), 1);
    QCOMPARE(plan.feeds.first().Category, QStringLiteral("Top"));
    QCOMPARE(plan.skipped.size(), 1);
    QCOMPARE(plan.skipped.first().reason, Opml::Reason::TooDeep);
}

void TestOpml::hugeFileIsRefused()
{
    QByteArray opml = "<opml version=\"2.0\"><body><outline text=\"A\" xmlUrl=\"http://a/rss\"/>";
    opml += QByteArray(int(Opml::MaxFileSize), ' ');
    opml += "</body></opml>";
    m_home->write(QStringLiteral("huge.opml"), opml);
    Catalogue model;
    const Opml::ImportResult result = Opml::importFile(model, m_home->file("huge.opml"));
    QVERIFY(isMessage(result.error, "MSG_OPML_TOOBIG"));
    QCOMPARE(m_home->read(QStringLiteral("feeds.fdb")), emptyCatalogue);
}

// Views rebuild once, and each feed is not announced on its own: the
// feeds and categories reach the file in one save.
void TestOpml::importIsOneChange()
{
    m_home->write(QStringLiteral("feeds.fdb"), sample);
    Catalogue model;
    QSignalSpy reset(&model, &Catalogue::reset);
    QSignalSpy feedAdded(&model, &Catalogue::feedAdded);
    QSignalSpy categoryAdded(&model, &Catalogue::categoryAdded);
    const ino_t before = inode(m_home->file("feeds.fdb"));
    const Opml::ImportResult result = Opml::importFile(model, fixture("rssguard.opml"));
    QCOMPARE(result.imported, 4);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(feedAdded.count(), 0);
    QCOMPARE(categoryAdded.count(), 0);
    QVERIFY(inode(m_home->file("feeds.fdb")) != before);
    QCOMPARE(fields(model.categories()), fields(Catalogue().categories()));
    for (const CatalogueCategory &category : model.categories()) {
        for (const FeedRecord &feed : category.feeds)
            QVERIFY(mUtil::isFeedId(feed.FeedID));
    }
}

void TestOpml::nothingNewLeavesTheFileAlone()
{
    m_home->write(QStringLiteral("feeds.fdb"), sample);
    m_home->write(QStringLiteral("again.opml"),
        "<opml version=\"1.0\"><body><outline text=\"NEWS\">"
        "<outline text=\"Same\" xmlUrl=\"http://B/ATOM\"/></outline></body></opml>");
    Catalogue model;
    QSignalSpy reset(&model, &Catalogue::reset);
    const ino_t before = inode(m_home->file("feeds.fdb"));
    const Opml::ImportResult result = Opml::importFile(model, m_home->file("again.opml"));
    QCOMPARE(result.present, 1);
    QCOMPARE(result.imported, 0);
    QCOMPARE(inode(m_home->file("feeds.fdb")), before);
    QCOMPARE(m_home->read(QStringLiteral("feeds.fdb")), sample);
    QCOMPARE(reset.count(), 0);
}

// The rules are checked against the file as it stands, and what another
// process (a scheduled command line) stored since the load stays.
void TestOpml::importKeepsWhatAnotherProcessStored()
{
    Catalogue model;
    m_home->write(QStringLiteral("feeds.fdb"),
        "<categories><category name=\"Imported\">"
        "<feed name=\"Kernel\" type=\"0\" id=\"AAAAAAAA-0000-4000-8000-000000000001\">"
        "https://www.kernel.org/feeds/kdist.xml</feed></category></categories>");
    const Opml::ImportResult result = Opml::importFile(model, fixture("newsboat-2.0.opml"));
    QCOMPARE(result.present, 1);
    QCOMPARE(result.imported, 1);
    QCOMPARE(dump(),
        QStringList({"C Imported", "Kernel|0|https://www.kernel.org/feeds/kdist.xml",
            QStringLiteral("Ünïcode Ñews|0|https://example.com/feed")}));
    QCOMPARE(fields(model.categories()), fields(Catalogue().categories()));
}

void TestOpml::failedSaveImportsNothing()
{
    m_home->write(QStringLiteral("feeds.fdb"), sample);
    Catalogue model;
    const Unsavable lock(m_home->file("feeds.fdb"));
    if (!lock.active())
        QSKIP("No way to keep the file from being replaced here");
    QSignalSpy reset(&model, &Catalogue::reset);
    const Opml::ImportResult result = Opml::importFile(model, fixture("rssguard.opml"));
    QCOMPARE(result.error, getMessages("MSG_OPML_NOTIMPORTED"));
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Critical);
    QCOMPARE(m_home->read(QStringLiteral("feeds.fdb")), sample);
    QCOMPARE(reset.count(), 0);
}

void TestOpml::exportThenImportGivesTheSameCatalogue()
{
    m_home->write(QStringLiteral("feeds.fdb"),
        QStringLiteral("<categories>"
                       "<category name=\"News &amp; &lt;Views&gt;\">"
                       "<feed name=\"&quot;Quoted&quot; &amp; Co\" type=\"0\" "
                       "id=\"AAAAAAAA-0000-4000-8000-000000000001\">http://a/rss?x=1&amp;y=2</feed>"
                       "<feed name=\"Atom\" type=\"1\" id=\"BBBBBBBB-0000-4000-8000-000000000002\">"
                       "https://b/atom</feed>"
                       "</category>"
                       "<category name=\"Empty\"/>"
                       "<category name=\"Tech / Linux\">"
                       "<feed name=\"Ядро\" type=\"0\" id=\"CCCCCCCC-0000-4000-8000-000000000003\">"
                       "https://kernel/rss</feed>"
                       "</category>"
                       "</categories>")
            .toUtf8());
    const QStringList original = dump();
    QString error;
    QVERIFY(Opml::exportFile(Catalogue().categories(), m_home->file("out.opml"), &error));
    const QByteArray exported = m_home->read(QStringLiteral("out.opml"));
    QVERIFY(exported.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QVERIFY(exported.contains(
        "<outline type=\"atom\" text=\"Atom\" title=\"Atom\" xmlUrl=\"https://b/atom\" />"));

    TempHome fresh;
    fresh.write(QStringLiteral("feeds.fdb"), emptyCatalogue);
    fresh.write(QStringLiteral("in.opml"), exported);
    Catalogue model;
    const Opml::ImportResult result = Opml::importFile(model, fresh.file("in.opml"));
    QCOMPARE(result.imported, 3);
    QVERIFY(result.skipped.isEmpty());
    QCOMPARE(dump(), original);
}

void TestOpml::exportFailureIsReported()
{
    const QString path = m_home->file("no/such/folder/out.opml");
    QString error;
    QVERIFY(!Opml::exportFile(Catalogue().categories(), path, &error));
    QVERIFY2(isMessage(error, "MSG_OPML_EXPORTFAILED"), qPrintable(error));
    QVERIFY(!QFile::exists(path));
}

void TestOpml::longReportsAreCut()
{
    QByteArray opml = "<opml version=\"2.0\"><body>";
    for (int i = 0; i < 120; ++i)
        opml += "<outline text=\"Bad " + QByteArray::number(i) + "\" xmlUrl=\"mailto:x\"/>";
    opml += "</body></opml>";
    Catalogue model;
    const Opml::ImportResult result = Opml::apply(model, Opml::parse(opml, QStringLiteral("many.opml")));
    const QStringList lines = Opml::reportText(result).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.first(), summary(0, 0, 120));
    QCOMPARE(lines.size(), 52);
    QCOMPARE(lines.last(), getMessages("MSG_OPML_MORESKIPPED").arg(70));
    QCOMPARE(m_home->read(QStringLiteral("feeds.fdb")), emptyCatalogue);
}

void TestOpml::menuCommandsReportInABox_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("titleKey");
    QTest::addColumn<QString>("textKey");

    const int information = int(Messages::Icon::Information);
    const int exclamation = int(Messages::Icon::Exclamation);
    QTest::newRow("import") << "import" << fixture("rssguard.opml") << information << "MSG_OPML_IMPORT_TITLE"
                            << "MSG_OPML_SUMMARY";
    QTest::newRow("import, not OPML")
        << "import" << fixture("rss.xml") << exclamation << "MSG_OPML_IMPORT_TITLE"
        << "MSG_OPML_NOTOPML";
    QTest::newRow("export") << "export"
                            << "out.opml" << -1 << ""
                            << "";
    QTest::newRow("export, no folder") << "export"
                                       << "no/folder/out.opml" << exclamation << "MSG_OPML_EXPORT_TITLE"
                                       << "MSG_OPML_EXPORTFAILED";
}

void TestOpml::menuCommandsReportInABox()
{
    QFETCH(QString, command);
    QFETCH(QString, path);
    QFETCH(int, icon);
    QFETCH(QString, titleKey);
    QFETCH(QString, textKey);
    Catalogue model;
    const QString target = QFileInfo(path).isAbsolute() ? path : m_home->file(path);
    if (command == QLatin1String("import"))
        QCOMPARE(Opml::importAndReport(model, target).ok(), icon == int(Messages::Icon::Information));
    else
        QCOMPARE(Opml::exportAndReport(model, target), icon < 0);
    if (icon < 0) {
        QCOMPARE(m_messages->count(), 0);
        return;
    }
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(int(m_messages->last().icon), icon);
    QCOMPARE(m_messages->last().title, getMessages(titleKey));
    QVERIFY2(isMessage(m_messages->last().text, textKey), qPrintable(m_messages->last().text));
}

TestOpml::Run TestOpml::cli(const QStringList &args) const
{
    QProcess p;
    p.start(QStringLiteral(QUORVANE_CLI), QStringList {"--home", m_home->path()} + args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
        QString::fromUtf8(p.readAllStandardError())};
}

void TestOpml::cliImport_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("errKey");

    QTest::newRow("RSS Guard") << fixture("rssguard.opml") << 0 << summary(4, 0, 0) + "\n"
                               << "";
    QTest::newRow("newsboat") << fixture("newsboat.opml") << 0
                              << summary(3, 0, 1) + "\n"
            + skippedLines({"Unread Articles|MSG_OPML_NOTHTTP"}).first() + "\n"
                              << "";
    QTest::newRow("RSS document") << fixture("rss.xml") << 1 << ""
                                  << "MSG_OPML_NOTOPML";
    QTest::newRow("no such file") << fixture("none.opml") << 1 << ""
                                  << "MSG_OPML_UNREADABLE";
}

void TestOpml::cliImport()
{
    QFETCH(QString, file);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, errKey);
    const Run r = cli({"opml", "import", file});
    QCOMPARE(r.code, code);
    QCOMPARE(r.out, out);
    if (errKey.isEmpty())
        QCOMPARE(r.err, QString());
    else
        QVERIFY2(isMessage(r.err.trimmed(), errKey), qPrintable(r.err));
    if (code != 0)
        QCOMPARE(m_home->read(QStringLiteral("feeds.fdb")), emptyCatalogue);
}

void TestOpml::cliExport()
{
    m_home->write(QStringLiteral("feeds.fdb"), sample);
    const Run plain = cli({"opml", "export"});
    QCOMPARE(plain.code, 0);
    const Run dash = cli({"opml", "export", "-"});
    QCOMPARE(dash.code, 0);
    QVERIFY(dash.out.contains("xmlUrl=\"http://b/atom\""));
    QCOMPARE(cli({"opml", "export", m_home->file("out.opml")}).code, 0);
    const Opml::Plan plan = Opml::readFile(m_home->file("out.opml"));
    QVERIFY(plan.error.isEmpty());
    QCOMPARE(plan.feeds.size(), 2);
    QCOMPARE(Opml::parse(dash.out.toUtf8(), "-").feeds, plan.feeds);
    QCOMPARE(Opml::parse(plain.out.toUtf8(), "-").feeds, plan.feeds);

    const Run failed = cli({"opml", "export", m_home->file("no/folder/out.opml")});
    QCOMPARE(failed.code, 1);
    QVERIFY2(isMessage(failed.err.trimmed(), "MSG_OPML_EXPORTFAILED"), qPrintable(failed.err));
}

// A catalogue the program can read only in part is neither exported as if
// it were whole nor written to.
void TestOpml::cliRefusesABrokenCatalogue()
{
    const QByteArray broken = "<categories><category name=\"News\"/><category/></categories>";
    m_home->write(QStringLiteral("feeds.fdb"), broken);
    QCOMPARE(cli({"opml", "export", m_home->file("out.opml")}).code, 1);
    QVERIFY(!QFile::exists(m_home->file("out.opml")));
    QCOMPARE(cli({"opml", "import", fixture("rssguard.opml")}).code, 1);
    QCOMPARE(m_home->read(QStringLiteral("feeds.fdb")), broken);
}

void TestOpml::cliUsage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no action") << QStringList {"opml"};
    QTest::newRow("import without file") << QStringList {"opml", "import"};
    QTest::newRow("import two files") << QStringList {"opml", "import", "a", "b"};
    QTest::newRow("export two files") << QStringList {"opml", "export", "a", "b"};
    QTest::newRow("unknown action") << QStringList {"opml", "merge", "a"};
}

void TestOpml::cliUsage()
{
    QFETCH(QStringList, args);
    const Run r = cli(args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains("opml import FILE | opml export [FILE|-]"));
    QCOMPARE(m_home->read(QStringLiteral("feeds.fdb")), emptyCatalogue);
}

QTEST_GUILESS_MAIN(TestOpml)
#include "tst_opml.moc"
