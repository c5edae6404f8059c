#pragma once

#include <QTreeView>

// The item list: a flat report view that tells when the user picked an item
// (by mouse or by keyboard), when the item menu is wanted (right button,
// the menu key, Shift+F10) and when the Delete key asks to delete it.
class ItemListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ItemListView(QWidget *parent = nullptr);

signals:
    void itemPicked();
    void menuRequested(const QPoint &globalPos);
    void deleteRequested();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool hasSelection() const;
    void requestMenuAtCurrent();
};
