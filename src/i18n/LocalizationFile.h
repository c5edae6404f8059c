#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Localization.txt: XML to look at, but read line by line with plain text
// searches (item texts are not escaped) and written in one fixed layout.
namespace LocalizationFile
{

// The file's name in the application folder.
QString fileName();

// One language of a file: its name and the text of its items (what stands
// between "<TRANSLATION_ITEMS>" and "</TRANSLATION_ITEMS>").
struct Group {
    QString name;
    QString items;
};

// The language groups of a file's text, in file order. The markers are
// found without regard to letter case; attributes after "<LANGUAGE_GROUP"
// are ignored.
QList<Group> groups(const QString &text);

// The items of the first group named language (letter case ignored); false
// when there is none.
bool findItems(const QString &text, const QString &language, QString *items);

// The translation lines of an items text, in order. Lines end at CR LF; a
// file saved with bare line feeds reads the same.
QStringList lines(const QString &items);

// The value of key in one translation line, when the line holds that key:
// the text between "<KEY>" and "</KEY>" (empty when the closing marker is
// missing). False when the line is of another key.
bool valueOf(const QString &line, const QString &key, QString *value);

// A whole file in the fixed layout: the English group with these items,
// keys in upper case, every line ended by CR LF.
QByteArray write(const QList<QPair<QString, QString>> &items);

// A downloaded file as it is stored: from its first "<" on, with a CR LF
// after it. Empty when the text holds no "<TRANSLATION_ITEMS>".
QByteArray fromDownload(const QByteArray &body);

} // namespace LocalizationFile
