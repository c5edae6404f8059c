#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QPair>
#include <QString>

class QAction;
class QMenu;
class QToolBar;
class frmMain;

// The main window's commands in one table: the menus, the tool bar, the
// tray menu and the list of shortcuts are all made from it, so a command's
// name, text, keys and effect are written once.
namespace Commands
{

enum Flag {
    Checkable = 0x1,
    Checked = 0x2,
    Disabled = 0x4, // until the window enables it
    Untranslated = 0x8, // the program sets the text itself
    Hidden = 0x10,
    Default = 0x20, // the menu's default item
};

// Where commands are shown: a menu of the menu bar, a pop-up menu, the
// tool bar, or the window alone (a command with no place to click).
struct Place {
    enum Kind { MenuBar, PopupMenu, ToolBar, Window };
    const char *name; // objectName
    const char *text; // design text (a menu's title)
    Kind kind;
    int flags = 0;
};

struct Command {
    const char *name; // objectName; nullptr for a separator
    const char *textKey; // localization key; nullptr when untranslated
    const char *text; // design text
    QKeySequence shortcut;
    const char *icon; // ShellIcons name; nullptr for none
    void (*run)(frmMain &window);
    const char *place; // Place::name
    int flags = 0;
};

// In the order they are made, which is the order of the localization keys.
const QList<Place> &places();
// Grouped by place, in the places' order; separators in between.
const QList<Command> &table();

// Every command with a shortcut: its text in the current language and its
// keys, in the table's order.
QList<QPair<QString, QKeySequence>> shortcuts();

// What the table made for a window.
struct Made {
    QHash<QString, QMenu *> menus;
    QHash<QString, QAction *> actions;
    QToolBar *toolBar = nullptr;
};

// Makes the menus, tool bar and actions of the table on the window, each
// action running its command on it.
Made make(frmMain &window);

} // namespace Commands
