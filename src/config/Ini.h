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
void WriteINIValue(const QString &section, const QString &key, const QString &value);
void WriteINIValue(const QString &section, const QString &key, int value);
// The key names of a section in file order, separated by the character 0.
QString ReadINIKeyNames(const QString &section);

// Several keys with one read or one save of the file: every key and value
// of a section in file order; the value of a key among them (letter case
// ignored); several keys written at once.
QList<Entry> ReadINISection(const QString &section);
QString FindINIValue(const QList<Entry> &entries, const QString &key, const QString &defaultValue);
void WriteINIValues(const QString &section, const QList<Entry> &entries);
void DeleteINISection(const QString &section);

// Clears the module state (tests).
void Reset();

} // namespace mINI
