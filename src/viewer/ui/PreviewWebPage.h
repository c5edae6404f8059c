#pragma once

#include <QWebEnginePage>

// The preview's page: it shows what the window hands it and nothing else.
// A clicked web link is passed on (to the default browser) instead of
// replacing the preview; every other navigation the page itself starts
// (forms, refresh redirects, local files) is refused.
class PreviewWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit PreviewWebPage(QObject *parent = nullptr);

signals:
    void webLinkClicked(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
};
