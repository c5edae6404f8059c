#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The texts of the boxes the utilities show. Their English wording is kept
// here, below the message table, which takes these entries in; once the
// table is up (the program's languages are loaded) it hands in its lookup,
// so the boxes speak the current language.
namespace UtilityTexts
{

using Source = QString (*)(const QString &key);

// The utilities' texts in English, by key, in the message table's order.
const QList<QPair<QString, QString>> &english();
// Where the texts are looked up from now on (the message table's lookup).
void setSource(Source source);
// A text by its key: from the installed source, else in English.
QString text(const QString &key);

} // namespace UtilityTexts
