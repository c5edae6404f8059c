// The main window's commands on the selected node of the tree and on the
// selected item of the active feed window.
#include "shell/frmMain.h"

#include "catalogue/Catalogue.h"
#include "i18n/Languages.h"
#include "shell/frmOptionBar.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/ui/CategoryNode.h"
#include "viewer/ui/frmViewFeed.h"

#include <QMdiSubWindow>
#include <QTreeWidget>

// Catalogue commands on the selected tree node.

void frmMain::openSelectedFeed(bool checkForNewItems)
{
    QTreeWidgetItem *node = m_optionBar->selectedNode();
    if (CategoryNode::isFeed(node))
        OpenFeed(CategoryNode::record(node), checkForNewItems);
}

void frmMain::deleteSelectedFeed()
{
    QTreeWidgetItem *node = m_optionBar->selectedNode();
    if (!CategoryNode::isFeed(node))
        return;
    if (!Messages::askYesNo(getMessages(Msg::DELETE4), getMessages(Msg::DELETE5)))
        return;
    // A window still showing the feed would write its data file again.
    const FeedRecord record = CategoryNode::record(node);
    const QList<QMdiSubWindow *> windows = windowsShowing(record.FeedID);
    for (QMdiSubWindow *window : windows) {
        if (!m_tabs->oTabs_CloseWindow(window))
            return;
    }
    if (m_catalogue->deleteFeed(record) != Catalogue::Change::Applied)
        return;
    for (QMdiSubWindow *window : windows)
        window->close();
}

void frmMain::deleteSelectedCategory()
{
    QTreeWidgetItem *node = m_optionBar->selectedNode();
    if (!node || CategoryNode::isRoot(node) || CategoryNode::isFeed(node))
        return;
    const QString name = node->text(0);
    const QString question = getMessages(Msg::DELETE1) + name + getMessages(Msg::DELETE2)
        + QStringLiteral("\r\n\r\n") + getMessages(Msg::DELETE3);
    const Messages::Answer answer = Messages::show(
        Messages::Icon::Question, getMessages(Msg::DELETE4) + name, question, Messages::Buttons::YesNo);
    if (answer == Messages::Answer::No)
        return;
    m_catalogue->deleteCategory(name);
}

void frmMain::deleteFeedItem()
{
    if (Messages::askYesNo(getMessages(Msg::DELETE3), getMessages(Msg::DELETE5)))
        forwardToFeedWindow(QStringLiteral("del"));
}

void frmMain::forwardToFeedWindow(const QString &action)
{
    if (frmViewFeed *feed = activeFeedWindow())
        feed->HandlePopupMenu(action);
}
