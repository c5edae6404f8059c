#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QWidget;

// The texts of a window's controls by their localization keys.
//
// A window is a widget whose objectName starts with "frm"; its controls are
// the named objects below it in QObject::findChildren order (depth first,
// each parent before its children, children in the order they were made),
// leaving out other windows and what lies below them, Qt's own parts of a
// widget ("qt_..." and what a tab bar holds), and controls whose property
// "translated" is false (texts the program sets itself). By kind:
//   QLabel, QPushButton, QToolButton, QGroupBox, QCheckBox, QRadioButton and
//     a named QAction outside menus (a toolbar button): WINDOW_NAME;
//   QTabWidget, QTabBar: WINDOW_NAME_TABSn for tab n (from 1);
//   a QTreeView, QTableView or QTreeWidget: WINDOW_NAME_COLn for column header n;
//   a QMenu (its title) or a QAction in a menu: WINDOW_NAMEi, i its index in
//     its array or 0.
// A control of a control array (with an "index" property) has its index
// after its name, so each one keeps a text of its own. The window's title,
// WINDOW_CAPTION, comes last.
namespace WindowTexts
{

// Every key of the window with the text it holds now, in the order above.
QList<QPair<QString, QString>> collect(QWidget *window);

// Puts the loaded language's text of every key it defines into the window.
void apply(QWidget *window);

} // namespace WindowTexts

// Loads the language (English when it has at most one line), translates the
// window's controls, menus and title, and the program's messages, then
// sends the window a QEvent::LanguageChange for the texts it sets itself.
void ChangeLanguage(QWidget *window, const QString &language);
// The same for the main window.
void ChangeLanguageMDI(QWidget *window, const QString &language);
