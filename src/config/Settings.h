#pragma once

#include "util/FeedRecord.h"

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

// The savers return false when the file could not be saved; that failure is
// reported, and the confirmation shown only after a save that worked.
void LoadEmailSettings();
bool SaveEmailSettings(bool showMessage);
void LoadAppSettings();
bool SaveAppSettings(bool showMessage);
bool ReadConfirmOnClose();
bool WriteConfirmOnClose(bool confirm);
bool ReadCloseCompletely();
// Reads "schdl"; with loadFeeds also the scheduled feeds. Reports a broken
// feed entry with the "LoadSchedulerSettings Function" box and keeps the
// feeds read before it. Returns false when it stopped on an error.
bool LoadSchedulerSettings(bool loadFeeds);
bool SaveSchedulerSettings(bool showMessage);

// The "schdl" group of a configuration file as a value, for code that must
// not touch the program-wide variables or show a box: a broken feed entry
// ends the list there and is described in problem. The default sound file
// is in folder.
SchedulerSettings readSchedulerSettings(
    const QString &path, const QString &folder, bool loadFeeds, QString *problem = nullptr);

// Called after every scheduler save, so the timer follows the new values.
void setSchedulerSavedHook(std::function<void()> hook);

// Where the savers write. Inline (the default, for the command line) the
// file is saved before they return. In the background (the desktop
// program) it is saved on the store thread, so the window never waits for
// the folder's lock or the disk: a saver answers true once the save is
// asked for, and its boxes (a failure, the confirmation) and what follows a
// save come when it is done.
void setBackgroundSaves(bool background);
// Waits until every save asked for is done and answered (tests).
void waitForSaves();

// The text form of a scheduled feed: type, id, URL and caption joined by
// the character 5.
QString feedRecordToText(const FeedRecord &record);

} // namespace mSettings
