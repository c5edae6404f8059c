#include "config/Settings.h"

#include "config/Ini.h"
#include "i18n/Languages.h"
#include "util/AppFolder.h"
#include "util/Messages.h"
#include "util/Utilities.h"

namespace mSettings
{

namespace
{

const QString emailSection = QStringLiteral("email");
const QString appSection = QStringLiteral("app");
const QString schedulerSection = QStringLiteral("schdl");
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

QString read(const QString &section, const QString &key, const QString &defaultValue)
{
    return mINI::ReadINIValue(section, key, defaultValue);
}

qint16 readInt(const QString &section, const QString &key, const QString &defaultValue)
{
    return qint16(read(section, key, defaultValue).toInt());
}

QString readScrambled(const QString &key, const QString &defaultValue = QString())
{
    return mUtil::ScrambleText(read(emailSection, key, defaultValue), false);
}

mINI::Entry scrambled(const QString &key, const QString &value)
{
    return {key, mUtil::ScrambleText(value, true)};
}

mINI::Entry number(const QString &key, int value)
{
    return {key, QString::number(value)};
}

// A save that failed has said so already; only a save that worked is
// confirmed.
bool confirmSaved(bool saved, bool showMessage, const QString &text)
{
    if (saved && showMessage)
        Messages::information(getMessages(QStringLiteral("MSG_DONE")), text);
    return saved;
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

void setSchedulerSavedHook(std::function<void()> hook)
{
    schedulerSavedHook() = std::move(hook);
}

void LoadEmailSettings()
{
    useConfigFile();
    EmailSettings &e = email();
    e.Server = readScrambled(QStringLiteral("sv"));
    e.Port = readScrambled(QStringLiteral("po"));
    e.Authentication = qint16(readScrambled(QStringLiteral("au"), QStringLiteral("6330")).toInt());
    e.UserName = readScrambled(QStringLiteral("us"));
    e.Password = readScrambled(QStringLiteral("pw"));
    e.FromName = readScrambled(QStringLiteral("fn"));
    e.FromEmail = readScrambled(QStringLiteral("fe"));
}

bool SaveEmailSettings(bool showMessage)
{
    useConfigFile();
    const EmailSettings &e = email();
    const bool saved = mINI::WriteINIValues(emailSection,
        {scrambled(QStringLiteral("sv"), e.Server), scrambled(QStringLiteral("po"), e.Port),
            scrambled(QStringLiteral("au"), QString::number(e.Authentication)),
            scrambled(QStringLiteral("us"), e.UserName), scrambled(QStringLiteral("pw"), e.Password),
            scrambled(QStringLiteral("fn"), e.FromName), scrambled(QStringLiteral("fe"), e.FromEmail)});
    return confirmSaved(saved, showMessage, getMessages(QStringLiteral("MSG_EMAILSAVED")));
}

void LoadAppSettings()
{
    useConfigFile();
    AppSettings &a = app();
    a.StartWithSystem = readInt(appSection, QStringLiteral("autos"), QStringLiteral("0"));
    a.CloseCompletely = readInt(appSection, QStringLiteral("close"), QStringLiteral("0"));
    a.MinimizeToTray = readInt(appSection, QStringLiteral("mins"), QStringLiteral("1"));
}

bool SaveAppSettings(bool showMessage)
{
    useConfigFile();
    const AppSettings &a = app();
    const bool saved = mINI::WriteINIValues(appSection,
        {number(QStringLiteral("autos"), a.StartWithSystem),
            number(QStringLiteral("close"), a.CloseCompletely),
            number(QStringLiteral("mins"), a.MinimizeToTray)});
    return confirmSaved(saved, showMessage, getMessages(QStringLiteral("MSG_APPSAVED")));
}

bool ReadConfirmOnClose()
{
    useConfigFile();
    app().ConfirmOnClose = readInt(appSection, QStringLiteral("confirm"), QStringLiteral("1")) == 1;
    return app().ConfirmOnClose;
}

bool WriteConfirmOnClose(bool confirm)
{
    useConfigFile();
    app().ConfirmOnClose = confirm;
    return mINI::WriteINIValue(appSection, QStringLiteral("confirm"), confirm ? 1 : 0);
}

bool ReadCloseCompletely()
{
    useConfigFile();
    app().CloseCompletely = readInt(appSection, QStringLiteral("close"), QStringLiteral("1"));
    return app().CloseCompletely == 1;
}

SchedulerSettings ReadSchedulerSettings(
    const QString &path, const QString &folder, bool loadFeeds, QString *problem)
{
    SchedulerSettings s;
    // The whole group in one read of the file.
    const QList<mINI::Entry> group = mINI::ReadINISectionOf(path, schedulerSection);
    const auto value = [&group](const QString &key, const QString &defaultValue) {
        return mINI::FindINIValue(group, key, defaultValue);
    };
    s.Enabled = qint16(value(QStringLiteral("ena"), QStringLiteral("0")).toInt());
    s.Interval = qint16(value(QStringLiteral("frq"), QStringLiteral("-1")).toInt());
    s.Alert = qint16(value(QStringLiteral("alr"), QStringLiteral("1")).toInt());
    s.Sound = qint16(value(QStringLiteral("snd"), QStringLiteral("0")).toInt());
    s.SoundFile = value(QStringLiteral("sfl"), mUtil::AddBackslash(folder) + QStringLiteral("notify.wav"));
    if (!loadFeeds)
        return s;

    // Every scheduled feed is loaded, however many there are; the keys are
    // read by count ("s_1", "s_2", ...), not by name.
    const auto count = std::count_if(
        group.begin(), group.end(), [](const mINI::Entry &e) { return e.first.contains(QLatin1Char('_')); });
    for (qsizetype k = 1; k <= count; ++k) {
        const QString key = QStringLiteral("s_%1").arg(k);
        const QStringList fields = value(key, QString()).split(fieldSeparator);
        if (fields.size() < 4) {
            if (problem)
                *problem = getMessages(QStringLiteral("MSG_ERR_SUBSCRIPT")).arg(key);
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
    scheduler() = ReadSchedulerSettings(configFile(), AppFolder::path(), loadFeeds, &problem);
    if (problem.isEmpty())
        return true;
    Messages::runtimeError(QStringLiteral("LoadSchedulerSettings"), problem);
    return false;
}

QString FeedRecordToText(const FeedRecord &record)
{
    return QString::number(record.FeedType) + fieldSeparator + record.FeedID + fieldSeparator + record.FeedURL
        + fieldSeparator + record.FeedCaption;
}

bool SaveSchedulerSettings(bool showMessage)
{
    useConfigFile();
    const SchedulerSettings &s = scheduler();
    QList<mINI::Entry> group {number(QStringLiteral("ena"), s.Enabled),
        number(QStringLiteral("frq"), s.Interval), number(QStringLiteral("alr"), s.Alert),
        number(QStringLiteral("snd"), s.Sound), {QStringLiteral("sfl"), s.SoundFile}};
    for (int k = 0; k < s.Feeds.size(); ++k)
        group.append({QStringLiteral("s_%1").arg(k + 1), FeedRecordToText(s.Feeds.at(k))});
    // The section is written anew, in one save, so feeds taken off the
    // schedule leave no keys and a crash cannot lose the schedule.
    const bool saved = mINI::ReplaceINISection(schedulerSection, group);
    confirmSaved(saved, showMessage, getMessages(QStringLiteral("MSG_SCHEDULERSAVED")));
    if (saved && schedulerSavedHook())
        schedulerSavedHook()();
    return saved;
}

} // namespace mSettings
