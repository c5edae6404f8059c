#pragma once

#include "catalogue/FeedRecord.h"

#include <QList>
#include <QString>

#include <functional>

// The settings groups of AppCfg.cfg, loaded into one program-wide set of
// variables and saved back from it.
namespace mSettings
{

struct EmailSettings {
    QString Server;
    QString Port;
    qint16 Authentication = 0;
    QString UserName;
    QString Password;
    QString FromName;
    QString FromEmail;
};

struct AppSettings {
    qint16 StartWithSystem = 0; // "autos"
    qint16 CloseCompletely = 0; // "close"
    qint16 MinimizeToTray = 1; // "mins"
    bool ConfirmOnClose = true; // "confirm"
};

struct SchedulerSettings {
    qint16 Enabled = 0; // "ena"
    qint16 Interval = -1; // "frq": 0..6
    qint16 Alert = 1; // "alr"
    qint16 Sound = 0; // "snd"
    QString SoundFile; // "sfl"
    QList<FeedRecord> Feeds; // "s_1", "s_2", ...
};

EmailSettings &email();
AppSettings &app();
SchedulerSettings &scheduler();

// The path of AppCfg.cfg in the application folder.
QString configFile();

void LoadEmailSettings();
void SaveEmailSettings(bool showMessage);
void LoadAppSettings();
void SaveAppSettings(bool showMessage);
bool ReadConfirmOnClose();
void WriteConfirmOnClose(bool confirm);
bool ReadCloseCompletely();
// Reads "schdl"; with loadFeeds also the scheduled feeds. Reports a broken
// feed entry with the "LoadSchedulerSettings Function" box and keeps the
// feeds read before it. Returns false when it stopped on an error.
bool LoadSchedulerSettings(bool loadFeeds);
void SaveSchedulerSettings(bool showMessage);

// Called after every scheduler save, so the timer follows the new values.
void setSchedulerSavedHook(std::function<void()> hook);

// The text form of a scheduled feed: type, id, URL and caption joined by
// the character 5.
QString FeedRecordToText(const FeedRecord &record);

} // namespace mSettings
