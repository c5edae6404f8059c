#pragma once

#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;
class frmMain;

// The main window's place in the system tray: the icon, made on the first
// trip to the tray and kept until the program ends, and its menu.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    // The menu's first item shows or hides the window; the add-feed item
    // needs a node of the tree to file the feed under.
    TrayIcon(frmMain &window, QMenu *menu, QAction *showItem, QAction *addFeedItem);

    QSystemTrayIcon *icon() const { return m_icon; }
    static bool available();

    // Hides the window to the tray; without a tray the window stays
    // reachable on the task bar.
    void AddToSystemTray();
    void HandleSystrayMenu(const QString &sKey);
    // "Show" or "Hide" in the current language.
    void showTexts();
    // At unload: the icon leaves the tray.
    void remove();

private:
    void create();
    void showState(bool windowShown);

    frmMain &m_window;
    QMenu *m_menu;
    QAction *m_showItem;
    QSystemTrayIcon *m_icon = nullptr;
    bool m_offersHide = false; // the first item hides the window
};
