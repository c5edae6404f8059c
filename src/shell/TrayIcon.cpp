#include "shell/TrayIcon.h"

#include "i18n/Languages.h"
#include "shell/frmMain.h"
#include "shell/frmOptionBar.h"
#include "util/AppInfo.h"
#include "util/MessageKeys.h"
#include "util/Utilities.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(frmMain &window, QMenu *menu, QAction *showItem, QAction *addFeedItem)
    : QObject(&window), m_window(window), m_menu(menu), m_showItem(showItem)
{
    connect(m_menu, &QMenu::aboutToShow, this, [this, addFeedItem] {
        addFeedItem->setEnabled(m_window.optionBar() && m_window.optionBar()->selectedNode());
    });
}

bool TrayIcon::available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::create()
{
    m_icon = new QSystemTrayIcon(m_window.windowIcon(), &m_window);
    m_icon->setObjectName(QStringLiteral("oSysTray"));
    m_icon->setToolTip(AppInfo::title());
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            HandleSystrayMenu(QStringLiteral("show"));
    });
    m_icon->show();
    m_icon->showMessage(AppInfo::productName() + QLatin1Char(' ') + getMessages(Msg::MINIMIZED),
        getMessages(Msg::TRAY), QSystemTrayIcon::Information, 5000);
}

void TrayIcon::remove()
{
    if (!m_icon)
        return;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
}

void TrayIcon::AddToSystemTray()
{
    if (!available()) {
        if (!m_window.isMinimized() || !m_window.isVisible())
            m_window.showMinimized();
        return;
    }
    if (!m_icon)
        create();
    showState(false);
    m_window.hide();
}

void TrayIcon::showTexts()
{
    showState(m_offersHide);
}

void TrayIcon::showState(bool windowShown)
{
    m_offersHide = windowShown;
    m_showItem->setText(getMessages(windowShown ? Msg::TRAYHIDE : Msg::TRAYSHOW));
}

void TrayIcon::HandleSystrayMenu(const QString &sKey)
{
    if (sKey == QLatin1String("show")) {
        if (m_offersHide) {
            showState(false);
            m_window.hide();
        } else {
            showState(true);
            m_window.showNormal();
            m_window.raise();
            m_window.activateWindow();
        }
    } else if (sKey == QLatin1String("add_feed")) {
        m_window.AddFeed();
    } else if (sKey == QLatin1String("email_settings")) {
        m_window.showEmailSettings();
    } else if (sKey == QLatin1String("scheduler_settings")) {
        m_window.showScheduler();
    } else if (sKey == QLatin1String("app_settings")) {
        m_window.showAppSettings();
    } else if (sKey == QLatin1String("help_file")) {
        m_window.openHelpFile();
    } else if (sKey == QLatin1String("help_email")) {
        mUtil::ShellOpen(AppInfo::supportAddress());
    } else if (sKey == QLatin1String("help_website")) {
        mUtil::ShellOpen(AppInfo::webAddress());
    } else if (sKey == QLatin1String("close")) {
        m_window.closeOtherWindows();
        m_window.close();
    }
}
