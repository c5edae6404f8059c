#pragma once

#include <QList>
#include <QPair>
#include <QString>

class clsLanguages;

// The program's built-in message texts, in English, by key, in
// registration order.
namespace DefaultTexts
{

// Where a text is taken from: ::getMessages (the current language) or
// english.
using Source = QString (*)(const QString &key);

const QList<QPair<QString, QString>> &table();

// The parts of the table that belong to one area of the program, each in
// a file of its own under texts/, appended in this order.
QList<QPair<QString, QString>> feedDialogTexts();
QList<QPair<QString, QString>> categoryAndSettingsTexts();
QList<QPair<QString, QString>> schedulerDialogTexts();
QList<QPair<QString, QString>> mailTexts();
QList<QPair<QString, QString>> emailDialogTexts();
QList<QPair<QString, QString>> emailActionTexts();
QList<QPair<QString, QString>> opmlTexts();
QList<QPair<QString, QString>> fetchTexts();
QList<QPair<QString, QString>> readingTexts();
QList<QPair<QString, QString>> catalogueReadingTexts();

// Registers every text of the table with setMessage, in order.
void registerAll(clsLanguages &languages);

// The English text of a key, placeholders filled in: for what stays in
// English whatever the language (the scheduler's log).
QString english(const QString &key);

} // namespace DefaultTexts
