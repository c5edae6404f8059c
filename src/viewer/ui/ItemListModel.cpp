#include "viewer/ui/ItemListModel.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <numeric>

namespace
{

// A 16 x 16 dot: filled for unread, a ring for read.
QIcon drawStateIcon(bool unread)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = unread ? QColor(0x1f, 0x6f, 0xd1) : QColor(0xa0, 0xa6, 0xad);
    painter.setPen(QPen(color, 1.5));
    painter.setBrush(unread ? QBrush(color) : QBrush(Qt::NoBrush));
    painter.drawEllipse(QRectF(4.5, 4.5, 7, 7));
    return QIcon(pixmap);
}

} // namespace

ItemListModel::ItemListModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_unreadFont.setBold(true);
}

QIcon ItemListModel::icon(const QString &key)
{
    static const QIcon unread = drawStateIcon(true);
    static const QIcon read = drawStateIcon(false);
    return key == QLatin1String("unread") ? unread : read;
}

int ItemListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_filtered ? m_shown.size() : m_rows.size());
}

int ItemListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const QString &ItemListModel::text(int row, int column) const
{
    ItemRow &item = *m_rows[source(row)];
    switch (column) {
    case TitleColumn:
        return item.title;
    case PublishedColumn:
        if (!item.pendingDate.isEmpty()) {
            item.published = m_builder.published(item);
            item.pendingDate.clear();
        }
        return item.published;
    }
    return item.dateSort;
}

QVariant ItemListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !holds(index.row()))
        return QVariant();
    const ItemRow &item = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::ToolTipRole:
        return index.column() == TitleColumn ? QVariant(item.title) : QVariant();
    case Qt::DecorationRole:
        return index.column() == TitleColumn
            ? QVariant(icon(item.read ? QStringLiteral("read") : QStringLiteral("unread")))
            : QVariant();
    case Qt::FontRole:
        return item.read ? QVariant() : QVariant(m_unreadFont);
    }
    return QVariant();
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const char *const titles[ColumnCount] = {"Title", "Published On", "date_sort"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

namespace
{

// The first 16 characters of a text, case-folded, packed so that comparing
// the packs orders as the case-blind text comparison does. Texts with other
// than ASCII characters there are not packed and compare in full.
struct SortPrefix {
    quint64 high = 0;
    quint64 low = 0;
    bool packed = true;
    bool complete = true; // the whole text is in the pack
};

SortPrefix packPrefix(const QString &text)
{
    SortPrefix prefix;
    const qsizetype length = qMin<qsizetype>(text.size(), 16);
    prefix.complete = text.size() <= 16;
    for (qsizetype i = 0; i < length; ++i) {
        char16_t c = text.at(i).unicode();
        if (c > 0x7f) {
            prefix.packed = false;
            return prefix;
        }
        if (c >= u'A' && c <= u'Z')
            c += u'a' - u'A';
        (i < 8 ? prefix.high : prefix.low) |= quint64(c) << (8 * (7 - i % 8));
    }
    return prefix;
}

} // namespace

// The text a row sorts by; a row's "Published On" is made for the purpose
// when it waits to be made.
QString ItemListModel::sortText(const ItemRow &row, int column, const ItemRowBuilder &builder)
{
    switch (column) {
    case TitleColumn:
        return row.title;
    case PublishedColumn:
        return row.pendingDate.isEmpty() ? row.published : builder.published(row);
    }
    return row.dateSort;
}

QVector<int> ItemListModel::sortOrder(const Rows &rows, int column, Qt::SortOrder order)
{
    const qsizetype count = qsizetype(rows.size());
    const auto rowAt = [&rows](qsizetype i) -> const ItemRow & { return *rows[size_t(i)]; };
    QVector<int> permutation(count);
    std::iota(permutation.begin(), permutation.end(), 0);
    const auto sortBy = [&](auto compare) {
        std::stable_sort(permutation.begin(), permutation.end(), [&](int a, int b) {
            const int cmp = compare(a, b);
            return order == Qt::AscendingOrder ? cmp < 0 : cmp > 0;
        });
    };
    // Date keys compare as numbers unless a key is not in the usual form.
    bool numeric = column == DateSortColumn;
    for (qsizetype i = 0; numeric && i < count; ++i)
        numeric = rowAt(i).dateOrder != NoDateOrder;
    if (numeric) {
        sortBy([&](int a, int b) {
            const qint64 da = rowAt(a).dateOrder;
            const qint64 db = rowAt(b).dateOrder;
            return da < db ? -1 : (da > db ? 1 : 0);
        });
        return permutation;
    }
    const ItemRowBuilder builder;
    QVector<QString> texts(count);
    QVector<SortPrefix> prefixes(count);
    for (qsizetype i = 0; i < count; ++i) {
        texts[i] = sortText(rowAt(i), column, builder);
        prefixes[i] = packPrefix(texts[i]);
    }
    sortBy([&](int a, int b) {
        const SortPrefix &pa = prefixes.at(a);
        const SortPrefix &pb = prefixes.at(b);
        if (pa.packed && pb.packed) {
            if (pa.high != pb.high)
                return pa.high < pb.high ? -1 : 1;
            if (pa.low != pb.low)
                return pa.low < pb.low ? -1 : 1;
            if (pa.complete && pb.complete)
                return 0;
        }
        return QString::compare(texts.at(a), texts.at(b), Qt::CaseInsensitive);
    });
    return permutation;
}

ItemListModel::Rows ItemListModel::makeRows(QVector<ItemRow> rows)
{
    Rows made;
    made.reserve(size_t(rows.size()));
    for (ItemRow &row : rows)
        made.push_back(std::make_unique<ItemRow>(std::move(row)));
    return made;
}

void ItemListModel::sortRows(Rows &rows, int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    Rows sorted;
    sorted.reserve(rows.size());
    for (const int from : sortOrder(rows, column, order))
        sorted.push_back(std::move(rows[size_t(from)]));
    rows = std::move(sorted);
}

void ItemListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QVector<int> permutation = sortOrder(m_rows, column, order);
    Rows sorted;
    sorted.reserve(m_rows.size());
    QVector<int> newPosition(permutation.size());
    for (int i = 0; i < permutation.size(); ++i) {
        sorted.push_back(std::move(m_rows[size_t(permutation[i])]));
        newPosition[permutation[i]] = i;
    }
    m_rows = std::move(sorted);
    // The same rows stay shown, in the new order.
    const std::vector<int> shownBefore = m_shown;
    collectShown();
    std::vector<int> shownAt;
    if (m_filtered) {
        shownAt.assign(m_rows.size(), -1);
        for (size_t i = 0; i < m_shown.size(); ++i)
            shownAt[size_t(m_shown[i])] = int(i);
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before) {
        const int moved = newPosition.at(m_filtered ? shownBefore.at(size_t(index.row())) : index.row());
        after.append(this->index(m_filtered ? shownAt.at(size_t(moved)) : moved, index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ItemListModel::setRows(Rows rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    collectShown();
    endResetModel();
}

void ItemListModel::clear()
{
    setRows({});
}

void ItemListModel::insertAtTop(Rows rows)
{
    if (rows.empty())
        return;
    std::reverse(rows.begin(), rows.end());
    const int count = int(rows.size());
    if (!m_filtered) {
        beginInsertRows(QModelIndex(), 0, count - 1);
        m_rows.insert(
            m_rows.begin(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        endInsertRows();
        return;
    }
    // The rows shown keep their places in the list; the new ones that match
    // come on top.
    std::vector<int> matching;
    for (int i = 0; i < count; ++i) {
        if (matches(*rows[size_t(i)]))
            matching.push_back(i);
    }
    for (int &at : m_shown)
        at += count;
    m_rows.insert(m_rows.begin(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    if (matching.empty())
        return;
    beginInsertRows(QModelIndex(), 0, int(matching.size()) - 1);
    m_shown.insert(m_shown.begin(), matching.begin(), matching.end());
    endInsertRows();
}

bool ItemListModel::holds(int row) const
{
    return row >= 0 && row < rowCount();
}

void ItemListModel::removeItem(int row)
{
    if (!holds(row))
        return;
    const size_t at = source(row);
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + qsizetype(at));
    if (m_filtered) {
        m_shown.erase(m_shown.begin() + row);
        for (int &shown : m_shown) {
            if (size_t(shown) > at)
                --shown;
        }
    }
    endRemoveRows();
}

void ItemListModel::setRead(int row)
{
    setReadState(row, true);
}

void ItemListModel::setUnread(int row)
{
    setReadState(row, false);
}

void ItemListModel::setReadState(int row, bool read)
{
    if (!holds(row) || m_rows[source(row)]->read == read)
        return;
    m_rows[source(row)]->read = read;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DecorationRole, Qt::FontRole});
}

int ItemListModel::setAllRead()
{
    int marked = 0;
    for (const std::unique_ptr<ItemRow> &item : m_rows) {
        if (!item->read) {
            item->read = true;
            ++marked;
        }
    }
    if (marked > 0 && rowCount() > 0)
        emit dataChanged(
            index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::DecorationRole, Qt::FontRole});
    return marked;
}

int ItemListModel::rowOf(const QString &id) const
{
    const int count = rowCount();
    for (int i = 0; i < count; ++i) {
        if (row(i).id == id)
            return i;
    }
    return -1;
}

int ItemListModel::nextUnread(int after) const
{
    const int count = rowCount();
    const int start = holds(after) ? after : -1;
    for (int step = 1; step <= count; ++step) {
        const int at = (start + step) % count;
        if (!row(at).read)
            return at;
    }
    return -1;
}

// Filtering

bool ItemListModel::matches(const ItemRow &item) const
{
    if (item.filterText.isEmpty())
        return item.title.contains(m_filter, Qt::CaseInsensitive);
    return m_matcher.indexIn(item.filterText) >= 0;
}

void ItemListModel::collectShown()
{
    if (!m_filtered)
        return;
    m_shown.clear(); // keeps its room: typing allocates nothing here
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (matches(*m_rows[i]))
            m_shown.push_back(int(i));
    }
}

void ItemListModel::setFilter(const QString &text)
{
    const QString folded = text.toCaseFolded();
    if (folded == m_filter && m_filtered == !folded.isEmpty())
        return;
    // A longer text finds only rows the shorter one found.
    const bool narrower = m_filtered && folded.contains(m_filter);
    beginResetModel();
    m_filter = folded;
    m_matcher.setPattern(folded);
    m_filtered = !folded.isEmpty();
    if (!m_filtered)
        m_shown.clear();
    else if (narrower)
        m_shown.erase(std::remove_if(m_shown.begin(), m_shown.end(),
                          [this](int at) { return !matches(*m_rows[size_t(at)]); }),
            m_shown.end());
    else
        collectShown();
    endResetModel();
}

void ItemListModel::setFilterTexts(const QHash<QString, QString> &textsById)
{
    for (const std::unique_ptr<ItemRow> &item : m_rows) {
        const auto found = textsById.constFind(item->id);
        if (found != textsById.cend())
            item->filterText = *found;
    }
    if (!m_filtered)
        return;
    beginResetModel();
    collectShown();
    endResetModel();
}
