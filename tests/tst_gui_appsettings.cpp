// The application settings dialog: the "app" settings shown and saved, the
// start-up entry it makes or removes and the status it shows, and the way
// out of the tray that the confirm-close dialog can leave the user in.

#include "config/Autostart.h"
#include "config/Settings.h"
#include "config/ui/frmAppSettings.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "shell/frmConfirmClose.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace ShellFixture;

namespace
{

template<typename T> T *control(QWidget *window, const QString &name, int index = -1)
{
    for (T *found : window->findChildren<T *>(name)) {
        if (index < 0 || found->property("index").toInt() == index)
            return found;
    }
    return nullptr;
}

void writeEntry(const QString &path, const QByteArray &exec)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nExec=" + exec + "\n");
}

} // namespace

class TestGuiAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(m_settings); }

    void init()
    {
        m_home = std::make_unique<TempHome>();
        m_messages = std::make_unique<MessageRecorder>();
        m_user = std::make_unique<QTemporaryDir>();
        m_system = std::make_unique<QTemporaryDir>();
        Autostart::setPlaces({m_user->path(), m_system->path(), QStringLiteral("/opt/Quorvane/quorvane")});
    }

    void cleanup()
    {
        Autostart::setPlaces({});
        m_system.reset();
        m_user.reset();
        m_messages.reset();
        m_home.reset();
    }

    void fillsFromTheSettings_data();
    void fillsFromTheSettings();
    void designTextsAreTranslatable();
    void statusShowsTheStartupEntry_data();
    void statusShowsTheStartupEntry();
    void okSavesAndConfirms_data();
    void okSavesAndConfirms();
    void cancelSavesNothing();
    void startupEntryFollowsTheCheckBox();
    void failedStartupEntryKeepsTheDialog();
    void closeCompletelyLeavesTheTray();

private:
    QString userEntry() const { return m_user->path() + QStringLiteral("/quorvane.desktop"); }
    QString config() const { return QString::fromUtf8(m_home->read(QStringLiteral("AppCfg.cfg"))); }
    void pressOk(frmAppSettings &dialog) const
    {
        control<QPushButton>(&dialog, QStringLiteral("btnOK"))->click();
    }

    QTemporaryDir m_settings;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<QTemporaryDir> m_user;
    std::unique_ptr<QTemporaryDir> m_system;
};

void TestGuiAppSettings::fillsFromTheSettings_data()
{
    QTest::addColumn<QByteArray>("app"); // the "app" section, empty for none
    QTest::addColumn<bool>("startup");
    QTest::addColumn<int>("option");
    QTest::newRow("no app keys") << QByteArray() << false << 1;
    QTest::newRow("start, close") << QByteArray("autos=1\r\nclose=1\r\nmins=0\r\n") << true << 0;
    QTest::newRow("minimise") << QByteArray("autos=0\r\nclose=0\r\nmins=1\r\n") << false << 1;
    // Edited by hand: the option shown is what closing does.
    QTest::newRow("both") << QByteArray("close=1\r\nmins=1\r\n") << false << 0;
    QTest::newRow("neither") << QByteArray("close=0\r\nmins=0\r\n") << false << 1;
}

void TestGuiAppSettings::fillsFromTheSettings()
{
    QFETCH(QByteArray, app);
    QFETCH(bool, startup);
    QFETCH(int, option);
    if (!app.isEmpty())
        m_home->write(QStringLiteral("AppCfg.cfg"), "[app]\r\n" + app);
    frmAppSettings dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("frmAppSettings"));
    QCOMPARE(dialog.windowTitle(), getMessages(QStringLiteral("CAPTION_FRMAPPSETTINGS")));
    QVERIFY(control<QPushButton>(&dialog, QStringLiteral("btnCancel")));
    QCOMPARE(control<QCheckBox>(&dialog, QStringLiteral("chkStartup"))->isChecked(), startup);
    QVERIFY(control<QRadioButton>(&dialog, QStringLiteral("optClose"), option)->isChecked());
    QVERIFY(!control<QRadioButton>(&dialog, QStringLiteral("optClose"), 1 - option)->isChecked());
}

// The status is the program's own text; every other text is translatable.
void TestGuiAppSettings::designTextsAreTranslatable()
{
    frmAppSettings dialog;
    QStringList keys;
    for (const auto &item : WindowTexts::collect(&dialog))
        keys << item.first.toUpper();
    QCOMPARE(keys,
        (QStringList {"FRMAPPSETTINGS_FRASTARTUP", "FRMAPPSETTINGS_CHKSTARTUP", "FRMAPPSETTINGS_FRACLOSING",
            "FRMAPPSETTINGS_OPTCLOSE0", "FRMAPPSETTINGS_OPTCLOSE1", "FRMAPPSETTINGS_BTNOK",
            "FRMAPPSETTINGS_BTNCANCEL", "FRMAPPSETTINGS_CAPTION"}));
}

void TestGuiAppSettings::statusShowsTheStartupEntry_data()
{
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("system");
    QTest::addColumn<QString>("key");
    QTest::newRow("none") << QByteArray() << QByteArray() << "MSG_APPSETTINGS_DISABLED";
    QTest::newRow("this user") << QByteArray("/opt/Quorvane/QUORVANE -s") << QByteArray()
                               << "MSG_APPSETTINGS_THISUSER";
    QTest::newRow("both") << QByteArray("quorvane -s") << QByteArray("quorvane")
                          << "MSG_APPSETTINGS_ALLUSERS";
    QTest::newRow("another program") << QByteArray("/usr/bin/otherreader") << QByteArray()
                                     << "MSG_APPSETTINGS_DISABLED";
}

void TestGuiAppSettings::statusShowsTheStartupEntry()
{
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, system);
    QFETCH(QString, key);
    if (!user.isEmpty())
        writeEntry(userEntry(), user);
    if (!system.isEmpty())
        writeEntry(m_system->path() + QStringLiteral("/quorvane.desktop"), system);
    frmAppSettings dialog;
    QCOMPARE(control<QLabel>(&dialog, QStringLiteral("lblRunAtStart"))->text(), getMessages(key));
}

void TestGuiAppSettings::okSavesAndConfirms_data()
{
    QTest::addColumn<bool>("startup");
    QTest::addColumn<int>("option");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("close completely") << false << 0 << QStringList {"autos=0", "close=1", "mins=0"};
    QTest::newRow("minimise, start") << true << 1 << QStringList {"autos=1", "close=0", "mins=1"};
}

void TestGuiAppSettings::okSavesAndConfirms()
{
    QFETCH(bool, startup);
    QFETCH(int, option);
    QFETCH(QStringList, stored);
    frmAppSettings dialog;
    dialog.show();
    control<QCheckBox>(&dialog, QStringLiteral("chkStartup"))->setChecked(startup);
    control<QRadioButton>(&dialog, QStringLiteral("optClose"), option)->click();
    pressOk(dialog);

    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    for (const QString &line : stored)
        QVERIFY2(config().contains(line), qPrintable(line));
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Information);
    QCOMPARE(m_messages->last().title, getMessages(QStringLiteral("MSG_DONE")));
    QCOMPARE(m_messages->last().text, getMessages(QStringLiteral("MSG_APPSAVED")));
}

void TestGuiAppSettings::cancelSavesNothing()
{
    frmAppSettings dialog;
    dialog.show();
    control<QCheckBox>(&dialog, QStringLiteral("chkStartup"))->setChecked(true);
    control<QRadioButton>(&dialog, QStringLiteral("optClose"), 0)->click();
    control<QPushButton>(&dialog, QStringLiteral("btnCancel"))->click();
    QVERIFY(!dialog.isVisible());
    QVERIFY(!QFileInfo::exists(m_home->file(QStringLiteral("AppCfg.cfg"))));
    QVERIFY(!QFileInfo::exists(userEntry()));
    QCOMPARE(m_messages->count(), 0);
}

// Saving "autos" = 1 registers the program to start in the tray; saving 0
// takes the entry away again.
void TestGuiAppSettings::startupEntryFollowsTheCheckBox()
{
    {
        frmAppSettings dialog;
        control<QCheckBox>(&dialog, QStringLiteral("chkStartup"))->setChecked(true);
        pressOk(dialog);
    }
    QFile entry(userEntry());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("\nExec=/opt/Quorvane/quorvane -s\n"));
    entry.close();

    frmAppSettings again;
    QVERIFY(control<QCheckBox>(&again, QStringLiteral("chkStartup"))->isChecked());
    QCOMPARE(control<QLabel>(&again, QStringLiteral("lblRunAtStart"))->text(),
        getMessages(QStringLiteral("MSG_APPSETTINGS_THISUSER")));
    control<QCheckBox>(&again, QStringLiteral("chkStartup"))->setChecked(false);
    pressOk(again);
    QVERIFY(!QFileInfo::exists(userEntry()));
    QVERIFY(config().contains(QStringLiteral("autos=0")));
}

void TestGuiAppSettings::failedStartupEntryKeepsTheDialog()
{
    const QString blocker = m_user->path() + QStringLiteral("/file");
    writeEntry(blocker, "x");
    Autostart::setPlaces(
        {blocker + QStringLiteral("/autostart"), m_system->path(), QStringLiteral("quorvane")});
    frmAppSettings dialog;
    dialog.show();
    control<QCheckBox>(&dialog, QStringLiteral("chkStartup"))->setChecked(true);
    pressOk(dialog);
    QVERIFY(dialog.isVisible());
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Exclamation);
    // Nothing claims the program starts with the session.
    QVERIFY(!QFileInfo::exists(m_home->file(QStringLiteral("AppCfg.cfg"))));
}

// "Don't show this Reminder again." with "Keep Running" leaves every close
// in the tray; choosing "Close Completely." here makes closing exit again.
void TestGuiAppSettings::closeCompletelyLeavesTheTray()
{
    {
        frmConfirmClose confirm;
        control<QCheckBox>(&confirm, QStringLiteral("chkDontShow"))->setChecked(true);
        control<QPushButton>(&confirm, QStringLiteral("btnOK"), 1)->click();
    }
    QVERIFY(!closeDecision(nullptr));

    frmAppSettings dialog;
    QVERIFY(control<QRadioButton>(&dialog, QStringLiteral("optClose"), 1)->isChecked());
    control<QRadioButton>(&dialog, QStringLiteral("optClose"), 0)->click();
    pressOk(dialog);
    QVERIFY(closeDecision(nullptr));
    QVERIFY(config().contains(QStringLiteral("confirm=0")));
}

QTEST_MAIN(TestGuiAppSettings)
#include "tst_gui_appsettings.moc"
