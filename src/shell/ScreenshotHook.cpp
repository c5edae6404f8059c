#include "shell/ScreenshotHook.h"

#include "catalogue/ui/frmAddFeed.h"
#include "catalogue/ui/frmCategory.h"
#include "config/ui/frmAppSettings.h"
#include "i18n/ui/frmLanguage.h"
#include "mail/ui/frmEmailSettings.h"
#include "mail/ui/frmSendEmail.h"
#include "scheduler/ui/frmScheduler.h"
#include "shell/frmConfirmClose.h"
#include "shell/frmMain.h"
#include "shell/frmOptionBar.h"
#include "util/ui/CategoryNode.h"
#include "viewer/ui/frmViewFeed.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace
{

constexpr int pollMs = 100;
constexpr int giveUpMs = 30000;
constexpr int renderMs = 2500;

QTreeWidgetItem *firstFeedNode(frmOptionBar *bar)
{
    for (QTreeWidgetItemIterator it(bar->tvCategories()); *it; ++it) {
        if (CategoryNode::isFeed(*it))
            return *it;
    }
    return nullptr;
}

void clickFirstRow(QAbstractItemView *list)
{
    const QModelIndex first = list->model()->index(0, 0);
    list->setCurrentIndex(first);
    const QPointF at = list->visualRect(first).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
    }
}

bool saveDialog(QDialog &dialog, const QString &folder)
{
    dialog.show();
    QApplication::processEvents();
    return dialog.grab().save(QDir(folder).filePath(dialog.objectName() + QStringLiteral(".png")), "PNG");
}

bool saveDialogs(frmMain *main, const QString &folder)
{
    if (folder.isEmpty())
        return true;
    frmConfirmClose confirmClose(main);
    frmLanguage languages(main, main);
    frmCategory category(main->catalogue(), main);
    frmAppSettings appSettings(main);
    frmAddFeed addFeed(main->catalogue(), main);
    frmScheduler scheduler(main->catalogue(), main);
    frmEmailSettings emailSettings(main);
    frmSendEmail sendEmail(main);
    sendEmail.ChannelName = QStringLiteral("Harbour Town Gazette");
    bool saved = true;
    for (QDialog *dialog : std::initializer_list<QDialog *> {&confirmClose, &languages, &category,
             &appSettings, &addFeed, &scheduler, &emailSettings, &sendEmail})
        saved = saveDialog(*dialog, folder) && saved;
    return saved;
}

bool saveWindow(frmMain *main, const QString &path)
{
    QPixmap picture = main->screen()->grabWindow(main->winId());
    if (picture.isNull())
        picture = main->grab();
    return picture.save(path, "PNG");
}

void quitAfter(bool saved, bool complete)
{
    if (!saved || !complete)
        std::fprintf(
            stderr, "screenshot: %s\n", saved ? "feed did not load in time" : "could not save the picture");
    QApplication::exit(saved && complete ? 0 : 1);
}

// A second picture with the item list filtered, when asked for.
void saveAndQuit(frmMain *main, const QString &path, const QString &dialogs, bool complete)
{
    const bool saved = saveWindow(main, path) && saveDialogs(main, dialogs);
    const QString filter = qEnvironmentVariable("QUORVANE_SCREENSHOT_FILTER");
    const QString filtered = qEnvironmentVariable("QUORVANE_SCREENSHOT_FILTERED");
    frmViewFeed *feed = main->activeFeedWindow();
    auto *box = feed ? feed->findChild<QLineEdit *>(QStringLiteral("txtFilter")) : nullptr;
    if (!saved || filter.isEmpty() || filtered.isEmpty() || !box) {
        quitAfter(saved, complete);
        return;
    }
    box->setText(filter);
    QTimer::singleShot(
        renderMs, main, [main, filtered, complete] { quitAfter(saveWindow(main, filtered), complete); });
}

void waitForItems(QPointer<frmMain> main, const QString &path, const QString &dialogs, int waited)
{
    if (!main)
        return;
    frmViewFeed *feed = main->activeFeedWindow();
    auto *list = feed ? feed->findChild<QAbstractItemView *>(QStringLiteral("lstItems")) : nullptr;
    if (list && list->model() && list->model()->rowCount() > 0 && !feed->StillExecuting()) {
        clickFirstRow(list);
        QTimer::singleShot(renderMs, main, [main, path, dialogs] { saveAndQuit(main, path, dialogs, true); });
        return;
    }
    if (waited >= giveUpMs) {
        saveAndQuit(main, path, dialogs, false);
        return;
    }
    QTimer::singleShot(
        pollMs, main, [main, path, dialogs, waited] { waitForItems(main, path, dialogs, waited + pollMs); });
}

} // namespace

namespace ScreenshotHook
{

void arm(frmMain *main, const QString &pngPath, const QString &dialogFolder)
{
    QTimer::singleShot(300, main, [main, pngPath, dialogFolder] {
        QTreeWidgetItem *node = firstFeedNode(main->optionBar());
        if (node) {
            main->optionBar()->tvCategories()->setCurrentItem(node);
            main->OpenFeed(CategoryNode::record(node), true);
        }
        waitForItems(main, pngPath, dialogFolder, 0);
    });
}

} // namespace ScreenshotHook
