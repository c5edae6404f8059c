#include "viewer/ui/ItemListView.h"

#include "viewer/ui/ItemListModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

ItemListView::ItemListView(QWidget *parent) : QTreeView(parent), m_sortColumn(ItemListModel::DateSortColumn)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setIconSize(QSize(16, 16));
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    header()->setSortIndicatorShown(true);
    setAlternatingRowColors(true);
    connect(header(), &QHeaderView::sectionClicked, this, &ItemListView::onHeaderClicked);
}

int ItemListView::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void ItemListView::selectRow(int row)
{
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

// The title sorts by its text; the date by its hidden key.
void ItemListView::onHeaderClicked(int section)
{
    sortBy(section == ItemListModel::TitleColumn ? ItemListModel::TitleColumn : ItemListModel::DateSortColumn,
        m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ItemListView::sortBy(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    model()->sort(m_sortColumn, m_sortOrder);
    showSortIndicator();
}

void ItemListView::showSortIndicator()
{
    const int section = m_sortColumn == ItemListModel::TitleColumn ? ItemListModel::TitleColumn
                                                                   : ItemListModel::PublishedColumn;
    header()->setSortIndicator(section, m_sortOrder);
}

void ItemListView::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    const int width = viewport()->width();
    setColumnWidth(ItemListModel::TitleColumn, width * 70 / 100);
    setColumnWidth(ItemListModel::PublishedColumn, width - width * 70 / 100);
}

bool ItemListView::hasSelection() const
{
    return model() && model()->rowCount() > 0 && selectionModel() && selectionModel()->hasSelection();
}

void ItemListView::mouseReleaseEvent(QMouseEvent *event)
{
    const bool onItem = indexAt(event->position().toPoint()).isValid();
    QTreeView::mouseReleaseEvent(event);
    if (!hasSelection())
        return;
    if (event->button() == Qt::LeftButton && onItem)
        emit itemPicked();
    else if (event->button() == Qt::RightButton)
        emit menuRequested(event->globalPosition().toPoint());
}

void ItemListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && hasSelection()) {
        emit deleteRequested();
        return;
    }
    // The reading keys take the place of the search by first letter and of
    // Space's selection, which a single-selection list does not need.
    if (event->key() == Qt::Key_N && event->modifiers() == Qt::NoModifier) {
        emit nextUnreadRequested();
        return;
    }
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        emit nextPageRequested();
        return;
    }
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        if (hasSelection())
            requestMenuAtCurrent();
        return;
    }
    const QModelIndex before = currentIndex();
    QTreeView::keyPressEvent(event);
    if (currentIndex().row() != before.row() && hasSelection())
        emit itemPicked();
}

void ItemListView::contextMenuEvent(QContextMenuEvent *event)
{
    // The mouse case is served on release; this one is the keyboard's menu key.
    if (event->reason() == QContextMenuEvent::Keyboard && hasSelection())
        requestMenuAtCurrent();
    event->accept();
}

void ItemListView::requestMenuAtCurrent()
{
    const QRect area = visualRect(currentIndex());
    emit menuRequested(viewport()->mapToGlobal(area.isValid() ? area.center() : QPoint()));
}
