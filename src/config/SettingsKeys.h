#pragma once

#include <QLatin1StringView>

// Every setting the program keeps, with its default, declared once: the
// groups of AppCfg.cfg and the per-user (and machine) settings store.
// Readers and writers name a key from here, never a string of their own.
struct SettingKey {
    const char *group;
    const char *key;
    const char *defaultValue;

    QLatin1StringView groupName() const { return QLatin1StringView(group); }
    QLatin1StringView keyName() const { return QLatin1StringView(key); }
    QLatin1StringView fallback() const { return QLatin1StringView(defaultValue); }
};

namespace SettingsKeys
{

// AppCfg.cfg, group "email" (every value scrambled).
inline constexpr SettingKey MailServer {"email", "sv", ""};
inline constexpr SettingKey MailPort {"email", "po", ""};
inline constexpr SettingKey MailAuthentication {"email", "au", "6330"};
inline constexpr SettingKey MailUser {"email", "us", ""};
inline constexpr SettingKey MailPassword {"email", "pw", ""};
inline constexpr SettingKey MailFromName {"email", "fn", ""};
inline constexpr SettingKey MailFromAddress {"email", "fe", ""};

// AppCfg.cfg, group "app".
inline constexpr SettingKey StartWithSystem {"app", "autos", "0"};
// "close" has two defaults: the settings dialog shows "0" (keep running in
// the tray) for a file without the key, while the close decision takes "1"
// (close completely) until the user has chosen, so a first close never
// hides the window silently.
inline constexpr SettingKey CloseCompletely {"app", "close", "0"};
inline constexpr SettingKey CloseCompletelyOnClose {"app", "close", "1"};
inline constexpr SettingKey MinimizeToTray {"app", "mins", "1"};
inline constexpr SettingKey ConfirmOnClose {"app", "confirm", "1"};

// AppCfg.cfg, group "schdl" (the scheduled feeds follow as "s_1", "s_2", ...;
// the sound's default is notify.wav in the application folder).
inline constexpr SettingKey ScheduleEnabled {"schdl", "ena", "0"};
inline constexpr SettingKey ScheduleInterval {"schdl", "frq", "-1"};
inline constexpr SettingKey ScheduleAlert {"schdl", "alr", "1"};
inline constexpr SettingKey ScheduleSound {"schdl", "snd", "0"};
inline constexpr SettingKey ScheduleSoundFile {"schdl", "sfl", ""};

// The per-user settings store.
inline constexpr SettingKey Language {"Settings", "Language", ""};
inline constexpr SettingKey ShowHelp {"Settings", "showHelp", "1"};
inline constexpr SettingKey LanguageService {"Settings", "LanguageService", ""}; // under the web address
inline constexpr SettingKey OpenFeeds {"Session", "OpenFeeds", ""};
inline constexpr SettingKey SelectedItems {"Session", "SelectedItems", ""};
// The machine's settings store.
inline constexpr SettingKey HideSplash {"Settings", "chkSplash", "0"};

} // namespace SettingsKeys
