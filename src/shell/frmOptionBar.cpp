#include "shell/frmOptionBar.h"

#include "catalogue/Catalogue.h"
#include "feeds/UnreadCounts.h"
#include "util/ui/CategoryNode.h"
#include "util/ui/ShellIcons.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolBox>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace CategoryNode;

namespace
{

const QString dragFormat = QStringLiteral("application/x-quorvane-feed");

QTreeWidgetItem *makeNode(const QString &key, const QString &text, int image)
{
    auto *node = new QTreeWidgetItem(QStringList {text});
    node->setData(0, KeyRole, key);
    node->setData(0, ImageRole, image);
    node->setIcon(0, ShellIcons::feedImage(image));
    return node;
}

// Categories sort by name, letter case ignored; equal names keep file order.
bool sortsBefore(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

} // namespace

// The tree itself: selection on any button, menus on right-button release,
// F2 editing, and the feed drag between categories.
class CategoryTree : public QTreeWidget
{
public:
    explicit CategoryTree(frmOptionBar *owner) : QTreeWidget(owner), m_owner(owner) { }

    using QTreeWidget::itemFromIndex;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (QTreeWidgetItem *node = itemAt(event->position().toPoint()))
            setCurrentItem(node);
        QTreeWidget::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QTreeWidget::mouseReleaseEvent(event);
        if (event->button() == Qt::RightButton)
            m_owner->requestMenu(event->globalPosition().toPoint());
    }

    void contextMenuEvent(QContextMenuEvent *event) override
    {
        // Mouse menus open on release; this one is the keyboard's menu key.
        if (event->reason() != QContextMenuEvent::Keyboard || !currentItem())
            return;
        m_owner->requestMenu(viewport()->mapToGlobal(visualItemRect(currentItem()).center()));
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        if (!m_owner->handleKey(event))
            QTreeWidget::keyPressEvent(event);
    }

    void keyReleaseEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_F2)
            m_owner->editSelectedLabel();
        QTreeWidget::keyReleaseEvent(event);
    }

    void startDrag(Qt::DropActions) override
    {
        if (!m_owner->startDrag(currentItem()))
            return;
        auto *data = new QMimeData;
        data->setData(dragFormat, key(currentItem()).toUtf8());
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        drag->setPixmap(currentItem()->icon(0).pixmap(16, 16));
        drag->exec(Qt::MoveAction);
    }

    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (event->source() == this && event->mimeData()->hasFormat(dragFormat))
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void dragMoveEvent(QDragMoveEvent *event) override
    {
        QTreeWidgetItem *node = itemAt(event->position().toPoint());
        if (!isCategory(node)) {
            event->ignore();
            return;
        }
        setCurrentItem(node);
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }

    void dropEvent(QDropEvent *event) override
    {
        QTreeWidgetItem *node = itemAt(event->position().toPoint());
        event->setDropAction(Qt::CopyAction);
        event->accept();
        if (!node)
            return;
        // The question is asked once the drag has ended.
        const QPersistentModelIndex target = indexFromItem(node);
        QTimer::singleShot(0, m_owner, [this, target] {
            if (target.isValid())
                m_owner->dropFeed(itemFromIndex(target));
        });
    }

private:
    frmOptionBar *m_owner;
};

namespace
{

// Hands a finished label edit to the panel instead of writing it to the
// node, after the editor has closed.
class LabelEditDelegate : public QStyledItemDelegate
{
public:
    LabelEditDelegate(frmOptionBar *owner, CategoryTree *tree)
        : QStyledItemDelegate(tree), m_owner(owner), m_tree(tree)
    {
    }

    // The label with its unread count; the editor still gets the bare name.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int unread = index.data(CategoryNode::UnreadRole).toInt();
        if (unread <= 0)
            return;
        option->text = frmOptionBar::shownText(m_tree->itemFromIndex(index));
        option->font.setBold(true);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line)
            return;
        const QString text = line->text();
        const QPersistentModelIndex node(index);
        QTimer::singleShot(0, m_owner, [owner = m_owner, tree = m_tree, node, text] {
            if (node.isValid())
                owner->renameNode(tree->itemFromIndex(node), text);
        });
    }

private:
    frmOptionBar *m_owner;
    CategoryTree *m_tree;
};

} // namespace

frmOptionBar::frmOptionBar(Catalogue *catalogue, QWidget *parent)
    : QWidget(parent), m_catalogue(catalogue), m_optionBar(new QToolBox(this))
{
    setObjectName(QStringLiteral("frmOptionBar"));
    m_optionBar->setObjectName(QStringLiteral("ucOptionBar"));

    auto *item = new QWidget;
    item->setObjectName(QStringLiteral("categories_tree"));
    m_tree = new CategoryTree(this);
    m_tree->setObjectName(QStringLiteral("tvCategories"));
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setItemDelegate(new LabelEditDelegate(this, m_tree));
    m_tree->setDragEnabled(true);
    m_tree->setAcceptDrops(true);
    m_tree->setDragDropMode(QAbstractItemView::DragDrop);
    m_tree->setUniformRowHeights(true);
    auto *itemLayout = new QVBoxLayout(item);
    itemLayout->setContentsMargins(0, 0, 0, 0);
    itemLayout->addWidget(m_tree);

    const int index = m_optionBar->addItem(item, ShellIcons::feedImage(2), QStringLiteral("Categories"));
    m_optionBar->widget(index)->setProperty("key", QStringLiteral("categories"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_optionBar);

    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *node) {
        if (node && isFeed(node))
            emit feedActivated(record(node));
    });

    followCatalogue();
    rebuild();
}

// Renames change just their node; a deletion removes just its node; the
// rest rebuilds the tree, whose category keys follow file positions.
void frmOptionBar::followCatalogue()
{
    connect(m_catalogue, &Catalogue::reset, this, &frmOptionBar::rebuild);
    connect(m_catalogue, &Catalogue::categoryAdded, this, &frmOptionBar::rebuild);
    connect(m_catalogue, &Catalogue::feedAdded, this, &frmOptionBar::rebuild);
    connect(m_catalogue, &Catalogue::feedMoved, this, &frmOptionBar::rebuild);
    connect(m_catalogue, &Catalogue::categoryRenamed, this,
        [this](const QString &oldName, const QString &newName) {
            if (QTreeWidgetItem *node = categoryNode(oldName)) {
                node->setText(0, newName);
                placeSorted(node);
            }
        });
    connect(m_catalogue, &Catalogue::categoryRemoved, this,
        [this](const QString &name) { delete categoryNode(name); });
    connect(m_catalogue, &Catalogue::feedChanged, this, [this](const FeedRecord &, const FeedRecord &after) {
        if (QTreeWidgetItem *node = feedNode(after.FeedID))
            showFeed(node, after);
    });
    connect(m_catalogue, &Catalogue::feedRemoved, this,
        [this](const FeedRecord &feed) { delete feedNode(feed.FeedID); });
}

QTreeWidgetItem *frmOptionBar::categoryNode(const QString &name) const
{
    QTreeWidgetItem *root = m_tree->topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i) {
        if (root->child(i)->text(0).toLower() == name.toLower())
            return root->child(i);
    }
    return nullptr;
}

QTreeWidgetItem *frmOptionBar::feedNode(const QString &feedId) const
{
    return isFeed(findNode(feedId)) ? findNode(feedId) : nullptr;
}

void frmOptionBar::showFeed(QTreeWidgetItem *node, const FeedRecord &feed)
{
    node->setText(0, feed.FeedCaption);
    node->setData(0, ImageRole, CategoryNode::feedImage(feed.FeedType));
    node->setIcon(0, ShellIcons::feedIcon(feed.FeedType));
    node->setData(0, TagRole, feed.FeedURL);
    node->setToolTip(0, feed.FeedURL);
}

QTreeWidget *frmOptionBar::tvCategories() const
{
    return m_tree;
}

QTreeWidgetItem *frmOptionBar::selectedNode() const
{
    return m_tree->currentItem();
}

void frmOptionBar::revealNode(QTreeWidgetItem *node)
{
    if (!node)
        return;
    m_tree->setCurrentItem(node);
    m_tree->scrollToItem(node);
}

QTreeWidgetItem *frmOptionBar::findNode(const QString &wanted) const
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (key(*it) == wanted)
            return *it;
    }
    return nullptr;
}

void frmOptionBar::LoadCategories()
{
    m_catalogue->reload();
}

void frmOptionBar::rebuild()
{
    // Categories the user had open stay open.
    QSet<QString> expanded;
    if (QTreeWidgetItem *root = m_tree->topLevelItem(0)) {
        for (int i = 0; i < root->childCount(); ++i) {
            if (root->child(i)->isExpanded())
                expanded.insert(root->child(i)->text(0));
        }
    }
    m_tree->clear();
    QTreeWidgetItem *root = makeNode(rootKey, QStringLiteral("Subscribed Feeds"), 1);
    root->setFlags(root->flags() & ~Qt::ItemIsEditable & ~Qt::ItemIsDragEnabled);
    m_tree->addTopLevelItem(root);

    const QList<CatalogueCategory> &categories = m_catalogue->categories();
    for (qsizetype i = 0; i < categories.size(); ++i) {
        QTreeWidgetItem *category = makeNode(QStringLiteral("cat_%1").arg(i), categories[i].name, 2);
        category->setFlags((category->flags() | Qt::ItemIsEditable) & ~Qt::ItemIsDragEnabled);
        for (const FeedRecord &feed : categories[i].feeds) {
            QTreeWidgetItem *node
                = makeNode(feed.FeedID, feed.FeedCaption, CategoryNode::feedImage(feed.FeedType));
            showFeed(node, feed);
            node->setFlags(node->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
            category->addChild(node);
        }
        addCategoryNode(root, category);
        category->setExpanded(expanded.contains(category->text(0)));
    }
    root->setExpanded(true);
    showAllUnread();
}

void frmOptionBar::setUnreadCounts(UnreadCounts *counts)
{
    m_unread = counts;
    connect(counts, &UnreadCounts::changed, this, &frmOptionBar::showUnread);
    showAllUnread();
}

QString frmOptionBar::shownText(const QTreeWidgetItem *node)
{
    const int unread = unreadOf(node);
    return unread > 0 ? QStringLiteral("%1 (%2)").arg(node->text(0)).arg(unread) : node->text(0);
}

int frmOptionBar::unreadOf(const QTreeWidgetItem *node)
{
    return node ? node->data(0, UnreadRole).toInt() : 0;
}

// The feeds' nodes take their counts, their categories the new sums.
void frmOptionBar::showUnread(const QStringList &feedIds)
{
    if (!m_unread)
        return;
    // One walk of the tree, not one per feed.
    const QSet<QString> wanted(feedIds.begin(), feedIds.end());
    QHash<QString, QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (isFeed(*it) && wanted.contains(key(*it)))
            nodes.insert(key(*it), *it);
    }
    QSet<QTreeWidgetItem *> categories;
    for (const QString &id : feedIds) {
        if (QTreeWidgetItem *node = nodes.value(id)) {
            node->setData(0, UnreadRole, qMax(0, m_unread->of(id)));
            categories.insert(node->parent());
        }
    }
    for (QTreeWidgetItem *category : std::as_const(categories)) {
        int sum = 0;
        for (int i = 0; i < category->childCount(); ++i)
            sum += unreadOf(category->child(i));
        category->setData(0, UnreadRole, sum);
    }
}

void frmOptionBar::showAllUnread()
{
    QStringList ids;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (isFeed(*it))
            ids << key(*it);
    }
    showUnread(ids);
}

void frmOptionBar::addCategoryNode(QTreeWidgetItem *root, QTreeWidgetItem *node)
{
    // Binary search for the first category that sorts after this one.
    int low = 0;
    int high = root->childCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (sortsBefore(node->text(0), root->child(middle)->text(0)))
            high = middle;
        else
            low = middle + 1;
    }
    root->insertChild(low, node);
}

void frmOptionBar::placeSorted(QTreeWidgetItem *node)
{
    QTreeWidgetItem *root = node->parent();
    const bool expanded = node->isExpanded();
    root->removeChild(node);
    addCategoryNode(root, node);
    node->setExpanded(expanded);
    m_tree->setCurrentItem(node);
}

bool frmOptionBar::editSelectedLabel()
{
    QTreeWidgetItem *node = selectedNode();
    if (!node || isRoot(node))
        return false;
    m_tree->editItem(node);
    return true;
}

bool frmOptionBar::renameNode(QTreeWidgetItem *node, const QString &newText)
{
    if (!node || isRoot(node))
        return false;
    const Catalogue::Change change = isFeed(node) ? m_catalogue->renameFeed(record(node), newText)
                                                  : m_catalogue->renameCategory(node->text(0), newText);
    return change == Catalogue::Change::Applied;
}

bool frmOptionBar::startDrag(QTreeWidgetItem *node)
{
    if (!node || !isFeed(node))
        return false;
    m_dragged = record(node);
    return true;
}

bool frmOptionBar::dropFeed(QTreeWidgetItem *target)
{
    if (!isCategory(target) || m_dragged.FeedID.isEmpty())
        return false;
    const QString to = target->text(0);
    if (to == m_dragged.Category || !Catalogue::confirmMove(m_dragged, to))
        return false;
    return m_catalogue->moveFeed(m_dragged, to) == Catalogue::Change::Applied;
}

bool frmOptionBar::handleKey(QKeyEvent *event)
{
    QTreeWidgetItem *node = selectedNode();
    if (!node || isRoot(node))
        return false;
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain
        && CategoryNode::isFeed(node)) {
        emit feedActivated(CategoryNode::record(node));
        return true;
    }
    if (event->key() == Qt::Key_Delete && plain) {
        emit nodeDeleteRequested(node);
        return true;
    }
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        requestMenu(tvCategories()->viewport()->mapToGlobal(tvCategories()->visualItemRect(node).center()));
        return true;
    }
    return false;
}

void frmOptionBar::requestMenu(const QPoint &globalPos)
{
    QTreeWidgetItem *node = selectedNode();
    if (node && !isRoot(node))
        emit nodeMenuRequested(node, globalPos);
}
