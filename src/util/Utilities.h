#pragma once

#include "util/AtomicSave.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

// The toolbox: small stateless helpers for paths, files, identifiers, month
// names and the scrambling of stored settings.
namespace mUtil
{

// The path with exactly one trailing separator ("/" is added when it ends in
// neither "/" nor "\").
QString AddBackslash(const QString &path);

// True for an existing file (not a folder).
bool FileExists(const QString &path);
// True for an existing folder or an existing plain file of that name.
bool FolderExists(const QString &path);

// True when the text is empty after removing leading and trailing spaces
// (U+0020 only).
bool IsBlank(const QString &text);

// Writes the text in UTF-8 followed by CR LF, replacing the file atomically.
// Reports a failure with the utility error box and returns false.
bool WriteTextFile(const QString &path, const QString &text);
// The same for bytes in a charset (UTF-8 when empty or unknown), converted a
// piece at a time, so a large text is never held twice over.
bool WriteTextFile(const QString &path, const QByteArray &bytes, const QString &charset);
// The same without the box (for code off the window thread); the box itself.
bool saveTextFile(const QString &path, const QByteArray &bytes, const QString &charset, QString *error);
bool reportWriteFailure(const QString &path, const QString &error);
// Reads a whole text file (UTF-8, or Windows-1252 when the bytes are not
// UTF-8). A missing or unreadable file gives the utility error box and "".
QString ReadTextFile(const QString &path);

// Decodes stored text: UTF-8 when valid, else Windows-1252.
QString decodeStoredText(const QByteArray &bytes);

// Hands memory freed by the program back to the system where the allocator
// keeps it otherwise (after a large document or a closed window).
void returnFreedMemory();

// True when a reachable network is reported (or nothing can tell).
bool IsConnected();
// There is no shared URL cache; every request carries "Cache-Control: no-cache".
void ClearUrlCache(const QString &url);

// A new identifier: 36 upper-case hexadecimal characters, 8-4-4-4-12.
QString NewGUID();
// True when the text has that shape (the only texts that may name a data file).
bool isFeedId(const QString &text);

// Opens http, https and mailto addresses and existing local files with the
// desktop's default handler; anything else is refused. Returns whether it was
// handed on.
bool ShellOpen(const QString &target);
// The address ShellOpen would hand on, or an empty URL when it refuses it.
QUrl shellTarget(const QString &target);
// Replaces the handler that opens an address (the desktop program installs
// its desktop services; the default runs xdg-open).
void setShellOpener(std::function<bool(const QUrl &)> handler);
// Replaces the system's answer of IsConnected (tests); an empty probe
// restores it.
void setConnectionProbe(std::function<bool()> probe);

// "01" to "12" for an English or local month name (full name trimmed, or
// abbreviation as given), letter case ignored; "" otherwise.
QString MonthNumber(const QString &name);
// The English abbreviated month name of 1..12 ("Jan"), or "" out of range.
QString MonthAbbreviation(int month);

// Reversible keyless scrambling into decimal digits: each character's code
// times 7 in four digits; characters above 255 take an escape group.
QString ScrambleText(const QString &text, bool encode);

} // namespace mUtil
