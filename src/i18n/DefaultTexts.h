#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The program's built-in message texts, by key, in registration order.
namespace DefaultTexts
{

const QList<QPair<QString, QString>> &table();

} // namespace DefaultTexts

// The text of a message key (letter case of the key ignored) with the
// product and company placeholders filled in and its first character in
// upper case; "" for an unknown key.
QString getMessages(const QString &key);
