#pragma once

#include <QTreeView>

// The item list: a flat report view that tells when the user picked an item
// (by mouse or by keyboard), when the item menu is wanted (right button,
// the menu key, Shift+F10), when the Delete key asks to delete it, and the
// reading keys: N for the next unread item, Space for the next page.
class ItemListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ItemListView(QWidget *parent = nullptr);

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

private:
    bool hasSelection() const;
    void requestMenuAtCurrent();
};
