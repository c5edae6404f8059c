#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "util/AppFolder.h"
#include "util/Utilities.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

class TestUtilities : public QObject
{
    Q_OBJECT
private slots:
    void addBackslash_data();
    void addBackslash();
    void fileAndFolderExists();
    void isBlank_data();
    void isBlank();
    void writeTextFileEndsWithLineEnd();
    void straySavesAreRemoved();
    void writeTextFileConvertsByCharset();
    void readTextFileFallsBackToWindows1252();
    void readTextFileMissingReports();
    void newGuidShape();
    void isFeedId_data();
    void isFeedId();
    void monthNumber_data();
    void monthNumber();
    void scrambleExample();
    void scrambleRoundTrip_data();
    void scrambleRoundTrip();
    void shellTarget_data();
    void shellTarget();
    void prepareSeedsFolderWithoutOverwriting();
    void resolveHonoursHomeOption();
};

void TestUtilities::addBackslash_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "/tmp/x"
                           << "/tmp/x/";
    QTest::newRow("slash") << "/tmp/x/"
                           << "/tmp/x/";
    QTest::newRow("backslash") << "C:\\x\\"
                               << "C:\\x\\";
    QTest::newRow("empty") << ""
                           << "/";
}

void TestUtilities::addBackslash()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(mUtil::AddBackslash(path), expected);
}

void TestUtilities::fileAndFolderExists()
{
    TempHome home;
    home.write("plain.txt", "x");
    QVERIFY(mUtil::FileExists(home.file("plain.txt")));
    QVERIFY(!mUtil::FileExists(home.file("Data")));
    QVERIFY(!mUtil::FileExists(home.file("missing")));
    QVERIFY(mUtil::FolderExists(home.file("Data")));
    QVERIFY(mUtil::FolderExists(home.file("plain.txt")));
    QVERIFY(!mUtil::FolderExists(home.file("missing")));
}

void TestUtilities::isBlank_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("blank");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("spaces") << "   " << true;
    QTest::newRow("tab") << "\t" << false;
    QTest::newRow("word") << " a " << false;
}

void TestUtilities::isBlank()
{
    QFETCH(QString, text);
    QFETCH(bool, blank);
    QCOMPARE(mUtil::IsBlank(text), blank);
}

void TestUtilities::writeTextFileEndsWithLineEnd()
{
    TempHome home;
    QVERIFY(mUtil::WriteTextFile(home.file("a.txt"), QStringLiteral("<categories/>")));
    QCOMPARE(home.read("a.txt"), QByteArray("<categories/>\r\n"));
    QVERIFY(mUtil::WriteTextFile(home.file("a.txt"), QStringLiteral("Ωmega ünïcode")));
    QCOMPARE(home.read("a.txt"), QStringLiteral("Ωmega ünïcode\r\n").toUtf8());
    QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList {"a.txt"}); // no temporary left

    MessageRecorder messages;
    QVERIFY(!mUtil::WriteTextFile(home.file("no/such/folder/a.txt"), "x"));
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().title, QStringLiteral("Error !"));
}

// What a save killed between writing and renaming leaves behind goes with
// the next save of that file, or at start; a young one may be another
// instance's save in progress, and files that only look alike are the
// user's.
void TestUtilities::straySavesAreRemoved()
{
    TempHome home;
    const auto leave = [&home](const QString &name, int ageSeconds) {
        home.write(name, "partial");
        QFile file(home.file(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(
            QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
    };
    leave("feeds.fdb.quorvane-save-Ab12Cd", 120);
    leave("feeds.fdb.quorvane-save-Xy34Zw", 5);
    leave("feeds.fdb.backup", 120);
    leave("AppCfg.cfg.quorvane-save-Qq11Rr", 120);
    leave("Data/0A1B2C3D-1111-2222-3333-444455556666.fdb.quorvane-save-Mm00Nn", 120);

    QVERIFY(mUtil::saveFileAtomically(home.file("feeds.fdb"), "<categories/>"));
    const QStringList left = QDir(home.path()).entryList(QDir::Files);
    QCOMPARE(left,
        (QStringList {"AppCfg.cfg.quorvane-save-Qq11Rr", "feeds.fdb", "feeds.fdb.backup",
            "feeds.fdb.quorvane-save-Xy34Zw"}));

    QVERIFY(AppFolder::prepare());
    QVERIFY(!QFile::exists(home.file("AppCfg.cfg.quorvane-save-Qq11Rr")));
    QVERIFY(QFile::exists(home.file("feeds.fdb.quorvane-save-Xy34Zw")));
    QVERIFY(QFile::exists(home.file("feeds.fdb.backup")));
    QCOMPARE(QDir(home.file("Data")).entryList(QDir::Files), QStringList());
}

void TestUtilities::writeTextFileConvertsByCharset()
{
    TempHome home;
    // Across the pieces the conversion works in, a character stays whole.
    const QByteArray latin1 = QByteArray(1 << 20, 'a') + "caf\xe9";
    QVERIFY(mUtil::WriteTextFile(home.file("d.xml"), latin1, QStringLiteral("ISO-8859-1")));
    QCOMPARE(home.read("d.xml"), QByteArray(1 << 20, 'a') + "caf\xc3\xa9\r\n");
    const QByteArray utf8 = QByteArray((1 << 20) - 1, 'a') + "\xc3\xa9";
    QVERIFY(mUtil::WriteTextFile(home.file("d.xml"), utf8, QString()));
    QCOMPARE(home.read("d.xml"), utf8 + "\r\n");
}

void TestUtilities::readTextFileFallsBackToWindows1252()
{
    TempHome home;
    home.write("utf8.txt", QStringLiteral("café €").toUtf8());
    home.write("cp1252.txt", QByteArray("caf\xe9 \x80"));
    QCOMPARE(mUtil::ReadTextFile(home.file("utf8.txt")), QStringLiteral("café €"));
    QCOMPARE(mUtil::ReadTextFile(home.file("cp1252.txt")), QStringLiteral("café €"));
}

void TestUtilities::readTextFileMissingReports()
{
    TempHome home;
    MessageRecorder messages;
    QCOMPARE(mUtil::ReadTextFile(home.file("missing.tpl")), QString());
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().icon, Messages::Icon::Information);
    QVERIFY(messages.last().text.contains(QStringLiteral(" : \r\n\r\n")));
}

void TestUtilities::newGuidShape()
{
    const QRegularExpression shape(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString id = mUtil::NewGUID();
        QVERIFY2(shape.match(id).hasMatch(), qPrintable(id));
        seen.insert(id);
    }
    QCOMPARE(seen.size(), 50);
}

void TestUtilities::isFeedId_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("upper") << "03452C04-1698-4CF0-9D96-C9E20270F519" << true;
    QTest::newRow("lower") << "03452c04-1698-4cf0-9d96-c9e20270f519" << true;
    QTest::newRow("traversal") << "../../etc/passwd" << false;
    QTest::newRow("braces") << "{03452C04-1698-4CF0-9D96-C9E20270F519}" << false;
    QTest::newRow("suffix") << "03452C04-1698-4CF0-9D96-C9E20270F519/../x" << false;
    QTest::newRow("empty") << "" << false;
}

void TestUtilities::isFeedId()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(mUtil::isFeedId(text), valid);
}

void TestUtilities::monthNumber_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::newRow("abbrev") << "Jun"
                            << "06";
    QTest::newRow("abbrev case") << "dEC"
                                 << "12";
    QTest::newRow("full") << "January"
                          << "01";
    QTest::newRow("full spaced") << "  september "
                                 << "09";
    QTest::newRow("abbrev spaced") << " Jun"
                                   << "";
    QTest::newRow("unknown") << "Foo"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestUtilities::monthNumber()
{
    QFETCH(QString, name);
    QFETCH(QString, number);
    QCOMPARE(mUtil::MonthNumber(name), number);
}

void TestUtilities::scrambleExample()
{
    QCOMPARE(mUtil::ScrambleText(QStringLiteral("abc"), true), QStringLiteral("976068603960"));
    QCOMPARE(mUtil::ScrambleText(QStringLiteral("976068603960"), false), QStringLiteral("abc"));
    QCOMPARE(mUtil::ScrambleText(QStringLiteral("   "), true), QString());
    QCOMPARE(mUtil::ScrambleText(QStringLiteral("6330"), false), QStringLiteral("0"));
}

void TestUtilities::scrambleRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << "smtp.example.com";
    QTest::newRow("latin1") << "Pässwörd ÿ";
    QTest::newRow("cyrillic") << "Пароль";
    QTest::newRow("cjk") << "密码テスト";
    QTest::newRow("emoji") << "key 🔑 end";
}

void TestUtilities::scrambleRoundTrip()
{
    QFETCH(QString, text);
    const QString scrambled = mUtil::ScrambleText(text, true);
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9]+$")).match(scrambled).hasMatch());
    QCOMPARE(mUtil::ScrambleText(scrambled, false), text);
}

void TestUtilities::shellTarget_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("opened");
    QTest::newRow("https") << "https://example.org/a" << true;
    QTest::newRow("http") << "http://example.org" << true;
    QTest::newRow("mailto") << "mailto:someone@example.org" << true;
    QTest::newRow("javascript") << "javascript:alert(1)" << false;
    QTest::newRow("file scheme missing") << "file:///no/such/file" << false;
    QTest::newRow("other scheme") << "smb://host/share" << false;
    QTest::newRow("empty") << "" << false;
}

void TestUtilities::shellTarget()
{
    QFETCH(QString, target);
    QFETCH(bool, opened);
    QCOMPARE(!mUtil::shellTarget(target).isEmpty(), opened);
}

void TestUtilities::prepareSeedsFolderWithoutOverwriting()
{
    QTemporaryDir dir;
    AppFolder::set(dir.path());
    QVERIFY(AppFolder::prepare());
    QVERIFY(QFileInfo(dir.path() + "/Data").isDir());
    for (const char *name : {"default.fdb", "view.tpl", "email.tpl", "notify.wav", "Help.html", "feeds.fdb"})
        QVERIFY2(QFile::exists(dir.path() + "/" + name), name);
    QFile shipped(":/shipped/default.fdb");
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QFile feeds(dir.path() + "/feeds.fdb");
    QVERIFY(feeds.open(QIODevice::ReadOnly));
    QCOMPARE(feeds.readAll(), shipped.readAll());
    feeds.close();

    // An existing database and an edited template stay as they are.
    QVERIFY(feeds.open(QIODevice::WriteOnly | QIODevice::Truncate));
    feeds.write("<categories/>\r\n");
    feeds.close();
    QFile tpl(dir.path() + "/view.tpl");
    QVERIFY(tpl.open(QIODevice::WriteOnly | QIODevice::Truncate));
    tpl.write("mine");
    tpl.close();
    QVERIFY(AppFolder::prepare());
    QVERIFY(feeds.open(QIODevice::ReadOnly));
    QCOMPARE(feeds.readAll(), QByteArray("<categories/>\r\n"));
    QVERIFY(tpl.open(QIODevice::ReadOnly));
    QCOMPARE(tpl.readAll(), QByteArray("mine"));
}

void TestUtilities::resolveHonoursHomeOption()
{
    QTemporaryDir dir;
    const QString home = dir.path() + "/nested/home";
    QCOMPARE(AppFolder::resolve({"prog", "--home", home, "list"}), home + "/");
    QVERIFY(QFileInfo(home).isDir());
    QCOMPARE(AppFolder::feedDataFile("X"), home + "/Data/X.fdb");
    QCOMPARE(AppFolder::stripHomeOption({"prog", "--home", home, "list"}), QStringList({"prog", "list"}));
    qputenv("QUORVANE_HOME", QFile::encodeName(dir.path()));
    QCOMPARE(AppFolder::resolve({"prog"}), dir.path() + "/");
    qunsetenv("QUORVANE_HOME");
}

QTEST_GUILESS_MAIN(TestUtilities)
#include "tst_utilities.moc"
