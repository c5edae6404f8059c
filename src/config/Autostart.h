#pragma once

#include <QByteArray>
#include <QString>

// Starting the program with the desktop session: the desktop entry
// "quorvane.desktop" in the per-user autostart folder
// ($XDG_CONFIG_HOME/autostart, by default ~/.config/autostart) or in the
// all-users one (/etc/xdg/autostart). An entry starts the program when its
// Exec line names the program's executable (letter case ignored) and it is
// not Hidden=true.
namespace Autostart
{

// Where the entries live and which program they start. An empty field takes
// the default: the folders above and the running executable.
struct Places {
    QString userFolder;
    QString systemFolder;
    QString executable;
};

// Replaces the places (tests); Places {} restores the defaults.
void setPlaces(const Places &places);

QString userFolder();
QString systemFolder();
QString executable();

// "quorvane.desktop", and its path in either folder.
QString entryName();
QString userEntry();
QString systemEntry();

// Whether the entry file at path starts this program: its Exec line holds
// the executable's file name without extension, and it is not hidden.
bool entryStartsProgram(const QString &path);
// Whether a per-user entry hides the all-users one (Hidden=true).
bool entryIsHidden(const QString &path);

// The all-users entry counts unless a hidden per-user entry of the same
// name turns it off for this user.
bool IsStartupEnabledAllUsers();
bool IsStartupEnabledThisUser();
// "(Enabled - All Users)", "(Enabled - This User)" or
// "(Disabled - Run Manually)".
QString startupStatus();

// The per-user entry that starts executable in the tray ("-s").
QByteArray entryText(const QString &executable);
// The Exec line's program, quoted and escaped as a desktop entry needs it.
QString execArgument(const QString &executable);

// What saving "autos" does to the per-user entry: start = true writes it,
// false removes it when it is the program's own (an entry of another
// program of that name stays). A failure is reported and returns false.
bool applyStartWithSystem(bool start);

} // namespace Autostart
