#include "feeds/ItemId.h"

#include "feeds/Md5.h"

namespace ItemId
{

QString of(const QString &link, const QString &media, const QString &title, const QString &dateText,
    const QString &description)
{
    const clsMD5 md5;
    if (!link.trimmed().isEmpty())
        return md5.GetMD5(link);
    if (!media.trimmed().isEmpty())
        return md5.GetMD5(media);
    return md5.GetMD5(title + QLatin1Char('\n') + dateText + QLatin1Char('\n') + description);
}

QString of(const FeedItem &item)
{
    return of(item.Link, item.Media, item.Title, dateText(item), item.Description);
}

QString dateText(const FeedItem &item)
{
    return item.Year + QLatin1Char('-') + item.Month + QLatin1Char('-') + item.Day + QLatin1Char('T')
        + item.Time;
}

} // namespace ItemId
