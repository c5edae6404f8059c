#include "viewer/ui/PreviewWebPage.h"

#include "viewer/PreviewTemplate.h"

#include <QWebEngineSettings>

PreviewWebPage::PreviewWebPage(QObject *parent) : QWebEnginePage(parent)
{
    // Feed items are untrusted: no scripts, no reach into local files; their
    // remote images still load.
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadImages, true);
}

bool PreviewWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    const bool web = PreviewTemplate::isWebLink(url.toString());
    if (!isMainFrame)
        return web || url.scheme() == QLatin1String("about") || url.scheme() == QLatin1String("data");
    if (type == NavigationTypeLinkClicked) {
        if (web)
            emit webLinkClicked(url);
        return false;
    }
    return type == NavigationTypeTyped || type == NavigationTypeReload;
}
