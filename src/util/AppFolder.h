#pragma once

#include <QString>
#include <QStringList>

// The one folder that holds every file the program names (feeds.fdb, Data/,
// AppCfg.cfg, the templates, logs ...).
namespace AppFolder
{

// Chooses the folder: --home DIR in the arguments, else QUORVANE_HOME, else
// the executable's folder when it is a writable portable copy, else the
// per-user data location. Creates it when missing. Returns it with a
// trailing separator.
QString resolve(const QStringList &arguments);

// Sets the folder directly (tests and tools).
void set(const QString &folder);

// The folder with a trailing separator. Empty until resolved or set.
QString path();
// path() joined with a file name.
QString file(const QString &name);
// The data file of a feed: path() + "Data/" + FeedID + ".fdb".
QString feedDataFile(const QString &feedId);

// Copies the shipped default files missing from the folder (never over an
// existing file), then prepares it: creates Data/ and copies default.fdb to
// feeds.fdb when the database is missing. Returns false when the folder
// cannot be prepared.
bool prepare();

// Removes "--home DIR" from an argument list (for callers parsing the rest).
QStringList stripHomeOption(const QStringList &arguments);

} // namespace AppFolder
