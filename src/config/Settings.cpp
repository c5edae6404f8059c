#include "config/Settings.h"

#include "config/Ini.h"
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

void writeScrambled(const QString &key, const QString &value)
{
    mINI::WriteINIValue(emailSection, key, mUtil::ScrambleText(value, true));
}

void confirmSaved(bool showMessage, const QString &text)
{
    if (showMessage)
        Messages::information(QStringLiteral("Done!"), text);
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

void SaveEmailSettings(bool showMessage)
{
    useConfigFile();
    const EmailSettings &e = email();
    writeScrambled(QStringLiteral("sv"), e.Server);
    writeScrambled(QStringLiteral("po"), e.Port);
    writeScrambled(QStringLiteral("au"), QString::number(e.Authentication));
    writeScrambled(QStringLiteral("us"), e.UserName);
    writeScrambled(QStringLiteral("pw"), e.Password);
    writeScrambled(QStringLiteral("fn"), e.FromName);
    writeScrambled(QStringLiteral("fe"), e.FromEmail);
    confirmSaved(showMessage, QStringLiteral("Email Settings are Successfully Saved!"));
}

void LoadAppSettings()
{
    useConfigFile();
    AppSettings &a = app();
    a.StartWithSystem = readInt(appSection, QStringLiteral("autos"), QStringLiteral("0"));
    a.CloseCompletely = readInt(appSection, QStringLiteral("close"), QStringLiteral("0"));
    a.MinimizeToTray = readInt(appSection, QStringLiteral("mins"), QStringLiteral("1"));
}

void SaveAppSettings(bool showMessage)
{
    useConfigFile();
    const AppSettings &a = app();
    mINI::WriteINIValue(appSection, QStringLiteral("autos"), a.StartWithSystem);
    mINI::WriteINIValue(appSection, QStringLiteral("close"), a.CloseCompletely);
    mINI::WriteINIValue(appSection, QStringLiteral("mins"), a.MinimizeToTray);
    confirmSaved(showMessage,
        QStringLiteral("Application Settings successfully saved to Application Configuration File."));
}

bool ReadConfirmOnClose()
{
    useConfigFile();
    app().ConfirmOnClose = readInt(appSection, QStringLiteral("confirm"), QStringLiteral("1")) == 1;
    return app().ConfirmOnClose;
}

void WriteConfirmOnClose(bool confirm)
{
    useConfigFile();
    mINI::WriteINIValue(appSection, QStringLiteral("confirm"), confirm ? 1 : 0);
    app().ConfirmOnClose = confirm;
}

bool ReadCloseCompletely()
{
    useConfigFile();
    app().CloseCompletely = readInt(appSection, QStringLiteral("close"), QStringLiteral("1"));
    return app().CloseCompletely == 1;
}

bool LoadSchedulerSettings(bool loadFeeds)
{
    useConfigFile();
    SchedulerSettings &s = scheduler();
    s.Feeds.clear();
    s.Enabled = readInt(schedulerSection, QStringLiteral("ena"), QStringLiteral("0"));
    s.Interval = readInt(schedulerSection, QStringLiteral("frq"), QStringLiteral("-1"));
    s.Alert = readInt(schedulerSection, QStringLiteral("alr"), QStringLiteral("1"));
    s.Sound = readInt(schedulerSection, QStringLiteral("snd"), QStringLiteral("0"));
    s.SoundFile
        = read(schedulerSection, QStringLiteral("sfl"), AppFolder::file(QStringLiteral("notify.wav")));
    if (!loadFeeds)
        return true;

    // Every scheduled feed is loaded, however many there are; the keys are
    // read by count ("s_1", "s_2", ...), not by name.
    const QStringList names = mINI::ReadINIKeyNames(schedulerSection).split(QChar(0), Qt::SkipEmptyParts);
    const auto count = std::count_if(
        names.begin(), names.end(), [](const QString &n) { return n.contains(QLatin1Char('_')); });
    for (qsizetype k = 1; k <= count; ++k) {
        const QString key = QStringLiteral("s_%1").arg(k);
        const QStringList fields = read(schedulerSection, key, QString()).split(fieldSeparator);
        if (fields.size() < 4) {
            Messages::runtimeError(QStringLiteral("LoadSchedulerSettings"),
                QStringLiteral("Subscript out of range (key \"%1\")").arg(key));
            return false;
        }
        FeedRecord record;
        record.FeedType = qint16(fields.at(0).toInt());
        record.FeedID = fields.at(1);
        record.FeedURL = fields.at(2);
        record.FeedCaption = fields.at(3);
        s.Feeds.append(record);
    }
    return true;
}

QString FeedRecordToText(const FeedRecord &record)
{
    return QString::number(record.FeedType) + fieldSeparator + record.FeedID + fieldSeparator + record.FeedURL
        + fieldSeparator + record.FeedCaption;
}

void SaveSchedulerSettings(bool showMessage)
{
    useConfigFile();
    const SchedulerSettings &s = scheduler();
    mINI::DeleteINISection(schedulerSection);
    mINI::WriteINIValue(schedulerSection, QStringLiteral("ena"), s.Enabled);
    mINI::WriteINIValue(schedulerSection, QStringLiteral("frq"), s.Interval);
    mINI::WriteINIValue(schedulerSection, QStringLiteral("alr"), s.Alert);
    mINI::WriteINIValue(schedulerSection, QStringLiteral("snd"), s.Sound);
    mINI::WriteINIValue(schedulerSection, QStringLiteral("sfl"), s.SoundFile);
    for (int k = 0; k < s.Feeds.size(); ++k)
        mINI::WriteINIValue(
            schedulerSection, QStringLiteral("s_%1").arg(k + 1), FeedRecordToText(s.Feeds.at(k)));
    confirmSaved(showMessage,
        QStringLiteral("Scheduler Settings are Successfully saved to Application Configuration file!"));
    if (schedulerSavedHook())
        schedulerSavedHook()();
}

} // namespace mSettings
