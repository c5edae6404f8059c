#pragma once

#include <QIcon>
#include <QString>

// The program's pictures.
namespace ShellIcons
{

QIcon appIcon();
// A toolbar or panel picture by its file name without extension.
QIcon named(const QString &name);
// The category tree's pictures by image index: 1 root, 2 category,
// 3 RSS, 4 Atom, 5 podcast; a null icon for any other index.
QIcon feedImage(int index);
// The picture of a feed of a type (its image index in the tree).
QIcon feedIcon(int feedType);

} // namespace ShellIcons
