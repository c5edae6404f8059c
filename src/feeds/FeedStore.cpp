#include "feeds/FeedStore.h"

#include "feeds/FeedDocument.h"
#include "feeds/FeedParser.h"
#include "feeds/ItemId.h"
#include "i18n/Languages.h"
#include "util/AppFolder.h"
#include "util/FileLock.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include <QDir>

namespace
{

// A change made under the file's lock and saved at once; false with the
// reason when it could not be saved.
template<class Change>
bool changeSaved(const QString &fileName, FeedDocument &doc, QString &error, Change change)
{
    const FileLock lock(fileName);
    if (!lock.isLocked()) {
        error = DefaultTexts::english(Msg::FILELOCKED);
        return false;
    }
    doc.load(fileName);
    if (!change(doc))
        return true;
    return doc.save(fileName, &error);
}

} // namespace

FeedStore::FeedStore(const QString &feedId) : m_feedId(feedId)
{
    if (mUtil::isFeedId(feedId))
        m_fileName = AppFolder::feedDataFile(feedId);
}

QVector<FeedItem> FeedStore::MergeResult::addedItems() const
{
    QVector<FeedItem> items;
    items.reserve(addedIndexes.size());
    for (const qsizetype index : addedIndexes)
        items.append(entries.at(index));
    for (FeedItem &item : items) {
        if (item.ID.isEmpty())
            item.ID = ItemId::of(item);
    }
    return items;
}

bool FeedStore::reportFileState(FileState state)
{
    switch (state) {
    case FileState::Missing:
        Messages::exclamation(getMessages(Msg::DATAMISSING_TITLE), getMessages(Msg::DATAMISSING));
        return false;
    case FileState::Unreadable:
    case FileState::NoItems:
        Messages::exclamation(getMessages(Msg::DATAFORMAT_TITLE), failureText(state, getMessages));
        return false;
    case FileState::Ready:
        break;
    }
    return true;
}

QString FeedStore::failureText(FileState state, DefaultTexts::Source texts)
{
    switch (state) {
    case FileState::Missing:
        return texts(Msg::DATANOACCESS);
    case FileState::Unreadable:
        return texts(Msg::DATALOADFAILED);
    case FileState::NoItems:
        return texts(Msg::DATANORECORDS);
    case FileState::Ready:
        break;
    }
    return QString();
}

QString FeedStore::saveFailureText(const QString &fileName, DefaultTexts::Source texts)
{
    return texts(Msg::DATANOTSAVED).arg(QDir::toNativeSeparators(fileName));
}

void FeedStore::reportSaveFailure(const QString &fileName, const QString &error)
{
    Messages::exclamation(getMessages(Msg::DATANOTSAVED_TITLE),
        saveFailureText(fileName, getMessages)
            + (error.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(error)));
}

QString FeedStore::itemId(const FeedItem &item)
{
    return ItemId::of(item);
}

QString FeedStore::dateText(const FeedItem &item)
{
    return ItemId::dateText(item);
}

void FeedStore::SplitStoredDate(const QString &text, FeedItem &item)
{
    // The "T" that ends the date is the first one after the day's hyphen, so a
    // month written "OCT" or a time with a zone name still splits correctly.
    const int secondHyphen = text.indexOf(QLatin1Char('-'), text.indexOf(QLatin1Char('-')) + 1);
    int t = text.indexOf(QLatin1Char('T'), secondHyphen < 0 ? 0 : secondHyphen);
    if (t < 0)
        t = int(text.size());
    const QStringList pieces = text.left(t).split(QLatin1Char('-'));
    item.Year = pieces.value(0);
    item.Month = pieces.value(1);
    item.Day = pieces.value(2);
    item.Time = text.mid(t + 1);
}

QString FeedStore::storedDateKey(const QString &text)
{
    // Only a time of the form hh:mm:ss gives a key; anything else has none.
    FeedItem parts;
    SplitStoredDate(text, parts);
    const QString &t = parts.Time;
    const auto digit = [&t](int i) { return t.at(i).isDigit() ? t.at(i).unicode() - '0' : 99; };
    if (t.size() != 8 || t.at(2) != QLatin1Char(':') || t.at(5) != QLatin1Char(':'))
        return QString();
    if (digit(0) * 10 + digit(1) > 23 || digit(3) * 10 + digit(4) > 59 || digit(6) * 10 + digit(7) > 59)
        return QString();
    return FeedParser::dateKey(parts);
}

bool FeedStore::isUsableKey(const QString &key)
{
    return keyValue(key).has_value();
}

std::optional<double> FeedStore::keyValue(const QString &key)
{
    if (key.isEmpty() || !key.front().isDigit())
        return std::nullopt;
    // The keys this program makes are digits alone, read here directly; any
    // other text is read as a number the general way.
    if (key.size() <= 18) {
        qint64 value = 0;
        bool digits = true;
        for (const QChar c : key) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                digits = false;
                break;
            }
            value = value * 10 + (c.unicode() - u'0');
        }
        if (digits)
            return double(value);
    }
    bool ok = false;
    const double value = key.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

bool FeedStore::LoadInbox(QVector<Row> &rows)
{
    rows.clear();
    FeedDocument doc;
    const FileState state = doc.load(m_fileName);
    m_latest = doc.latest();
    if (state == FileState::Missing)
        return true;
    if (!reportFileState(state))
        return false;
    rows = doc.rows();
    return true;
}

FeedStore::MergeResult FeedStore::UpdateItems(const FeedEntries &items)
{
    MergeResult result;
    if (items.size() <= 1)
        return result;
    if (m_fileName.isEmpty()) {
        result.ok = false;
        result.error = DefaultTexts::english(Msg::BADFEEDID).arg(m_feedId);
        return result;
    }
    FeedDocument doc;
    QString error;
    const bool saved = changeSaved(m_fileName, doc, error, [&](FeedDocument &d) {
        result = d.merge(items);
        return result.ok && (result.added > 0 || result.markRaised);
    });
    m_latest = doc.latest();
    if (!saved) {
        result.addedIndexes.clear();
        result.added = 0;
        result.ok = false;
        result.error = saveFailureText(m_fileName, DefaultTexts::english);
    }
    return result;
}

bool FeedStore::ItemAction(const QString &id, Action action, bool markRead, FeedItem *current)
{
    FeedDocument doc;
    const FileState state = doc.load(m_fileName);
    m_latest = doc.latest();
    if (!reportFileState(state))
        return false;
    FeedItem item;
    if (!doc.read(id, item))
        return false;
    if (action == Action::GetInfo && current)
        doc.read(id, *current);
    if (action == Action::GetInfo && !markRead)
        return true;
    QString error;
    bool changed = false;
    const bool saved = changeSaved(m_fileName, doc, error, [&](FeedDocument &d) {
        changed = action == Action::Delete ? d.remove(id) : d.markRead(id);
        return changed;
    });
    if (!saved)
        reportSaveFailure(m_fileName, error);
    return action == Action::Delete ? saved && changed : true;
}
