#pragma once

#include <QTreeView>

// The item list: a flat report view that tells when the user picked an item
// (by mouse or by keyboard) and when the item menu is wanted.
class ItemListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ItemListView(QWidget *parent = nullptr);

signals:
    void itemPicked();
    void menuRequested(const QPoint &globalPos);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool hasSelection() const;
};
