#pragma once

#include "util/FeedRecord.h"

#include <QWidget>

class Catalogue;
class QKeyEvent;
class QToolBox;
class QTreeWidget;
class QTreeWidgetItem;
class CategoryTree;

// The side panel: the catalogue as a tree of categories and feeds, a view
// of the catalogue model that follows its changes.
class UnreadCounts;

class frmOptionBar : public QWidget
{
    Q_OBJECT
public:
    explicit frmOptionBar(Catalogue *catalogue, QWidget *parent = nullptr);

    QTreeWidget *tvCategories() const;
    QTreeWidgetItem *selectedNode() const;
    QTreeWidgetItem *findNode(const QString &key) const;

    // Reads the catalogue from the file again; the tree follows.
    void LoadCategories();

    // The end of a label edit: renames the category or feed in the
    // catalogue (the node follows), or refuses it. True when applied.
    bool renameNode(QTreeWidgetItem *node, const QString &newText);

    // A drag may start from a feed node only; remembers that feed.
    bool startDrag(QTreeWidgetItem *node);
    // Moves the dragged feed into the category node after asking. True
    // when moved (the tree is then rebuilt).
    bool dropFeed(QTreeWidgetItem *target);

    // The first category node of that name (letter case ignored), and the
    // node of a feed.
    QTreeWidgetItem *categoryNode(const QString &name) const;
    QTreeWidgetItem *feedNode(const QString &feedId) const;

    // Selects the node and scrolls to it, opening its category.
    void revealNode(QTreeWidgetItem *node);

    // Shows the unread counts: "Name (12)" in bold on a feed while it has
    // unread items, the sum of its feeds on a category.
    void setUnreadCounts(UnreadCounts *counts);
    // The label as the tree shows it, count included.
    static QString shownText(const QTreeWidgetItem *node);
    static int unreadOf(const QTreeWidgetItem *node);

    // Opens the selected node's label for editing (not the root's).
    bool editSelectedLabel();

signals:
    // A feed node was double-clicked.
    void feedActivated(const FeedRecord &feed);
    // A node other than the root asks for its menu.
    void nodeMenuRequested(QTreeWidgetItem *node, const QPoint &globalPos);
    // The Delete key on a node other than the root.
    void nodeDeleteRequested(QTreeWidgetItem *node);

private:
    friend class CategoryTree;
    void requestMenu(const QPoint &globalPos);
    // Enter on a feed node opens it, Delete asks to delete the node,
    // Shift+F10 opens its menu; false for any other key.
    bool handleKey(QKeyEvent *event);
    void followCatalogue();
    // Builds the tree from the catalogue; the root stays expanded.
    void rebuild();
    void addCategoryNode(QTreeWidgetItem *root, QTreeWidgetItem *node);
    void placeSorted(QTreeWidgetItem *node);
    void showFeed(QTreeWidgetItem *node, const FeedRecord &feed);
    void showUnread(const QStringList &feedIds);
    void showAllUnread();

    Catalogue *m_catalogue;
    QToolBox *m_optionBar;
    CategoryTree *m_tree;
    FeedRecord m_dragged;
    UnreadCounts *m_unread = nullptr;
};
