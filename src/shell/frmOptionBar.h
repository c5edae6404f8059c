#pragma once

#include "catalogue/FeedRecord.h"

#include <QWidget>

class QToolBox;
class QTreeWidget;
class QTreeWidgetItem;
class CategoryTree;

// The side panel: the catalogue as a tree of categories and feeds.
class frmOptionBar : public QWidget
{
    Q_OBJECT
public:
    explicit frmOptionBar(QWidget *parent = nullptr);

    QTreeWidget *tvCategories() const;
    QTreeWidgetItem *selectedNode() const;
    QTreeWidgetItem *findNode(const QString &key) const;

    // Rebuilds the tree from the catalogue; the root stays expanded.
    void LoadCategories();

    // The end of a label edit: applies the new text to the catalogue and the
    // node, or refuses it. True when applied.
    bool RenameNode(QTreeWidgetItem *node, const QString &newText);

    // A drag may start from a feed node only; remembers that feed.
    bool StartDrag(QTreeWidgetItem *node);
    // Moves the dragged feed into the category node after asking. True
    // when moved (the tree is then rebuilt).
    bool DropFeed(QTreeWidgetItem *target);

    // Opens the selected node's label for editing (not the root's).
    bool EditSelectedLabel();

signals:
    // A feed node was double-clicked.
    void feedActivated(const FeedRecord &feed);
    // A node other than the root asks for its menu.
    void nodeMenuRequested(QTreeWidgetItem *node, const QPoint &globalPos);

private:
    friend class CategoryTree;
    void requestMenu(const QPoint &globalPos);
    void addCategoryNode(QTreeWidgetItem *root, QTreeWidgetItem *node);
    void placeSorted(QTreeWidgetItem *node);

    QToolBox *m_optionBar;
    CategoryTree *m_tree;
    FeedRecord m_dragged;
};
