#include "feeds/FeedDateText.h"

#include "feeds/XmlSpace.h"

#include "util/Utilities.h"

#include <algorithm>
#include <cstring>

namespace
{

constexpr std::string_view englishMonths[] = {"january", "february", "march", "april", "may", "june", "july",
    "august", "september", "october", "november", "december"};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of 1 to maximum digits, or -1.
int number(std::string_view text, size_t maximum)
{
    if (text.empty() || text.size() > maximum)
        return -1;
    int value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The words searched are a few characters long: a plain loop beats a call.
size_t indexOf(std::string_view text, char c)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c)
            return i;
    }
    return std::string_view::npos;
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// 1..12 for an English month name, its abbreviation or another cut of three
// letters or more ("Sept"), a trailing full stop allowed, letter case
// ignored; 0 otherwise.
int englishMonth(std::string_view name)
{
    if (!name.empty() && name.back() == '.')
        name.remove_suffix(1);
    if (name.size() < 3)
        return 0;
    const char first = lower(name[0]);
    for (int month = 1; month <= 12; ++month) {
        const std::string_view full = englishMonths[month - 1];
        if (full[0] == first && name.size() <= full.size()
            && std::equal(
                name.begin(), name.end(), full.begin(), [](char a, char b) { return lower(a) == b; }))
            return month;
    }
    return 0;
}

// The month of a written name. The name is kept when the month lookup reads
// it (an abbreviation or full name, English or local); other English forms
// ("Sept", "Jun.") keep only their number.
bool readMonth(std::string_view written, FeedDate &date)
{
    if (const int month = englishMonth(written)) {
        date.month = month;
        if (written.size() == 3 || written.size() == englishMonths[month - 1].size())
            date.monthText = written;
        return true;
    }
    const QString number = mUtil::MonthNumber(QString::fromUtf8(written.data(), qsizetype(written.size())));
    if (number.isEmpty())
        return false;
    date.month = number.toInt();
    date.monthText = written;
    return true;
}

// "h:mm", "hh:mm:ss" or "hh:mm:ss.fff".
bool readTime(std::string_view text, FeedDate &date)
{
    text = text.substr(0, indexOf(text, '.'));
    int *parts[] = {&date.hour, &date.minute, &date.second};
    const int limits[] = {24, 59, 60};
    date.second = 0;
    size_t part = 0;
    for (; part < 3 && !text.empty(); ++part) {
        const size_t colon = indexOf(text, ':');
        const int value = number(text.substr(0, colon), 2);
        if (value < 0 || value > limits[part])
            return false;
        *parts[part] = value;
        text = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    }
    return part >= 2 && text.empty();
}

bool readDay(std::string_view text, FeedDate &date)
{
    const int day = number(text, 2);
    if (day < 1 || day > 31)
        return false;
    date.dayText = text;
    return true;
}

// Two-digit years as RFC 2822 reads them: 00-49 are 2000-2049, 50-99 1950-1999.
bool readYear(std::string_view text, FeedDate &date)
{
    const int year = number(text, 4);
    if (year < 0 || (text.size() != 4 && text.size() != 2))
        return false;
    date.year = text.size() == 4 ? year : year < 50 ? 2000 + year : 1900 + year;
    return true;
}

// Words separated by white space or commas; at most a few are needed.
size_t wordsOf(std::string_view text, std::string_view *words, size_t capacity)
{
    size_t count = 0;
    size_t at = 0;
    while (count < capacity) {
        while (at < text.size() && (XmlSpace::is(text[at]) || text[at] == ','))
            ++at;
        if (at >= text.size())
            break;
        const size_t start = at;
        while (at < text.size() && !XmlSpace::is(text[at]) && text[at] != ',')
            ++at;
        words[count++] = text.substr(start, at - start);
    }
    return count;
}

// [weekday,] day month year [time [zone]]; also the month before the day
// ("Jun 10, 2003") and the time before the year ("Tue Jun 10 04:00:00 2003").
FeedDate parseRfc822(std::string_view text)
{
    std::string_view words[6];
    const size_t count = wordsOf(text, words, 6);
    size_t at = 0;
    if (count > 0 && number(words[0], 2) < 0 && !englishMonth(words[0]))
        ++at;
    if (count - at < 3)
        return {};
    if (count - at > 3 && indexOf(words[at + 2], ':') != std::string_view::npos)
        std::swap(words[at + 2], words[at + 3]);
    FeedDate date;
    const bool monthFirst = number(words[at], 2) < 0;
    const std::string_view day = monthFirst ? words[at + 1] : words[at];
    const std::string_view month = monthFirst ? words[at] : words[at + 1];
    if (!readDay(day, date) || !readYear(words[at + 2], date) || !readMonth(month, date))
        return {};
    if (count - at > 3 && !readTime(words[at + 3], date))
        return {};
    return date;
}

int digitsAt(std::string_view text, size_t at, size_t count)
{
    return number(text.substr(at, count), count);
}

// The form nearly every RSS feed writes, "Tue, 10 Jun 2003 04:00:00 GMT",
// read by position. Anything else, or a value out of range, is left to the
// general reading, which gives the same date for this form.
bool readCommonRfc822(std::string_view text, FeedDate &date)
{
    static constexpr std::string_view weekdays = "MonTueWedThuFriSatSun";
    static constexpr std::string_view months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (text.size() < 25 || (text.size() > 25 && text[25] != ' ') || text[3] != ',' || text[4] != ' '
        || text[7] != ' ' || text[11] != ' ' || text[16] != ' ' || text[19] != ':' || text[22] != ':')
        return false;
    const size_t weekday = weekdays.find(text.substr(0, 3));
    const size_t month = months.find(text.substr(8, 3));
    if (weekday == std::string_view::npos || weekday % 3 != 0 || month == std::string_view::npos
        || month % 3 != 0)
        return false;
    const int day = digitsAt(text, 5, 2);
    const int year = digitsAt(text, 12, 4);
    date.hour = digitsAt(text, 17, 2);
    date.minute = digitsAt(text, 20, 2);
    date.second = digitsAt(text, 23, 2);
    if (day < 1 || day > 31 || year < 0 || date.hour < 0 || date.hour > 24 || date.minute < 0
        || date.minute > 59 || date.second < 0 || date.second > 60)
        return false;
    date.dayText = text.substr(5, 2);
    date.monthText = text.substr(8, 3);
    date.month = int(month / 3) + 1;
    date.year = year;
    return true;
}

// yyyy-mm-dd[Thh:mm[:ss[.fff]]][Z|+hh:mm], "t" or a space before the time.
FeedDate parseIso(std::string_view text)
{
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return {};
    FeedDate date;
    const int month = number(text.substr(5, 2), 2);
    if (!readYear(text.substr(0, 4), date) || month < 1 || month > 12 || !readDay(text.substr(8, 2), date))
        return {};
    std::string_view rest = text.substr(10);
    if (!rest.empty()) {
        if (rest[0] != 'T' && rest[0] != 't' && rest[0] != ' ')
            return {};
        rest.remove_prefix(1);
        size_t end = 0;
        while (end < rest.size() && (isDigit(rest[end]) || rest[end] == ':' || rest[end] == '.'))
            ++end;
        if (!readTime(rest.substr(0, end), date))
            return {};
    }
    date.month = month;
    return date;
}

} // namespace

FeedDate parseFeedDate(std::string_view text)
{
    text = XmlSpace::trimmed(text);
    FeedDate date;
    if (!readCommonRfc822(text, date)) {
        date = text.size() >= 5 && number(text.substr(0, 4), 4) >= 0 && text[4] == '-' ? parseIso(text)
                                                                                       : parseRfc822(text);
    }
    const int parts[] = {date.hour, date.minute, date.second};
    for (int i = 0; i < 3; ++i) {
        date.time[i * 3] = char('0' + parts[i] / 10);
        date.time[i * 3 + 1] = char('0' + parts[i] % 10);
        if (i < 2)
            date.time[i * 3 + 2] = ':';
    }
    return date;
}
