#include "config/Autostart.h"

#include "i18n/Languages.h"
#include "util/AppInfo.h"
#include "util/AtomicSave.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace Autostart
{

namespace
{

// A desktop entry is a few lines; anything past this is not read.
constexpr qint64 MaxEntrySize = 64 * 1024;

Places &places()
{
    static Places value;
    return value;
}

// The keys of the [Desktop Entry] group; the first of a repeated key counts.
QHash<QString, QString> desktopEntryKeys(const QString &path)
{
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    const QStringList lines = QString::fromUtf8(file.read(MaxEntrySize)).split(QLatin1Char('\n'));
    bool inEntry = false;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntry || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(equals + 1).trimmed());
    }
    return keys;
}

bool hidden(const QHash<QString, QString> &keys)
{
    return keys.value(QStringLiteral("Hidden")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

bool namesProgram(const QHash<QString, QString> &keys)
{
    const QString program = QFileInfo(executable()).completeBaseName();
    return !program.isEmpty() && keys.value(QStringLiteral("Exec")).contains(program, Qt::CaseInsensitive);
}

// A value of a desktop entry: backslashes and line breaks escaped.
QString escapeValue(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    value.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    value.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return value;
}

bool reportFailure(const QString &key, const QString &reason)
{
    Messages::exclamation(
        AppInfo::title(), getMessages(key).arg(QDir::toNativeSeparators(userEntry()), reason));
    return false;
}

bool writeUserEntry()
{
    if (!QDir().mkpath(userFolder()))
        return reportFailure(Msg::APPSETTINGS_ENTRYNOTSAVED, QDir::toNativeSeparators(userFolder()));
    const QByteArray text = entryText(executable());
    QFile current(userEntry());
    if (current.open(QIODevice::ReadOnly) && current.read(MaxEntrySize + 1) == text)
        return true;
    QString error;
    if (!mUtil::saveFileAtomically(userEntry(), text, &error))
        return reportFailure(Msg::APPSETTINGS_ENTRYNOTSAVED, error);
    return true;
}

bool removeUserEntry()
{
    const QString path = userEntry();
    // Only the program's own entry goes; a hidden one that turns off the
    // all-users entry is the user's choice and stays too.
    if (!QFileInfo::exists(path) || !entryStartsProgram(path))
        return true;
    QFile file(path);
    if (!file.remove())
        return reportFailure(Msg::APPSETTINGS_ENTRYNOTREMOVED, file.errorString());
    return true;
}

} // namespace

void setPlaces(const Places &value)
{
    places() = value;
}

QString userFolder()
{
    if (!places().userFolder.isEmpty())
        return places().userFolder;
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config + QStringLiteral("/autostart"));
}

QString systemFolder()
{
    return places().systemFolder.isEmpty() ? QStringLiteral("/etc/xdg/autostart") : places().systemFolder;
}

QString executable()
{
    return places().executable.isEmpty() ? QCoreApplication::applicationFilePath() : places().executable;
}

QString entryName()
{
    return QStringLiteral("quorvane.desktop");
}

QString userEntry()
{
    return userFolder() + QLatin1Char('/') + entryName();
}

QString systemEntry()
{
    return systemFolder() + QLatin1Char('/') + entryName();
}

bool entryStartsProgram(const QString &path)
{
    const QHash<QString, QString> keys = desktopEntryKeys(path);
    return !hidden(keys) && namesProgram(keys);
}

bool entryIsHidden(const QString &path)
{
    return hidden(desktopEntryKeys(path));
}

bool IsStartupEnabledAllUsers()
{
    return entryStartsProgram(systemEntry()) && !entryIsHidden(userEntry());
}

bool IsStartupEnabledThisUser()
{
    return entryStartsProgram(userEntry());
}

QString startupStatus()
{
    if (IsStartupEnabledAllUsers())
        return getMessages(Msg::APPSETTINGS_ALLUSERS);
    if (IsStartupEnabledThisUser())
        return getMessages(Msg::APPSETTINGS_THISUSER);
    return getMessages(Msg::APPSETTINGS_DISABLED);
}

QString execArgument(const QString &program)
{
    // Inside double quotes, `"`, backquote, `$` and backslash take a
    // backslash; a field code character is doubled.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument = program;
    if (std::any_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); })) {
        argument.clear();
        for (const QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
                || c == QLatin1Char('\\'))
                argument += QLatin1Char('\\');
            argument += c;
        }
        argument = QLatin1Char('"') + argument + QLatin1Char('"');
    }
    argument.replace(QLatin1Char('%'), QLatin1String("%%"));
    return escapeValue(argument);
}

QByteArray entryText(const QString &program)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Exec=%2 -s\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(escapeValue(AppInfo::title()), execArgument(program));
    return text.toUtf8();
}

bool applyStartWithSystem(bool start)
{
    return start ? writeUserEntry() : removeUserEntry();
}

} // namespace Autostart
