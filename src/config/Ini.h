#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The gateway to the INI-format configuration file: sections in square
// brackets, "key=value" lines, UTF-8 on disk, every save an atomic replace.
// A CR LF pair inside a value is stored as "%%&&Chr(13)&&%%".
namespace mINI
{

// Raised when the module state is not set: number 670, source
// "INIReadWrite", description "Buffer size not set" or "Filename not set".
struct IniError {
    int number;
    QString source;
    QString description;
};

void SetINIFile(const QString &fileName, int bufferSize);

// A key and its value.
using Entry = QPair<QString, QString>;

QString ReadINIValue(const QString &section, const QString &key, const QString &defaultValue);
// Writers return false when the file could not be saved (reported with the
// utility error box); the file is kept locked against other processes from
// reading it to saving it.
bool WriteINIValue(const QString &section, const QString &key, const QString &value);
bool WriteINIValue(const QString &section, const QString &key, int value);
// The key names of a section in file order, separated by the character 0.
QString ReadINIKeyNames(const QString &section);

// Several keys with one read or one save of the file: every key and value
// of a section in file order; the value of a key among them (letter case
// ignored); several keys written at once.
QList<Entry> readINISection(const QString &section);
QString findINIValue(const QList<Entry> &entries, const QString &key, const QString &defaultValue);
bool writeINIValues(const QString &section, const QList<Entry> &entries);
bool DeleteINISection(const QString &section);
// The section written anew with just these entries, in one save.
bool replaceINISection(const QString &section, const QList<Entry> &entries);

// A section of a given file, without the module state (for code that runs
// off the window thread).
QList<Entry> readINISectionOf(const QString &path, const QString &section);
// Writes these entries into a section of a given file (the section anew
// when replace is true), without the module state.
bool writeINISectionOf(
    const QString &path, const QString &section, const QList<Entry> &entries, bool replace);

// Clears the module state (tests).
void Reset();

} // namespace mINI
