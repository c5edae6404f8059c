// The main window's commands that open the dialogs of the catalogue and of
// the settings, and the Ctrl+C of "Add New Category" that leaves copying to
// a widget with selected text.
#include "shell/frmMain.h"

#include "catalogue/ui/frmAddFeed.h"
#include "catalogue/ui/frmCategory.h"
#include "config/ui/frmAppSettings.h"
#include "mail/ui/frmEmailSettings.h"
#include "scheduler/ui/frmScheduler.h"
#include "shell/frmOptionBar.h"
#include "util/ui/CategoryNode.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTreeWidgetItem>
#include <QWebEngineView>

namespace
{

// The category a new feed is filed under: the selected category, or the
// category of the selected feed; "" for the root or no selection.
QString presetCategory(QTreeWidgetItem *node)
{
    if (!node || CategoryNode::isRoot(node))
        return QString();
    if (CategoryNode::isFeed(node))
        return node->parent() ? node->parent()->text(0) : QString();
    return node->text(0);
}

bool isSelectedCategory(QTreeWidgetItem *node)
{
    return node && !CategoryNode::isRoot(node) && !CategoryNode::isFeed(node);
}

// True when the widget with the focus shows selected text that Ctrl+C
// should copy.
bool focusHasSelectedText()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return false;
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        return line->hasSelectedText();
    if (auto *text = qobject_cast<QTextEdit *>(focus))
        return text->textCursor().hasSelection();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        return plain->textCursor().hasSelection();
    if (auto *label = qobject_cast<QLabel *>(focus))
        return label->hasSelectedText();
    for (QWidget *widget = focus; widget; widget = widget->parentWidget()) {
        if (auto *view = qobject_cast<QWebEngineView *>(widget))
            return view->hasSelection();
    }
    return false;
}

// Decides who gets Ctrl+C before the shortcut sees it: the focused widget
// when it has selected text, the shortcut otherwise.
class CopyKeyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::ShortcutOverride
            || !static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy))
            return false;
        // Accepted, the key goes to the widget; ignored, to the shortcut
        // (a text box claims Ctrl+C even with nothing selected).
        event->setAccepted(focusHasSelectedText());
        return true;
    }
};

} // namespace

void frmMain::installCopyKeyFilter()
{
    qApp->installEventFilter(new CopyKeyFilter(this));
}

void frmMain::AddCategory()
{
    showCategoryDialog(0, QString());
}

void frmMain::editSelectedCategory()
{
    QTreeWidgetItem *node = m_optionBar->selectedNode();
    if (isSelectedCategory(node))
        showCategoryDialog(1, node->text(0));
}

void frmMain::AddFeed()
{
    if (m_optionBar->tvCategories()->topLevelItemCount() == 0)
        return;
    showFeedDialog(0, presetCategory(m_optionBar->selectedNode()), nullptr);
}

void frmMain::editSelectedFeed()
{
    QTreeWidgetItem *node = m_optionBar->selectedNode();
    if (!CategoryNode::isFeed(node))
        return;
    const FeedRecord feed = CategoryNode::record(node);
    showFeedDialog(1, feed.Category, &feed);
}

void frmMain::showCategoryDialog(int mode, const QString &name)
{
    frmCategory dialog(m_catalogue, this);
    dialog.Mode = qint16(mode);
    dialog.CategoryName = name;
    if (dialog.exec() == QDialog::Accepted)
        m_optionBar->revealNode(m_optionBar->categoryNode(dialog.chosenName()));
}

void frmMain::showFeedDialog(int mode, const QString &category, const FeedRecord *feed)
{
    frmAddFeed dialog(m_catalogue, this);
    dialog.iDisplayMode = qint16(mode);
    dialog.sCategory = category;
    if (feed) {
        dialog.sFeedID = feed->FeedID;
        dialog.setFeed(*feed);
    }
    if (dialog.exec() == QDialog::Accepted)
        m_optionBar->revealNode(m_optionBar->feedNode(dialog.savedFeedId()));
}

void frmMain::showScheduler()
{
    frmScheduler dialog(m_catalogue, this);
    dialog.exec();
}

void frmMain::showEmailSettings()
{
    frmEmailSettings dialog(this);
    dialog.exec();
}

void frmMain::showAppSettings()
{
    frmAppSettings dialog(this);
    dialog.exec();
}
