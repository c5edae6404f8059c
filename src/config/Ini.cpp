#include "config/Ini.h"

#include "i18n/Languages.h"
#include "util/FileLock.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include <QFile>
#include <QStringList>

namespace mINI
{

namespace
{

QString iniFile;
int bufferSize = 0;

// CR LF keeps its historical escape; a lone CR or LF gets one of its own
// so that it cannot break the line structure of the file.
const QString crlfEscape = QStringLiteral("%%&&Chr(13)&&%%");
const QString lfEscape = QStringLiteral("%%&&Chr(10)&&%%");
const QString crEscape = QStringLiteral("%%&&Chr(13)Chr(0)&&%%");

void checkState()
{
    if (bufferSize == 0)
        throw IniError {670, QStringLiteral("INIReadWrite"), QStringLiteral("Buffer size not set")};
    if (iniFile.isEmpty())
        throw IniError {670, QStringLiteral("INIReadWrite"), QStringLiteral("Filename not set")};
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = mUtil::decodeStoredText(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A save that fails says so with the utility error box.
bool writeLines(const QString &path, const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    QString error;
    if (mUtil::saveFileAtomically(path, text.toUtf8(), &error))
        return true;
    Messages::utilityError(75, getMessages(Msg::PATHERROR).arg(path, error));
    return false;
}

// Runs a change of the file's lines with the other processes kept out, and
// saves them; false when the file could not be locked or saved.
// Its boxes are shown once the lock is let go, so that no other change
// waits on the lock behind a box.
template<class Change> bool changeLines(const QString &path, Change change)
{
    QList<Messages::Box> boxes;
    bool done = false;
    {
        Messages::Capture capture;
        const FileLock lock(path);
        if (!lock.isLocked()) {
            Messages::utilityError(75, getMessages(Msg::PATHERROR).arg(path, getMessages(Msg::FILELOCKED)));
        } else {
            QStringList lines = readLines(path);
            done = !change(lines) || writeLines(path, lines);
        }
        boxes = capture.take();
    }
    Messages::Capture::replay(boxes);
    return done;
}

// The section name of a "[name]" line, or a null string.
QString sectionOf(const QString &line)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return QString();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The key of a "key=value" line, or a null string.
QString keyOf(const QString &line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.trimmed().startsWith(QLatin1Char(';')))
        return QString();
    return line.left(eq).trimmed();
}

// The line range [first, end) of a section's body, first = -1 when absent.
std::pair<int, int> sectionRange(const QStringList &lines, const QString &section)
{
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = sectionOf(lines.at(i));
        if (name.isNull() || !sameName(name, section))
            continue;
        int end = i + 1;
        while (end < lines.size() && sectionOf(lines.at(end)).isNull())
            ++end;
        return {i + 1, end};
    }
    return {-1, -1};
}

QString unescape(QString value)
{
    value.replace(crlfEscape, QStringLiteral("\r\n"));
    value.replace(lfEscape, QStringLiteral("\n"));
    value.replace(crEscape, QStringLiteral("\r"));
    return value;
}

QString escape(QString value)
{
    value.replace(QStringLiteral("\r\n"), crlfEscape);
    value.replace(QStringLiteral("\n"), lfEscape);
    value.replace(QStringLiteral("\r"), crEscape);
    return value;
}

} // namespace

void SetINIFile(const QString &fileName, int size)
{
    iniFile = fileName;
    bufferSize = size;
}

void Reset()
{
    iniFile.clear();
    bufferSize = 0;
}

QList<Entry> readINISection(const QString &section)
{
    checkState();
    return readINISectionOf(iniFile, section);
}

QList<Entry> readINISectionOf(const QString &path, const QString &section)
{
    const QStringList lines = readLines(path);
    const auto [first, end] = sectionRange(lines, section);
    QList<Entry> entries;
    for (int i = first; i >= 0 && i < end; ++i) {
        const QString &line = lines.at(i);
        const QString name = keyOf(line);
        if (!name.isEmpty())
            entries.append({name, unescape(line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed())});
    }
    return entries;
}

QString findINIValue(const QList<Entry> &entries, const QString &key, const QString &defaultValue)
{
    for (const Entry &entry : entries) {
        if (sameName(entry.first, key))
            return entry.second;
    }
    return defaultValue;
}

QString ReadINIValue(const QString &section, const QString &key, const QString &defaultValue)
{
    return findINIValue(readINISection(section), key, defaultValue);
}

namespace
{

// Sets the entries in a section, keeping the place of the keys it has.
void setEntries(QStringList &lines, const QString &section, const QList<Entry> &entries)
{
    auto [first, end] = sectionRange(lines, section);
    if (first < 0) {
        lines << QLatin1Char('[') + section + QLatin1Char(']');
        first = end = int(lines.size());
    }
    for (const Entry &entry : entries) {
        const QString line = entry.first + QLatin1Char('=') + escape(entry.second);
        int lastKey = first - 1;
        int i = first;
        for (; i < end; ++i) {
            const QString name = keyOf(lines.at(i));
            if (sameName(name, entry.first))
                break;
            if (!name.isNull())
                lastKey = i;
        }
        if (i < end) {
            lines[i] = line;
        } else {
            lines.insert(lastKey + 1, line);
            ++end;
        }
    }
}

bool removeSection(QStringList &lines, const QString &section)
{
    const auto [first, end] = sectionRange(lines, section);
    if (first < 0)
        return false;
    lines.erase(lines.begin() + (first - 1), lines.begin() + end);
    return true;
}

} // namespace

bool writeINIValues(const QString &section, const QList<Entry> &entries)
{
    checkState();
    return changeLines(iniFile, [&](QStringList &lines) {
        setEntries(lines, section, entries);
        return true;
    });
}

bool writeINISectionOf(const QString &path, const QString &section, const QList<Entry> &entries, bool replace)
{
    return changeLines(path, [&](QStringList &lines) {
        if (replace)
            removeSection(lines, section);
        setEntries(lines, section, entries);
        return true;
    });
}

bool replaceINISection(const QString &section, const QList<Entry> &entries)
{
    checkState();
    return changeLines(iniFile, [&](QStringList &lines) {
        removeSection(lines, section);
        setEntries(lines, section, entries);
        return true;
    });
}

bool WriteINIValue(const QString &section, const QString &key, const QString &value)
{
    return writeINIValues(section, {{key, value}});
}

bool WriteINIValue(const QString &section, const QString &key, int value)
{
    return WriteINIValue(section, key, QString::number(value));
}

QString ReadINIKeyNames(const QString &section)
{
    QStringList names;
    for (const Entry &entry : readINISection(section))
        names << entry.first;
    return names.join(QChar(0));
}

bool DeleteINISection(const QString &section)
{
    checkState();
    return changeLines(iniFile, [&](QStringList &lines) { return removeSection(lines, section); });
}

} // namespace mINI
