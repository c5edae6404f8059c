#pragma once

#include "viewer/ItemRows.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QStringMatcher>
#include <QVector>

#include <memory>
#include <vector>

// The rows of a feed window's item list: "Title", "Published On" and the
// hidden sort key "date_sort". Sorting is textual on a column's text and
// stable, so equal keys keep their order. A filter may hide rows: every
// function that takes or gives a row number counts the rows shown.
class ItemListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { TitleColumn, PublishedColumn, DateSortColumn, ColumnCount };

    explicit ItemListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Rows are made, and may be put in order, before the model takes them,
    // on any thread, so that taking them costs the window next to nothing.
    using Rows = std::vector<std::unique_ptr<ItemRow>>;
    static Rows makeRows(QVector<ItemRow> rows);
    static void sortRows(Rows &rows, int column, Qt::SortOrder order);

    void setRows(Rows rows);
    void clear();
    // Puts rows at the top, the last one given topmost.
    void insertAtTop(Rows rows);
    void removeItem(int row);
    void setRead(int row);
    void setUnread(int row);
    // Marks every row read, shown or not; how many were unread.
    int setAllRead();

    // Shows only the rows whose filter text holds text, compared case-blind;
    // "" shows them all.
    void setFilter(const QString &text);
    bool isFiltered() const { return m_filtered; }
    // The words of the stored items' descriptions, by id, join what the
    // filter looks in (they are read after the list is shown).
    void setFilterTexts(const QHash<QString, QString> &textsById);

    // The first unread row after row, else the first one from the top; -1
    // when no row shown is unread.
    int nextUnread(int row) const;

    const ItemRow &row(int row) const { return *m_rows.at(source(row)); }
    // The row of the item with that id, or -1.
    int rowOf(const QString &id) const;
    const QString &text(int row, int column) const;

    // The icons of the two states, keyed "unread" and "read".
    static QIcon icon(const QString &key);

private:
    static QString sortText(const ItemRow &row, int column, const ItemRowBuilder &builder);
    static QVector<int> sortOrder(const Rows &rows, int column, Qt::SortOrder order);
    bool holds(int row) const;
    size_t source(int row) const { return m_filtered ? size_t(m_shown[size_t(row)]) : size_t(row); }
    void setReadState(int row, bool read);
    bool matches(const ItemRow &row) const;
    // The rows shown for the present filter, in the present order.
    void collectShown();

    // Rows build their "Published On" text when first shown; a sort moves
    // only the pointers.
    Rows m_rows;
    // With a filter: the positions in m_rows of the rows shown, in order.
    bool m_filtered = false;
    QString m_filter; // case-folded
    QStringMatcher m_matcher; // finds m_filter; made once per filter text
    std::vector<int> m_shown;
    ItemRowBuilder m_builder;
    QFont m_unreadFont;
};
