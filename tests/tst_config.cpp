#include "config/Ini.h"
#include "config/Settings.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "support/Unsavable.h"
#include "util/FileLock.h"

#include <QtTest>

class TestConfig : public QObject
{
    Q_OBJECT
private slots:
    void init() { mINI::Reset(); }
    void stateNotSetRaises670();
    void escapeRoundTrip_data();
    void escapeRoundTrip();
    void crlfStoredWithEscapeOnOneLine();
    void defaultsAndKeyNames();
    void writeKeepsOtherSectionsAndKeys();
    void defaultsOfMissingFile();
    void emailGroupStoredScrambled();
    void schedulerRewrittenFromScratch();
    void schedulerLoadsManyFeeds();
    void schedulerGapEndsLoadWithErrorBox();
    void schedulerSaveCallsHookAndConfirms();
    void failedSavesAreReported();
    void backgroundSaveWaitsForTheLockNotTheCaller();
};

void TestConfig::stateNotSetRaises670()
{
    try {
        mINI::ReadINIValue("a", "b", "c");
        QFAIL("no error raised");
    } catch (const mINI::IniError &e) {
        QCOMPARE(e.number, 670);
        QCOMPARE(e.source, QStringLiteral("INIReadWrite"));
        QCOMPARE(e.description, QStringLiteral("Buffer size not set"));
    }
    mINI::SetINIFile(QString(), 5000);
    try {
        mINI::WriteINIValue("a", "b", "c");
        QFAIL("no error raised");
    } catch (const mINI::IniError &e) {
        QCOMPARE(e.description, QStringLiteral("Filename not set"));
    }
}

void TestConfig::escapeRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("crlf") << "line one\r\nline two";
    QTest::newRow("lone lf") << "a\nb";
    QTest::newRow("lone cr") << "a\rb";
    QTest::newRow("mixed") << "a\r\n\nb\r";
    QTest::newRow("unicode") << "Ünïcødé ✓ Пример";
    QTest::newRow("equals") << "a=b=c";
}

void TestConfig::escapeRoundTrip()
{
    QFETCH(QString, value);
    TempHome home;
    mINI::SetINIFile(home.file("t.cfg"), 5000);
    mINI::WriteINIValue("s", "k", value);
    mINI::WriteINIValue("s", "after", "x");
    QCOMPARE(mINI::ReadINIValue("s", "k", ""), value);
    QCOMPARE(mINI::ReadINIValue("s", "after", ""), QStringLiteral("x"));
}

void TestConfig::crlfStoredWithEscapeOnOneLine()
{
    TempHome home;
    mINI::SetINIFile(home.file("t.cfg"), 5000);
    mINI::WriteINIValue("app", "msg", "one\r\ntwo");
    mINI::WriteINIValue("app", "n", -1);
    QCOMPARE(home.read("t.cfg"), QByteArray("[app]\r\nmsg=one%%&&Chr(13)&&%%two\r\nn=-1\r\n"));
}

void TestConfig::defaultsAndKeyNames()
{
    TempHome home;
    mINI::SetINIFile(home.file("t.cfg"), 5000);
    QCOMPARE(mINI::ReadINIValue("s", "k", "1"), QStringLiteral("1"));
    QCOMPARE(mINI::ReadINIValue("s", "k", ""), QString());
    QCOMPARE(mINI::ReadINIKeyNames("s"), QString());
    mINI::WriteINIValue("s", "b", "1");
    mINI::WriteINIValue("s", "a", "2");
    QCOMPARE(mINI::ReadINIKeyNames("s"), QStringLiteral("b") + QChar(0) + QStringLiteral("a"));
    QCOMPARE(mINI::ReadINIValue("S", "B", ""), QStringLiteral("1")); // names ignore letter case
}

void TestConfig::writeKeepsOtherSectionsAndKeys()
{
    TempHome home;
    home.write("t.cfg", "; comment\r\n[one]\r\na=1\r\n\r\n[two]\r\nb=2\r\n");
    mINI::SetINIFile(home.file("t.cfg"), 5000);
    mINI::WriteINIValue("one", "c", "3");
    mINI::WriteINIValue("two", "b", "20");
    mINI::DeleteINISection("missing");
    QCOMPARE(home.read("t.cfg"), QByteArray("; comment\r\n[one]\r\na=1\r\nc=3\r\n\r\n[two]\r\nb=20\r\n"));
    mINI::DeleteINISection("one");
    QCOMPARE(home.read("t.cfg"), QByteArray("; comment\r\n[two]\r\nb=20\r\n"));
}

void TestConfig::defaultsOfMissingFile()
{
    TempHome home;
    mSettings::LoadSchedulerSettings(true);
    const auto &s = mSettings::scheduler();
    QCOMPARE(s.Enabled, qint16(0));
    QCOMPARE(s.Interval, qint16(-1));
    QCOMPARE(s.Alert, qint16(1));
    QCOMPARE(s.Sound, qint16(0));
    QCOMPARE(s.SoundFile, home.file("notify.wav"));
    QVERIFY(s.Feeds.isEmpty());
    mSettings::LoadEmailSettings();
    QCOMPARE(mSettings::email().Server, QString());
    QCOMPARE(mSettings::email().Authentication, qint16(0));
    QVERIFY(mSettings::ReadConfirmOnClose());
    QVERIFY(mSettings::ReadCloseCompletely());
    mSettings::LoadAppSettings();
    QCOMPARE(mSettings::app().CloseCompletely, qint16(0));
    QCOMPARE(mSettings::app().MinimizeToTray, qint16(1));
    QCOMPARE(mSettings::app().StartWithSystem, qint16(0));
    QVERIFY(!QFile::exists(home.file("AppCfg.cfg")));
}

void TestConfig::emailGroupStoredScrambled()
{
    TempHome home;
    MessageRecorder messages;
    auto &e = mSettings::email();
    e = {};
    e.Server = "smtp.example.org";
    e.Port = "587";
    e.Authentication = 1;
    e.UserName = "   ";
    e.Password = "пароль🔑";
    mSettings::SaveEmailSettings(true);
    QCOMPARE(messages.last().title, QStringLiteral("Done!"));
    QCOMPARE(messages.last().text, QStringLiteral("Email Settings are Successfully Saved!"));
    const QByteArray file = home.read("AppCfg.cfg");
    QVERIFY(!file.contains("smtp"));
    QVERIFY(file.contains("us=\r\n"));
    e = {};
    mSettings::LoadEmailSettings();
    QCOMPARE(e.Server, QStringLiteral("smtp.example.org"));
    QCOMPARE(e.Port, QStringLiteral("587"));
    QCOMPARE(e.Authentication, qint16(1));
    QCOMPARE(e.UserName, QString());
    QCOMPARE(e.Password, QStringLiteral("пароль🔑"));
}

static FeedRecord feed(int n)
{
    return FeedRecord {QString(), QStringLiteral("http://example.org/%1").arg(n), qint16(n % 3),
        QStringLiteral("00000000-0000-0000-0000-%1").arg(n, 12, 10, QLatin1Char('0')),
        QStringLiteral("Feed %1").arg(n)};
}

void TestConfig::schedulerRewrittenFromScratch()
{
    TempHome home;
    auto &s = mSettings::scheduler();
    s.Enabled = 1;
    s.Interval = 3;
    s.Feeds = {feed(1), feed(2), feed(3), feed(4), feed(5)};
    mSettings::SaveSchedulerSettings(false);
    s.Feeds = {feed(1), feed(2), feed(3)};
    mSettings::SaveSchedulerSettings(false);
    const QByteArray file = home.read("AppCfg.cfg");
    QVERIFY(file.contains("s_3="));
    QVERIFY(!file.contains("s_4="));
    QVERIFY(file.contains(QStringLiteral("s_1=1\x05"
                                         "00000000-0000-0000-0000-000000000001\x05"
                                         "http://example.org/1\x05"
                                         "Feed 1")
                              .toUtf8()));
    s = {};
    QVERIFY(mSettings::LoadSchedulerSettings(true));
    QCOMPARE(s.Enabled, qint16(1));
    QCOMPARE(s.Interval, qint16(3));
    QCOMPARE(s.Feeds, (QList<FeedRecord> {feed(1), feed(2), feed(3)}));
}

void TestConfig::schedulerLoadsManyFeeds()
{
    TempHome home;
    auto &s = mSettings::scheduler();
    s = {};
    for (int n = 1; n <= 150; ++n)
        s.Feeds.append(feed(n));
    mSettings::SaveSchedulerSettings(false);
    s.Feeds.clear();
    QVERIFY(mSettings::LoadSchedulerSettings(true));
    QCOMPARE(s.Feeds.size(), 150);
    QCOMPARE(s.Feeds.last(), feed(150));
}

void TestConfig::schedulerGapEndsLoadWithErrorBox()
{
    TempHome home;
    MessageRecorder messages;
    home.write("AppCfg.cfg",
        QStringLiteral("[schdl]\r\nena=1\r\ns_1=0\x05ID1\x05http://a\x05"
                       "A\r\n"
                       "s_3=0\x05ID3\x05http://c\x05"
                       "C\r\n")
            .toUtf8());
    QVERIFY(!mSettings::LoadSchedulerSettings(true));
    QCOMPARE(mSettings::scheduler().Feeds.size(), 1);
    QCOMPARE(mSettings::scheduler().Feeds.first().FeedCaption, QStringLiteral("A"));
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().title, QStringLiteral("LoadSchedulerSettings Function"));
    QCOMPARE(messages.last().icon, Messages::Icon::Critical);
    QVERIFY(messages.last().text.startsWith(QStringLiteral("Error on Line ")));
}

void TestConfig::schedulerSaveCallsHookAndConfirms()
{
    TempHome home;
    MessageRecorder messages;
    int calls = 0;
    mSettings::setSchedulerSavedHook([&] { ++calls; });
    mSettings::SaveSchedulerSettings(true);
    mSettings::setSchedulerSavedHook({});
    QCOMPARE(calls, 1);
    QCOMPARE(messages.last().text,
        QStringLiteral("Scheduler Settings are Successfully saved to Application Configuration file!"));
}

// A save the file refuses says so and is not confirmed, and the timer is
// not re-armed from settings that were never stored.
void TestConfig::failedSavesAreReported()
{
    TempHome home;
    MessageRecorder messages;
    mSettings::SaveSchedulerSettings(false);
    const QByteArray before = home.read("AppCfg.cfg");
    const Unsavable locked(home.file("AppCfg.cfg"));
    if (!locked.active())
        QSKIP("AppCfg.cfg cannot be made unsavable here");
    int calls = 0;
    mSettings::setSchedulerSavedHook([&] { ++calls; });
    mSettings::scheduler().Enabled = 1;
    QVERIFY(!mSettings::SaveSchedulerSettings(true));
    QVERIFY(!mSettings::SaveAppSettings(true));
    QVERIFY(!mSettings::SaveEmailSettings(true));
    QVERIFY(!mSettings::WriteConfirmOnClose(false));
    mSettings::setSchedulerSavedHook({});
    QCOMPARE(calls, 0);
    QCOMPARE(messages.titles(), QStringList(4, QStringLiteral("Error !")));
    QVERIFY(messages.last().text.contains(QStringLiteral("AppCfg.cfg")));
    QCOMPARE(home.read("AppCfg.cfg"), before);
}

QTEST_GUILESS_MAIN(TestConfig)
// In the background a save returns at once while another writer holds the
// folder's lock; the file, the confirmation and the hook follow its end.
void TestConfig::backgroundSaveWaitsForTheLockNotTheCaller()
{
    TempHome home;
    MessageRecorder messages;
    mSettings::setBackgroundSaves(true);
    int calls = 0;
    mSettings::setSchedulerSavedHook([&] { ++calls; });
    auto other = std::make_unique<FileLock>(home.file("AppCfg.cfg"));
    QVERIFY(other->isLocked());
    mSettings::scheduler().Interval = 4;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(mSettings::SaveSchedulerSettings(true));
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(calls, 0);
    QVERIFY(messages.titles().isEmpty());
    other.reset();
    mSettings::waitForSaves();
    mSettings::setBackgroundSaves(false);
    mSettings::setSchedulerSavedHook({});
    QCOMPARE(calls, 1);
    QVERIFY(home.read("AppCfg.cfg").contains("frq=4"));
    QCOMPARE(messages.last().text,
        QStringLiteral("Scheduler Settings are Successfully saved to Application Configuration file!"));
}

#include "tst_config.moc"
