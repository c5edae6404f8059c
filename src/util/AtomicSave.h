#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Every file the program writes is written whole to a temporary file beside
// it ("NAME.quorvane-save-XXXXXX") and renamed over the old one, so a crash or
// power loss leaves the old file or the new one, never half of one. A
// temporary file that a killed save left behind is removed by the next save
// of the same file and at start-up, once it is older than a minute: a younger
// one may belong to another instance saving right now.
namespace mUtil
{

// Writes the bytes; false (error filled when given) leaves the old file.
bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);
// Lets write put the content, piece by piece, into the temporary file; false
// from write abandons the save.
bool saveFileAtomically(
    const QString &path, const std::function<bool(QIODevice &)> &write, QString *error = nullptr);

// The temporary files of interrupted saves of path, or of any file in folder.
void removeStraySaves(const QString &path);
void removeStraySavesIn(const QString &folder);

// How old a temporary file must be before it counts as left behind (tests).
void setStraySaveAge(int seconds);

} // namespace mUtil
