#include "feeds/FeedEntries.h"

#include "feeds/FeedParser.h"
#include "feeds/ItemId.h"
#include "feeds/Md5.h"
#include "feeds/XmlRepair.h"
#include "util/Utilities.h"

#include <algorithm>
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

// Texts that most entries share are made once per thread: the days as
// written, the years of this and the last century, the English month names.
const QString &shared(std::array<QString, 64> &cache, int slot, auto make)
{
    QString &text = cache[size_t(slot)];
    if (text.isNull())
        text = make();
    return text;
}

QString dayText(const FeedEntries::Text &day)
{
    const std::string_view text = day.view();
    if (day.raw || text.empty() || text.size() > 2)
        return FeedEntries::toString(day);
    thread_local std::array<QString, 64> days;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return FeedEntries::toString(day);
        value = value * 10 + (c - '0');
    }
    if (value > 31)
        return FeedEntries::toString(day);
    return shared(days, value + 32 * int(text.size() == 2), [&] { return FeedEntries::toString(day); });
}

QString yearText(int year)
{
    const char digits[] = {char('0' + year / 1000 % 10), char('0' + year / 100 % 10),
        char('0' + year / 10 % 10), char('0' + year % 10)};
    thread_local std::array<QString, 64> years[4];
    if (year < 1900 || year >= 2156)
        return QString::fromLatin1(digits, sizeof digits);
    return shared(years[(year - 1900) / 64], (year - 1900) % 64,
        [&] { return QString::fromLatin1(digits, sizeof digits); });
}

QString monthText(const FeedEntries::Record &record)
{
    const QString &english = monthAbbreviation(record.monthNumber);
    if (record.month.isNull())
        return english;
    const std::string_view written = record.month.view();
    if (!record.month.raw && written.size() == 3 && QLatin1String(written.data(), 3) == english)
        return english;
    return FeedEntries::toString(record.month);
}

FeedItem itemOf(const FeedEntries::Record &record)
{
    FeedItem item;
    item.Title = FeedEntries::toString(record.title);
    item.Link = FeedEntries::toString(record.link);
    item.Description = FeedEntries::toString(record.description);
    item.Media = FeedEntries::toString(record.media);
    if (record.monthNumber != 0) {
        item.Day = dayText(record.day);
        item.Month = monthText(record);
        item.Year = yearText(record.year);
        item.Time = QString::fromLatin1(record.time, sizeof record.time);
    }
    // The id the store gives the entry; a link is kept trimmed and resolved
    // with its size, so its digest is made straight from its bytes.
    item.ID = record.link.size > 0 ? clsMD5().GetMD5(QByteArrayView(record.link.data, record.link.size))
                                   : ItemId::of(item);
    return item;
}

// "YYYYMMDDhhmmss" from the date as read; "" for an entry without one.
// The fourteen digits of the key; false for an entry without a date.
bool keyDigits(const FeedEntries::Record &record, char16_t (&key)[14])
{
    if (record.monthNumber == 0 || record.dayNumber < 1 || record.dayNumber > 31)
        return false;
    const int year = record.year;
    const char16_t digits[14] = {char16_t(u'0' + year / 1000 % 10), char16_t(u'0' + year / 100 % 10),
        char16_t(u'0' + year / 10 % 10), char16_t(u'0' + year % 10), char16_t(u'0' + record.monthNumber / 10),
        char16_t(u'0' + record.monthNumber % 10), char16_t(u'0' + record.dayNumber / 10),
        char16_t(u'0' + record.dayNumber % 10), char16_t(record.time[0]), char16_t(record.time[1]),
        char16_t(record.time[3]), char16_t(record.time[4]), char16_t(record.time[6]),
        char16_t(record.time[7])};
    std::copy(std::begin(digits), std::end(digits), key);
    return true;
}

QString keyOf(const FeedEntries::Record &record)
{
    char16_t key[14];
    return keyDigits(record, key) ? QString(reinterpret_cast<const QChar *>(key), 14) : QString();
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

QString FeedEntries::dateKey(qsizetype index) const
{
    if (!m_document)
        return FeedParser::dateKey(m_items.at(index));
    if (index == 0)
        return QString();
    return keyOf(m_document->records[size_t(index - 1)]);
}

namespace
{

// A text of the document as UTF-8: where it stands, or resolved into buffer.
std::string_view utf8Of(const FeedEntries::Text &text, std::string &buffer)
{
    if (text.isNull())
        return {};
    if (!text.raw)
        return text.view();
    const std::string_view raw = text.view();
    if (raw.find('&') == std::string_view::npos)
        return raw;
    buffer.clear();
    XmlRepair::ExpansionBudget none(0); // declared entities are resolved by the parse
    XmlRepair::appendResolved(buffer, raw, XmlRepair::EntityTable(), none);
    return buffer;
}

std::string_view utf8Of(const QString &text, std::string &buffer)
{
    const QByteArray bytes = text.toUtf8();
    buffer.assign(bytes.constData(), size_t(bytes.size()));
    return buffer;
}

// The key's text and number from its fourteen digits.
void setKey(FeedEntries::Stored &into, const char16_t *digits)
{
    into.key = 0;
    for (int i = 0; i < 14; ++i) {
        into.keyText[i] = char(digits[i]);
        into.key = into.key * 10 + (digits[i] - u'0');
    }
    into.keyText[14] = 0;
}

} // namespace

void FeedEntries::stored(qsizetype index, Stored &into, StoredBuffers &buffers) const
{
    into = Stored();
    if (!m_document || index == 0) {
        const FeedItem &item = m_items.at(index);
        into.title = utf8Of(item.Title, buffers.title);
        into.link = utf8Of(item.Link, buffers.link);
        into.description = utf8Of(item.Description, buffers.description);
        into.media = utf8Of(item.Media, buffers.media);
        into.dateText = utf8Of(ItemId::dateText(item), buffers.dateText);
        into.id = item.ID.isEmpty() ? ItemId::of(item) : item.ID;
        const QString key = FeedParser::dateKey(item);
        if (key.size() == 14)
            setKey(into, reinterpret_cast<const char16_t *>(key.constData()));
        return;
    }
    const Record &record = m_document->records[size_t(index - 1)];
    into.title = utf8Of(record.title, buffers.title);
    into.link = utf8Of(record.link, buffers.link);
    into.description = utf8Of(record.description, buffers.description);
    into.media = utf8Of(record.media, buffers.media);
    static const char *const english[]
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string &date = buffers.dateText;
    date.clear();
    if (record.monthNumber != 0) {
        const char year[] = {char('0' + record.year / 1000 % 10), char('0' + record.year / 100 % 10),
            char('0' + record.year / 10 % 10), char('0' + record.year % 10)};
        std::string scratch;
        date.append(year, sizeof year).append(1, '-');
        if (record.month.isNull())
            date.append(english[record.monthNumber - 1]);
        else
            date.append(utf8Of(record.month, scratch));
        date.append(1, '-')
            .append(utf8Of(record.day, scratch))
            .append(1, 'T')
            .append(record.time, sizeof record.time);
    } else {
        date = "--T";
    }
    into.dateText = date;
    into.id = record.link.size > 0 ? clsMD5().GetMD5(QByteArrayView(record.link.data, record.link.size))
                                   : itemOf(record).ID;
    char16_t key[14];
    if (keyDigits(record, key))
        setKey(into, key);
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
