#pragma once

#include "feeds/FeedFile.h"

// The command line reads the data files through their owner, as the
// desktop program does, and waits for its answers: it has no window to keep
// alive meanwhile.
namespace DataFiles
{

FeedFile::Loaded loadRows(const QString &feedId);
FeedFile::Item readItem(const QString &feedId, const QString &itemId);

} // namespace DataFiles
