// Starting with the desktop session: the per-user autostart entry written
// and removed, both entries read, and the status they give.

#include "config/Autostart.h"
#include "i18n/Languages.h"
#include "support/MessageRecorder.h"
#include "util/AppInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QString program = QStringLiteral("/opt/Quorvane/quorvane");

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray entry(const QByteArray &lines)
{
    return "[Desktop Entry]\nType=Application\nName=Some Name\n" + lines;
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        m_system = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_config->path().toUtf8());
        Autostart::setPlaces({QString(), m_system->path(), program});
    }
    void cleanup()
    {
        Autostart::setPlaces({});
        qunsetenv("XDG_CONFIG_HOME");
    }

    void userFolderFollowsXdgConfigHome_data();
    void userFolderFollowsXdgConfigHome();
    void savingWritesAndRemovesTheUserEntry();
    void removingKeepsAnotherProgramsEntry();
    void entryStartsProgram_data();
    void entryStartsProgram();
    void status_data();
    void status();
    void execLineIsQuoted_data();
    void execLineIsQuoted();
    void failedWriteIsReported();

private:
    QString userEntry() const { return m_config->path() + QStringLiteral("/autostart/quorvane.desktop"); }
    QString systemEntry() const { return m_system->path() + QStringLiteral("/quorvane.desktop"); }

    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<QTemporaryDir> m_system;
};

void TestAutostart::userFolderFollowsXdgConfigHome_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("folder");
    const QString home = QDir::homePath() + QStringLiteral("/.config/autostart");
    QTest::newRow("set") << QByteArray("/tmp/xdg-test") << QStringLiteral("/tmp/xdg-test/autostart");
    QTest::newRow("empty") << QByteArray() << home;
    // A relative value is not a valid setting.
    QTest::newRow("relative") << QByteArray("rel/config") << home;
}

void TestAutostart::userFolderFollowsXdgConfigHome()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, folder);
    qputenv("XDG_CONFIG_HOME", value);
    QCOMPARE(Autostart::userFolder(), folder);
    QCOMPARE(Autostart::userEntry(), folder + QStringLiteral("/quorvane.desktop"));
}

// Saving "autos" = 1 writes the entry that starts the program in the tray
// (over a hidden one that had turned it off); "autos" = 0 removes it.
void TestAutostart::savingWritesAndRemovesTheUserEntry()
{
    MessageRecorder messages;
    writeFile(userEntry(), entry("Exec=/opt/Quorvane/quorvane -s\nHidden=true\n"));
    QVERIFY(!Autostart::IsStartupEnabledThisUser());

    QVERIFY(Autostart::applyStartWithSystem(true));
    QCOMPARE(readFile(userEntry()),
        QByteArray("[Desktop Entry]\nType=Application\nName=Quorvane\nExec=/opt/Quorvane/quorvane -s\n"
                   "Terminal=false\nX-GNOME-Autostart-enabled=true\n"));
    QVERIFY(Autostart::IsStartupEnabledThisUser());
    // Written whole and renamed into place: no temporary file stays.
    QCOMPARE(QDir(Autostart::userFolder()).entryList(QDir::Files | QDir::Hidden),
        QStringList {QStringLiteral("quorvane.desktop")});

    QVERIFY(Autostart::applyStartWithSystem(false));
    QVERIFY(!QFileInfo::exists(userEntry()));
    QVERIFY(!Autostart::IsStartupEnabledThisUser());
    QVERIFY(Autostart::applyStartWithSystem(false));
    QCOMPARE(messages.count(), 0);
}

void TestAutostart::removingKeepsAnotherProgramsEntry()
{
    const QByteArray foreign = entry("Exec=/usr/bin/otherreader --tray\n");
    writeFile(userEntry(), foreign);
    QVERIFY(Autostart::applyStartWithSystem(false));
    QCOMPARE(readFile(userEntry()), foreign);
}

void TestAutostart::entryStartsProgram_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("starts");
    QTest::newRow("names the program") << entry("Exec=/opt/Quorvane/quorvane -s\n") << true;
    QTest::newRow("other letter case") << entry("Exec=/usr/local/bin/QUORVANE\n") << true;
    QTest::newRow("quoted path") << entry("Exec=\"/home/a b/Quorvane\" -s\n") << true;
    QTest::newRow("blanks around =") << entry("Exec = quorvane\n") << true;
    QTest::newRow("another program") << entry("Exec=/usr/bin/otherreader\n") << false;
    QTest::newRow("hidden") << entry("Exec=quorvane -s\nHidden=true\n") << false;
    QTest::newRow("hidden, other case") << entry("Exec=quorvane -s\nHidden=True\n") << false;
    QTest::newRow("not hidden") << entry("Exec=quorvane -s\nHidden=false\n") << true;
    QTest::newRow("hidden, CR LF") << QByteArray("[Desktop Entry]\r\nExec=quorvane\r\nHidden=true\r\n")
                                   << false;
    QTest::newRow("no Exec") << entry("TryExec=quorvane\n") << false;
    QTest::newRow("Exec of an action only")
        << entry("Exec=otherreader\n[Desktop Action tray]\nExec=quorvane -s\n") << false;
    QTest::newRow("no group") << QByteArray("Exec=quorvane\n") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestAutostart::entryStartsProgram()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, starts);
    writeFile(userEntry(), content);
    QCOMPARE(Autostart::entryStartsProgram(userEntry()), starts);
}

void TestAutostart::status_data()
{
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("system");
    QTest::addColumn<QString>("key");
    const QByteArray ours = entry("Exec=/opt/Quorvane/quorvane -s\n");
    const QByteArray other = entry("Exec=/usr/bin/otherreader\n");
    const QByteArray hidden = entry("Hidden=true\n");
    QTest::newRow("none") << QByteArray() << QByteArray() << "MSG_APPSETTINGS_DISABLED";
    QTest::newRow("this user") << ours << QByteArray() << "MSG_APPSETTINGS_THISUSER";
    QTest::newRow("all users") << QByteArray() << ours << "MSG_APPSETTINGS_ALLUSERS";
    QTest::newRow("both") << ours << ours << "MSG_APPSETTINGS_ALLUSERS";
    QTest::newRow("other program") << other << other << "MSG_APPSETTINGS_DISABLED";
    QTest::newRow("other letter case")
        << entry("Exec=/OPT/QUORVANE/QUORVANE\n") << QByteArray() << "MSG_APPSETTINGS_THISUSER";
    // A hidden per-user entry turns the all-users one off for this user.
    QTest::newRow("all users, hidden here") << hidden << ours << "MSG_APPSETTINGS_DISABLED";
}

void TestAutostart::status()
{
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, system);
    QFETCH(QString, key);
    if (!user.isEmpty())
        writeFile(userEntry(), user);
    if (!system.isEmpty())
        writeFile(systemEntry(), system);
    QCOMPARE(Autostart::startupStatus(), getMessages(key));
}

void TestAutostart::execLineIsQuoted_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain") << "/usr/bin/quorvane"
                           << "/usr/bin/quorvane";
    QTest::newRow("blank") << "/home/a b/quorvane"
                           << "\"/home/a b/quorvane\"";
    QTest::newRow("field code") << "/opt/100%/quorvane"
                                << "/opt/100%%/quorvane";
    // Escaped for the quotes, then the backslash again for the value.
    QTest::newRow("dollar") << "/opt/$x/quorvane"
                            << "\"/opt/\\\\$x/quorvane\"";
    QTest::newRow("quote") << "/opt/a\"b/quorvane"
                           << "\"/opt/a\\\\\"b/quorvane\"";
}

void TestAutostart::execLineIsQuoted()
{
    QFETCH(QString, executable);
    QFETCH(QString, exec);
    Autostart::setPlaces({QString(), m_system->path(), executable});
    QVERIFY(Autostart::applyStartWithSystem(true));
    QVERIFY(QString::fromUtf8(readFile(userEntry())).contains(QStringLiteral("\nExec=%1 -s\n").arg(exec)));
    QVERIFY(Autostart::IsStartupEnabledThisUser());
}

void TestAutostart::failedWriteIsReported()
{
    MessageRecorder messages;
    const QString blocker = m_config->path() + QStringLiteral("/file");
    writeFile(blocker, "not a folder");
    Autostart::setPlaces({blocker + QStringLiteral("/autostart"), m_system->path(), program});
    QVERIFY(!Autostart::applyStartWithSystem(true));
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().icon, Messages::Icon::Exclamation);
    QCOMPARE(messages.last().title, AppInfo::title());
    const QString text = getMessages(QStringLiteral("MSG_APPSETTINGS_ENTRYNOTSAVED"));
    QVERIFY(messages.last().text.startsWith(text.left(text.indexOf(QLatin1Char('"')))));
    QVERIFY(messages.last().text.contains(QDir::toNativeSeparators(Autostart::userEntry())));
}

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
