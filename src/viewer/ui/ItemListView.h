#pragma once

#include <QTreeView>

// The item list: a flat report view that tells when the user picked an item
// (by mouse or by keyboard), when the item menu is wanted (right button,
// the menu key, Shift+F10), when the Delete key asks to delete it, and the
// reading keys: N for the next unread item, Space for the next page. Its
// columns are those of ItemListModel, fitted to its width; a click on a
// column's header turns the order around.
class ItemListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ItemListView(QWidget *parent = nullptr);

    // The row selected, -1 for none.
    int selectedRow() const;
    // Selects the row (without showing it) and scrolls to it.
    void selectRow(int row);

    // The list's order: a column of ItemListModel and its direction.
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // Puts the model in that order and shows it in the header.
    void sortBy(int column, Qt::SortOrder order);
    void showSortIndicator();

signals:
    void itemPicked();
    void menuRequested(const QPoint &globalPos);
    void deleteRequested();
    void nextUnreadRequested();
    void nextPageRequested();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    // The viewport's size.
    void resizeEvent(QResizeEvent *event) override;

private:
    bool hasSelection() const;
    void requestMenuAtCurrent();
    void onHeaderClicked(int section);

    int m_sortColumn;
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
};
