#include "config/Settings.h"

#include "config/Ini.h"
#include "config/SettingsKeys.h"
#include "i18n/Languages.h"
#include "util/AppFolder.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/StoreThread.h"
#include "util/Utilities.h"

#include <QCoreApplication>

namespace mSettings
{

namespace
{

using namespace SettingsKeys;

const QString emailSection = MailServer.groupName();
const QString appSection = StartWithSystem.groupName();
const QString schedulerSection = ScheduleEnabled.groupName();
const QChar fieldSeparator = QChar(5);

std::function<void()> &schedulerSavedHook()
{
    static std::function<void()> hook;
    return hook;
}

void useConfigFile()
{
    mINI::SetINIFile(configFile(), 5000);
}

QString read(const SettingKey &key)
{
    return mINI::ReadINIValue(key.groupName(), key.keyName(), key.fallback());
}

qint16 readInt(const SettingKey &key)
{
    return qint16(read(key).toInt());
}

QString readScrambled(const SettingKey &key)
{
    return mUtil::ScrambleText(read(key), false);
}

mINI::Entry scrambled(const SettingKey &key, const QString &value)
{
    return {key.keyName(), mUtil::ScrambleText(value, true)};
}

mINI::Entry number(const SettingKey &key, int value)
{
    return {key.keyName(), QString::number(value)};
}

// A save that failed has said so already; only a save that worked is
// confirmed.
bool confirmSaved(bool saved, bool showMessage, const QString &text)
{
    if (saved && showMessage)
        Messages::information(getMessages(Msg::DONE), text);
    return saved;
}

bool backgroundSaves = false;
int pendingSaves = 0;

struct GroupSaved {
    bool ok = false;
    QList<Messages::Box> boxes;
};

// Writes a group's entries (the group anew when replace is true), confirms
// a save that worked and runs after. In the background the save runs on
// the store thread and the answer is true once it is asked for; its boxes,
// the confirmation and after come when it is done.
bool saveGroup(const QString &section, const QList<mINI::Entry> &entries, bool replace, bool showMessage,
    const QString &confirmation, const std::function<void()> &after = {})
{
    const QString path = configFile();
    const auto finish = [showMessage, confirmation, after](bool saved) {
        confirmSaved(saved, showMessage, confirmation);
        if (saved && after)
            after();
        return saved;
    };
    if (!backgroundSaves)
        return finish(mINI::writeINISectionOf(path, section, entries, replace));
    ++pendingSaves;
    StoreThread::run<GroupSaved>(
        QCoreApplication::instance(),
        [path, section, entries, replace] {
            Messages::Capture capture;
            GroupSaved saved;
            saved.ok = mINI::writeINISectionOf(path, section, entries, replace);
            saved.boxes = capture.take();
            return saved;
        },
        [finish](const GroupSaved &saved) {
            --pendingSaves;
            Messages::Capture::replay(saved.boxes);
            finish(saved.ok);
        });
    return true;
}

} // namespace

EmailSettings &email()
{
    static EmailSettings value;
    return value;
}

AppSettings &app()
{
    static AppSettings value;
    return value;
}

SchedulerSettings &scheduler()
{
    static SchedulerSettings value;
    return value;
}

QString configFile()
{
    return AppFolder::file(QStringLiteral("AppCfg.cfg"));
}

void setBackgroundSaves(bool background)
{
    backgroundSaves = background;
}

void waitForSaves()
{
    while (pendingSaves > 0) {
        StoreThread::drain();
        QCoreApplication::sendPostedEvents();
    }
}

void setSchedulerSavedHook(std::function<void()> hook)
{
    schedulerSavedHook() = std::move(hook);
}

void LoadEmailSettings()
{
    useConfigFile();
    EmailSettings &e = email();
    e.Server = readScrambled(MailServer);
    e.Port = readScrambled(MailPort);
    e.Authentication = qint16(readScrambled(MailAuthentication).toInt());
    e.UserName = readScrambled(MailUser);
    e.Password = readScrambled(MailPassword);
    e.FromName = readScrambled(MailFromName);
    e.FromEmail = readScrambled(MailFromAddress);
}

bool SaveEmailSettings(bool showMessage)
{
    useConfigFile();
    const EmailSettings &e = email();
    return saveGroup(emailSection,
        {scrambled(MailServer, e.Server), scrambled(MailPort, e.Port),
            scrambled(MailAuthentication, QString::number(e.Authentication)), scrambled(MailUser, e.UserName),
            scrambled(MailPassword, e.Password), scrambled(MailFromName, e.FromName),
            scrambled(MailFromAddress, e.FromEmail)},
        false, showMessage, getMessages(Msg::EMAILSAVED));
}

void LoadAppSettings()
{
    useConfigFile();
    AppSettings &a = app();
    a.StartWithSystem = readInt(StartWithSystem);
    a.CloseCompletely = readInt(CloseCompletely);
    a.MinimizeToTray = readInt(MinimizeToTray);
}

bool SaveAppSettings(bool showMessage)
{
    useConfigFile();
    const AppSettings &a = app();
    return saveGroup(appSection,
        {number(StartWithSystem, a.StartWithSystem), number(CloseCompletely, a.CloseCompletely),
            number(MinimizeToTray, a.MinimizeToTray)},
        false, showMessage, getMessages(Msg::APPSAVED));
}

bool ReadConfirmOnClose()
{
    useConfigFile();
    app().ConfirmOnClose = readInt(ConfirmOnClose) == 1;
    return app().ConfirmOnClose;
}

bool WriteConfirmOnClose(bool confirm)
{
    useConfigFile();
    app().ConfirmOnClose = confirm;
    return saveGroup(appSection, {number(ConfirmOnClose, confirm ? 1 : 0)}, false, false, QString());
}

bool ReadCloseCompletely()
{
    useConfigFile();
    app().CloseCompletely = readInt(CloseCompletelyOnClose);
    return app().CloseCompletely == 1;
}

SchedulerSettings readSchedulerSettings(
    const QString &path, const QString &folder, bool loadFeeds, QString *problem)
{
    SchedulerSettings s;
    // The whole group in one read of the file.
    const QList<mINI::Entry> group = mINI::readINISectionOf(path, schedulerSection);
    const auto value = [&group](const SettingKey &key, const QString &fallback = QString()) {
        return mINI::findINIValue(
            group, key.keyName(), fallback.isNull() ? QString(key.fallback()) : fallback);
    };
    s.Enabled = qint16(value(ScheduleEnabled).toInt());
    s.Interval = qint16(value(ScheduleInterval).toInt());
    s.Alert = qint16(value(ScheduleAlert).toInt());
    s.Sound = qint16(value(ScheduleSound).toInt());
    s.SoundFile = value(ScheduleSoundFile, mUtil::AddBackslash(folder) + QStringLiteral("notify.wav"));
    if (!loadFeeds)
        return s;

    // Every scheduled feed is loaded, however many there are; the keys are
    // read by count ("s_1", "s_2", ...), not by name.
    const auto count = std::count_if(
        group.begin(), group.end(), [](const mINI::Entry &e) { return e.first.contains(QLatin1Char('_')); });
    for (qsizetype k = 1; k <= count; ++k) {
        const QString key = QStringLiteral("s_%1").arg(k);
        const QStringList fields = mINI::findINIValue(group, key, QString()).split(fieldSeparator);
        if (fields.size() < 4) {
            if (problem)
                *problem = getMessages(Msg::ERR_SUBSCRIPT).arg(key);
            return s;
        }
        FeedRecord record;
        record.FeedType = qint16(fields.at(0).toInt());
        record.FeedID = fields.at(1);
        record.FeedURL = fields.at(2);
        record.FeedCaption = fields.at(3);
        s.Feeds.append(record);
    }
    return s;
}

bool LoadSchedulerSettings(bool loadFeeds)
{
    useConfigFile();
    QString problem;
    scheduler() = readSchedulerSettings(configFile(), AppFolder::path(), loadFeeds, &problem);
    if (problem.isEmpty())
        return true;
    Messages::runtimeError(QStringLiteral("LoadSchedulerSettings"), problem);
    return false;
}

QString feedRecordToText(const FeedRecord &record)
{
    return QString::number(record.FeedType) + fieldSeparator + record.FeedID + fieldSeparator + record.FeedURL
        + fieldSeparator + record.FeedCaption;
}

bool SaveSchedulerSettings(bool showMessage)
{
    useConfigFile();
    const SchedulerSettings &s = scheduler();
    QList<mINI::Entry> group {number(ScheduleEnabled, s.Enabled), number(ScheduleInterval, s.Interval),
        number(ScheduleAlert, s.Alert), number(ScheduleSound, s.Sound),
        {ScheduleSoundFile.keyName(), s.SoundFile}};
    for (int k = 0; k < s.Feeds.size(); ++k)
        group.append({QStringLiteral("s_%1").arg(k + 1), feedRecordToText(s.Feeds.at(k))});
    // The section is written anew, in one save, so feeds taken off the
    // schedule leave no keys and a crash cannot lose the schedule.
    return saveGroup(schedulerSection, group, true, showMessage, getMessages(Msg::SCHEDULERSAVED), [] {
        if (schedulerSavedHook())
            schedulerSavedHook()();
    });
}

} // namespace mSettings
