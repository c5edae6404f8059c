#include "util/AppInfo.h"

namespace AppInfo
{

QString productName()
{
    return QStringLiteral("Quorvane");
}

QString companyName()
{
    return QStringLiteral("the Quorvane Developers");
}

QString webAddress()
{
    return QStringLiteral("https://quorvane.org");
}

QString supportAddress()
{
    return QStringLiteral("mailto:support@quorvane.org");
}

QString version()
{
    return QStringLiteral(QUORVANE_VERSION);
}

QString userAgent()
{
    return QStringLiteral("Quorvane/") + version();
}

} // namespace AppInfo
