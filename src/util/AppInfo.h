#pragma once

#include <QString>

// The program's identity, as its version information gives it.
namespace AppInfo
{

// The display title: first main window caption, tray tool tip, [[app]].
inline QString title()
{
    return QStringLiteral("Quorvane");
}
QString productName();
QString companyName();
QString webAddress();
QString supportAddress();
QString version(); // "major.minor.patch"
QString userAgent(); // "Quorvane/<version>"

} // namespace AppInfo
