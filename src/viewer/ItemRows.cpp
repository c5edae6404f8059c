#include "viewer/ItemRows.h"

#include "feeds/FeedParser.h"
#include "util/Utilities.h"

#include <QTime>

namespace
{

QTime parseTime(const QString &text)
{
    static const char *const formats[] = {"H:mm:ss", "H:mm", "h:mm:ss AP", "h:mm AP"};
    const QString trimmed = text.trimmed();
    const QTime iso = QTime::fromString(trimmed, Qt::ISODate);
    if (iso.isValid())
        return iso;
    for (const char *format : formats) {
        const QTime time = QTime::fromString(trimmed, QLatin1String(format));
        if (time.isValid())
            return time;
    }
    return QTime();
}

} // namespace

qint64 dateOrderOf(const QString &dateSort)
{
    if (dateSort.isEmpty())
        return -2;
    if (dateSort == QLatin1String("0"))
        return -1;
    if (dateSort.size() != 14)
        return NoDateOrder;
    qint64 value = 0;
    for (const QChar c : dateSort) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return NoDateOrder;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

QString filterTextOf(const QString &title, const QString &description)
{
    if (description.isEmpty())
        return title.toCaseFolded();
    QString text;
    text.reserve(title.size() + 1 + description.size());
    text += title;
    text += QLatin1Char('\n');
    // Tags are left out so that a search for "div" finds no item for its
    // markup (a tag parts words like a space); entities stay as they are.
    bool inTag = false;
    for (const QChar c : description) {
        if (c == QLatin1Char('<'))
            inTag = true;
        else if (c == QLatin1Char('>') && inTag) {
            inTag = false;
            text += QLatin1Char(' ');
        } else if (!inTag)
            text += c;
    }
    return text.toCaseFolded();
}

ItemRowBuilder::ItemRowBuilder()
    : m_locale(QLocale::system()), m_format(m_locale.timeFormat(QLocale::LongFormat))
{
}

QString ItemRowBuilder::longTime(const QString &time) const
{
    const QTime parsed = parseTime(time);
    return parsed.isValid() ? m_locale.toString(parsed, m_format) : QString();
}

QString ItemRowBuilder::publishedText(const FeedItem &date, const QString &separator) const
{
    const QString time = longTime(date.Time);
    if (time.isEmpty())
        return QString();
    return date.Day + QLatin1Char(' ') + date.Month + QLatin1Char(' ') + date.Year + separator + time;
}

ItemRow ItemRowBuilder::fromStored(const FeedStore::Row &stored) const
{
    ItemRow row;
    row.title = stored.title;
    row.link = stored.link;
    row.id = stored.id;
    row.read = stored.read;
    row.filterText = filterTextOf(stored.title);
    // The store gives a key only for a valid time, so both columns stay
    // empty together.
    if (!stored.dateKey.isEmpty()) {
        row.dateSort = stored.dateKey;
        row.dateOrder = dateOrderOf(row.dateSort);
        row.pendingDate = stored.dateText;
    }
    return row;
}

QString ItemRowBuilder::published(const ItemRow &row) const
{
    if (row.pendingDate.isEmpty())
        return row.published;
    FeedItem date;
    FeedStore::SplitStoredDate(row.pendingDate, date);
    return publishedText(date, QStringLiteral(" ; "));
}

QVector<ItemRow> ItemRowBuilder::fromStored(const QVector<FeedStore::Row> &stored) const
{
    QVector<ItemRow> rows;
    rows.reserve(stored.size());
    for (const FeedStore::Row &one : stored)
        rows.append(fromStored(one));
    return rows;
}

ItemRow ItemRowBuilder::fromMerged(const FeedItem &item) const
{
    ItemRow row;
    row.title = item.Title;
    row.link = item.Link;
    row.id = item.ID;
    row.filterText = filterTextOf(item.Title, item.Description);
    row.published = QStringLiteral("No Date Info Provided");
    row.dateSort = QStringLiteral("0");
    row.dateOrder = -1;
    const bool hasDate = !mUtil::IsBlank(item.Year) && !mUtil::IsBlank(item.Day)
        && !mUtil::IsBlank(item.Month) && !mUtil::IsBlank(item.Time);
    if (!hasDate)
        return row;
    const QString key = FeedParser::dateKey(item);
    const QString text = publishedText(item, QStringLiteral("; "));
    if (!key.isEmpty() && !text.isEmpty()) {
        row.published = text;
        row.dateSort = key;
        row.dateOrder = dateOrderOf(key);
    }
    return row;
}
