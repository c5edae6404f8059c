#include "feeds/FeedEntries.h"

#include "feeds/ItemId.h"
#include "feeds/Md5.h"
#include "feeds/XmlRepair.h"
#include "util/Utilities.h"

#include <array>

namespace
{

// The English abbreviations, made once and shared by every entry.
const QString &monthAbbreviation(int month)
{
    static const auto names = [] {
        std::array<QString, 12> made;
        for (int m = 1; m <= 12; ++m)
            made[size_t(m - 1)] = mUtil::MonthAbbreviation(m);
        return made;
    }();
    return names[size_t(month - 1)];
}

FeedItem itemOf(const FeedEntries::Record &record)
{
    FeedItem item;
    item.Title = FeedEntries::toString(record.title);
    item.Link = FeedEntries::toString(record.link);
    item.Description = FeedEntries::toString(record.description);
    item.Media = FeedEntries::toString(record.media);

    if (record.monthNumber != 0) {
        item.Day = FeedEntries::toString(record.day);
        item.Month = record.month.isNull() ? monthAbbreviation(record.monthNumber)
                                           : FeedEntries::toString(record.month);
        const char year[] = {char('0' + record.year / 1000 % 10), char('0' + record.year / 100 % 10),
            char('0' + record.year / 10 % 10), char('0' + record.year % 10)};
        item.Year = QString::fromLatin1(year, sizeof year);
        item.Time = QString::fromLatin1(record.time, sizeof record.time);
    }
    // The id the store gives the entry; a link is kept trimmed and resolved
    // with its size, so its digest is made straight from its bytes.
    item.ID = record.link.size > 0 ? clsMD5().GetMD5(QByteArrayView(record.link.data, record.link.size))
                                   : ItemId::of(item);
    return item;
}

} // namespace

FeedEntries::FeedEntries() : m_items(1)
{
}

FeedEntries::FeedEntries(QVector<FeedItem> items) : m_items(std::move(items))
{
    if (m_items.isEmpty())
        m_items.resize(1);
}

FeedEntries::FeedEntries(std::shared_ptr<const Document> document) : m_document(std::move(document))
{
}

qsizetype FeedEntries::size() const
{
    return m_document ? qsizetype(m_document->records.size()) + 1 : m_items.size();
}

FeedItem FeedEntries::at(qsizetype index) const
{
    if (!m_document)
        return m_items.at(index);
    Q_ASSERT(index >= 0 && index < size());
    if (index == 0)
        return FeedItem();
    return itemOf(m_document->records[size_t(index - 1)]);
}

QString FeedEntries::toString(const Text &text)
{
    if (text.isNull())
        return QString();
    const std::string_view bytes = text.view();
    if (bytes.empty())
        return QString(QLatin1String(""));
    if (!text.raw)
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    QString resolved(qsizetype(bytes.size()), Qt::Uninitialized);
    char16_t *begin = reinterpret_cast<char16_t *>(resolved.data());
    resolved.resize(XmlRepair::resolveToUtf16(bytes, begin) - begin);
    return resolved;
}
