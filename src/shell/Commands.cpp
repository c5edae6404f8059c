#include "shell/Commands.h"

#include "i18n/Languages.h"
#include "shell/ScheduleTimer.h"
#include "shell/TrayIcon.h"
#include "shell/frmMain.h"
#include "util/ui/ShellIcons.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace Commands
{

namespace
{

Command separator(const char *place)
{
    return {nullptr, nullptr, nullptr, {}, nullptr, nullptr, place};
}

// A tool bar button does what its menu command does, and nothing while
// that command is disabled.
void trigger(frmMain &window, const char *name)
{
    window.command(QLatin1String(name))->trigger();
}

void tray(frmMain &window, const char *key)
{
    window.tray()->HandleSystrayMenu(QLatin1String(key));
}

} // namespace

const QList<Place> &places()
{
    static const QList<Place> list {
        {"mnuFile", "File", Place::MenuBar},
        {"mnuCat", "Feed Manager", Place::MenuBar},
        {"mnuTools", "Tools", Place::MenuBar},
        {"mnuLanguages", "Languages", Place::MenuBar},
        {"mnuHelp", "Help", Place::MenuBar},
        {"mnuAbout", "About", Place::MenuBar},
        {"mnuFeeds", "Feeds", Place::PopupMenu},
        {"mnuWindows", "Windows", Place::PopupMenu}, // one entry per feed window
        {"mnuFeedItem", "FeedItemPopup", Place::PopupMenu, Untranslated}, // its title is never seen
        {"mnuSysTray", "SysTryMenu", Place::PopupMenu, Untranslated},
        {"tbMain", "Toolbar", Place::ToolBar},
        {"frmMain", "", Place::Window},
    };
    return list;
}

const QList<Command> &table()
{
    using K = QKeySequence;
    static const QList<Command> list {
        {"mnuFileImport", "frmMain_mnuFileImport0", "Import Feeds (OPML)...", {}, nullptr,
            [](frmMain &w) { w.importOpml(); }, "mnuFile"},
        {"mnuFileExport", "frmMain_mnuFileExport0", "Export Feeds (OPML)...", {}, nullptr,
            [](frmMain &w) { w.exportOpml(); }, "mnuFile"},
        separator("mnuFile"),
        {"mnuFileExit", "frmMain_mnuFileExit0", "Exit", {}, nullptr, [](frmMain &w) { w.close(); },
            "mnuFile"},

        {"mnuCatNew", "frmMain_mnuCatNew0", "Add New Category", K(Qt::CTRL | Qt::Key_C), nullptr,
            [](frmMain &w) { w.AddCategory(); }, "mnuCat"},
        {"mnuCatEdit", "frmMain_mnuCatEdit0", "Edit Category Details", {}, nullptr,
            [](frmMain &w) { w.editSelectedCategory(); }, "mnuCat"},
        {"mnuCatDelete", "frmMain_mnuCatDelete0", "Delete selected Category", {}, nullptr,
            [](frmMain &w) { w.deleteSelectedCategory(); }, "mnuCat"},
        separator("mnuCat"),
        {"mnuCatNewFeed", "frmMain_mnuCatNewFeed0", "Add New Feed", K(Qt::CTRL | Qt::Key_N), nullptr,
            [](frmMain &w) { w.AddFeed(); }, "mnuCat"},
        {"mnuCatAllRead", "frmMain_mnuCatAllRead0", "Mark All as Read", {}, nullptr,
            [](frmMain &w) { w.markSelectedAllRead(); }, "mnuCat"},
        separator("mnuCat"),
        {"mnuCatRefresh", "frmMain_mnuCatRefresh0", "Refresh", K(Qt::Key_F5), nullptr,
            [](frmMain &w) { w.refreshCategories(); }, "mnuCat"},

        {"mnuToolsEmailSettings", "frmMain_mnuToolsEmailSettings0", "Email Settings",
            K(Qt::CTRL | Qt::Key_F3), nullptr, [](frmMain &w) { w.showEmailSettings(); }, "mnuTools"},
        {"mnuToolsScheduler", "frmMain_mnuToolsScheduler0", "Scheduler", K(Qt::CTRL | Qt::Key_F4), nullptr,
            [](frmMain &w) { w.showScheduler(); }, "mnuTools"},
        {"mnuToolsAppSettings", "frmMain_mnuToolsAppSettings0", "Application Settings", {}, nullptr,
            [](frmMain &w) { w.showAppSettings(); }, "mnuTools"},
        separator("mnuTools"),
        // Enabled once an item of a feed window has been selected.
        {"mnuToolsSendByEmail", "frmMain_mnuToolsSendByEmail0", "Send by Email", K(Qt::Key_F3), nullptr,
            [](frmMain &w) { w.forwardToFeedWindow(QStringLiteral("email")); }, "mnuTools", Disabled},
        {"mnuToolsExecute", "frmMain_mnuToolsExecute0", "Execute Schedule Now", K(Qt::Key_F9), nullptr,
            [](frmMain &w) { w.schedule()->runScheduleTick(); }, "mnuTools"},
        {"mnuToolsCheckAll", "frmMain_mnuToolsCheckAll0", "Check All Feeds", K(Qt::Key_F6), nullptr,
            [](frmMain &w) { w.schedule()->checkAllFeeds(); }, "mnuTools"},
        separator("mnuTools"),
        {"mnuToolsOptionBar", "frmMain_mnuToolsOptionBar0", "Option Bar", K(Qt::Key_F4), nullptr,
            [](frmMain &w) { w.toggleOptionBar(); }, "mnuTools", Checkable | Checked},

        {"mnuLanguagesChange", "frmMain_mnuLanguagesChange0", "Change Languages", {}, nullptr,
            [](frmMain &w) { w.showLanguages(); }, "mnuLanguages"},

        {"mnuHelpView", "frmMain_mnuHelpView0", "View Help", K(Qt::Key_F1), nullptr,
            [](frmMain &w) { w.openHelpFile(); }, "mnuHelp"},

        {"mnuAboutThis", "frmMain_mnuAboutThis0", "About this software", {}, nullptr,
            [](frmMain &w) { w.showAbout(); }, "mnuAbout"},
        {"mnuAboutWebsite", "frmMain_mnuAboutWebsite0", "Visit our Website", K(Qt::SHIFT | Qt::Key_F1),
            nullptr, [](frmMain &w) { w.openWebsite(); }, "mnuAbout"},

        {"mnuFeedsCheck", "frmMain_mnuFeedsCheck0", "Check for New Feed Items...", {}, nullptr,
            [](frmMain &w) { w.openSelectedFeed(true); }, "mnuFeeds"},
        {"mnuFeedsOpen", "frmMain_mnuFeedsOpen0", "Open Feed in Work area", {}, nullptr,
            [](frmMain &w) { w.openSelectedFeed(false); }, "mnuFeeds"},
        separator("mnuFeeds"),
        {"mnuFeedsAdd", "frmMain_mnuFeedsAdd0", "Add New Feed", {}, nullptr, [](frmMain &w) { w.AddFeed(); },
            "mnuFeeds"},
        {"mnuFeedsEdit", "frmMain_mnuFeedsEdit0", "Edit Feed Details", {}, nullptr,
            [](frmMain &w) { w.editSelectedFeed(); }, "mnuFeeds"},
        {"mnuFeedsDelete", "frmMain_mnuFeedsDelete0", "Delete selected Feed", {}, nullptr,
            [](frmMain &w) { w.deleteSelectedFeed(); }, "mnuFeeds"},
        separator("mnuFeeds"),
        {"mnuFeedsAllRead", "frmMain_mnuFeedsAllRead0", "Mark All as Read", {}, nullptr,
            [](frmMain &w) { w.markSelectedAllRead(); }, "mnuFeeds"},

        {"mnuFeedItemShow", "frmMain_mnuFeedItemShow0", "Show ", {}, nullptr,
            [](frmMain &w) { w.forwardToFeedWindow(QStringLiteral("show")); }, "mnuFeedItem"},
        {"mnuFeedItemOnline", "frmMain_mnuFeedItemOnline0", "View Online", {}, nullptr,
            [](frmMain &w) { w.forwardToFeedWindow(QStringLiteral("online")); }, "mnuFeedItem"},
        {"mnuFeedItemUnread", "frmMain_mnuFeedItemUnread0", "Mark as Unread", {}, nullptr,
            [](frmMain &w) { w.forwardToFeedWindow(QStringLiteral("unread")); }, "mnuFeedItem"},
        {"mnuFeedItemAllRead", "frmMain_mnuFeedItemAllRead0", "Mark All as Read", {}, nullptr,
            [](frmMain &w) { w.forwardToFeedWindow(QStringLiteral("allread")); }, "mnuFeedItem"},
        separator("mnuFeedItem"),
        {"mnuFeedItemDelete", "frmMain_mnuFeedItemDelete0", "Delete", {}, nullptr,
            [](frmMain &w) { w.deleteFeedItem(); }, "mnuFeedItem"},
        separator("mnuFeedItem"),
        {"mnuFeedItemHTML", "frmMain_mnuFeedItemHTML0", "Export to HTML", {}, nullptr,
            [](frmMain &w) { w.forwardToFeedWindow(QStringLiteral("html")); }, "mnuFeedItem"},
        {"mnuFeedItemTXT", "frmMain_mnuFeedItemTXT0", "Export to TXT", {}, nullptr,
            [](frmMain &w) { w.forwardToFeedWindow(QStringLiteral("txt")); }, "mnuFeedItem"},
        separator("mnuFeedItem"),
        {"mnuFeedItemEmail", "frmMain_mnuFeedItemEmail0", "Send as Email", {}, nullptr,
            [](frmMain &w) { w.forwardToFeedWindow(QStringLiteral("email")); }, "mnuFeedItem"},

        // "Show" or "Hide", from the messages.
        {"mnuSysTrayShow", nullptr, "Show", {}, nullptr, [](frmMain &w) { tray(w, "show"); }, "mnuSysTray",
            Untranslated | Default},
        separator("mnuSysTray"),
        {"mnuSysTrayAddFeed", "frmMain_mnuSysTrayAddFeed0", "Add New Feed", {}, nullptr,
            [](frmMain &w) { tray(w, "add_feed"); }, "mnuSysTray"},
        {"mnuSysTrayEmailSettings", "frmMain_mnuSysTrayEmailSettings0", "Email Settings", {}, nullptr,
            [](frmMain &w) { tray(w, "email_settings"); }, "mnuSysTray"},
        {"mnuSysTrayScheduler", "frmMain_mnuSysTrayScheduler0", "Scheduler Settings", {}, nullptr,
            [](frmMain &w) { tray(w, "scheduler_settings"); }, "mnuSysTray"},
        {"mnuSysTrayAppSettings", "frmMain_mnuSysTrayAppSettings0", "Application Settings", {}, nullptr,
            [](frmMain &w) { tray(w, "app_settings"); }, "mnuSysTray"},
        separator("mnuSysTray"),
        {"mnuSysTrayHelp", "frmMain_mnuSysTrayHelp0", "Help File", {}, nullptr,
            [](frmMain &w) { tray(w, "help_file"); }, "mnuSysTray"},
        {"mnuSysTrayContact", "frmMain_mnuSysTrayContact0", "Contact Us", {}, nullptr,
            [](frmMain &w) { tray(w, "help_email"); }, "mnuSysTray"},
        {"mnuSysTrayWebsite", "frmMain_mnuSysTrayWebsite0", "Visit Product Website", {}, nullptr,
            [](frmMain &w) { tray(w, "help_website"); }, "mnuSysTray"},
        separator("mnuSysTray"),
        {"mnuSysTrayClose", "frmMain_mnuSysTrayClose0", "Close", {}, nullptr,
            [](frmMain &w) { tray(w, "close"); }, "mnuSysTray"},

        {"cmdAddCategory", "frmMain_cmdAddCategory", "Add Category", {}, "add-category",
            [](frmMain &w) { trigger(w, "mnuCatNew"); }, "tbMain"},
        {"cmdAddFeed", "frmMain_cmdAddFeed", "Add Feed", {}, "add-feed",
            [](frmMain &w) { trigger(w, "mnuCatNewFeed"); }, "tbMain"},
        // Sends the selected item of the active feed window, whether or not
        // "Send by Email" has been enabled yet.
        {"cmdEmail", "frmMain_cmdEmail", "Email Article", {}, "email",
            [](frmMain &w) { w.forwardToFeedWindow(QStringLiteral("email")); }, "tbMain"},
        {"cmdSchedule", "frmMain_cmdSchedule", "Schedule", {}, "schedule",
            [](frmMain &w) { trigger(w, "mnuToolsScheduler"); }, "tbMain"},
        {"cmdSettings", "frmMain_cmdSettings", "Settings", {}, "settings",
            [](frmMain &w) { trigger(w, "mnuToolsAppSettings"); }, "tbMain"},
        {"cmdTogglePanel", "frmMain_cmdTogglePanel", "Toggle Panel", {}, "panel",
            [](frmMain &w) { trigger(w, "mnuToolsOptionBar"); }, "tbMain"},
        {"cmdWindows", "frmMain_cmdWindows", "Windows", {}, "windows",
            [](frmMain &w) { w.menu(QStringLiteral("mnuWindows"))->popup(QCursor::pos()); }, "tbMain"},

        // Writes the localization file from the current texts.
        {"cmdLocalization", nullptr, "Make Localization File", {}, nullptr,
            [](frmMain &w) { w.makeLocalizationFile(); }, "frmMain", Untranslated | Hidden},
    };
    return list;
}

QList<QPair<QString, QKeySequence>> shortcuts()
{
    QList<QPair<QString, QKeySequence>> list;
    for (const Command &command : table()) {
        if (command.shortcut.isEmpty())
            continue;
        QString text = command.textKey ? Languages().getCaption(QLatin1String(command.textKey)) : QString();
        if (text.isEmpty())
            text = QString::fromUtf8(command.text);
        list.append({text, command.shortcut});
    }
    return list;
}

namespace
{

QAction *makeAction(const Command &command, frmMain &window, QObject *parent)
{
    auto *action = new QAction(QString::fromUtf8(command.text), parent);
    action->setObjectName(QLatin1String(command.name));
    action->setShortcut(command.shortcut);
    if (command.icon)
        action->setIcon(ShellIcons::named(QLatin1String(command.icon)));
    if (command.flags & Untranslated)
        action->setProperty("translated", false);
    action->setCheckable(command.flags & Checkable);
    action->setChecked(command.flags & Checked);
    if (command.flags & Disabled)
        action->setEnabled(false);
    if (command.flags & Hidden)
        action->setVisible(false);
    QObject::connect(action, &QAction::triggered, &window, [&window, run = command.run] { run(window); });
    return action;
}

} // namespace

Made make(frmMain &window)
{
    Made made;
    for (const Place &place : places()) {
        const QString name = QLatin1String(place.name);
        const QString title = QString::fromUtf8(place.text);
        QMenu *menu = nullptr;
        QObject *parent = &window;
        switch (place.kind) {
        case Place::MenuBar:
            menu = window.menuBar()->addMenu(title);
            break;
        case Place::PopupMenu:
            menu = new QMenu(title, &window);
            break;
        case Place::ToolBar:
            made.toolBar = window.addToolBar(title);
            made.toolBar->setObjectName(name);
            parent = made.toolBar;
            break;
        case Place::Window:
            break;
        }
        if (menu) {
            menu->setObjectName(name);
            if (place.flags & Untranslated)
                menu->setProperty("translated", false);
            made.menus.insert(name, menu);
        }
        for (const Command &command : table()) {
            if (qstrcmp(command.place, place.name) != 0)
                continue;
            if (!command.name) {
                if (menu)
                    menu->addSeparator();
                continue;
            }
            QAction *action = makeAction(command, window, parent);
            made.actions.insert(action->objectName(), action);
            if (menu) {
                menu->addAction(action);
                if (command.flags & Default)
                    menu->setDefaultAction(action);
            } else if (place.kind == Place::ToolBar) {
                made.toolBar->addAction(action);
            } else {
                window.addAction(action);
            }
        }
    }
    return made;
}

} // namespace Commands
