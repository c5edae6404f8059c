#pragma once

#include "feeds/FeedItem.h"

#include <QPointer>
#include <QUrl>
#include <QWebEngineView>

#include <functional>
#include <optional>

class QKeyEvent;

// The HTML preview of a feed window. It shows one page at a time: a page
// asked for while another loads waits for it, and only the last one asked
// for is shown. Clicked web links are handed on, not followed; keys
// pressed in the page go to the key handler.
class PreviewPane : public QWebEngineView
{
    Q_OBJECT
public:
    enum class State { Blank, Loading, Shown };

    explicit PreviewPane(QWidget *parent = nullptr);
    ~PreviewPane() override;

    State state() const { return m_state; }
    void showPage(const QString &html, const QUrl &baseUrl);
    // The item through the preview template.
    void showItem(const QString &templateText, const FeedItem &item);
    void showBlank();
    // Runs then once the pane shows what it is to show.
    void whenReady(std::function<void()> then);
    // The body of the page shown, its text or its markup ("" for the blank
    // page), read in the isolated script world (which works while the
    // page's own scripts are off) once the page has loaded.
    void readBody(bool html, std::function<void(const QString &)> done);
    // Scrolls a page further down; atEnd is true instead when the page
    // already shows its end. The page tells its position by an answer.
    void scrollPage(std::function<void(bool atEnd)> done);

    // Gets the keys pressed in the page; true when it has used the key.
    void setKeyHandler(std::function<bool(const QKeyEvent &)> handler) { m_keyHandler = std::move(handler); }

signals:
    // A page asked for (not the blank one) has loaded.
    void shown();
    // Any navigation has ended; the keyboard may go back to the list.
    void loadEnded();
    void webLinkClicked(const QUrl &url);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Page {
        bool blank = true;
        QString html;
        QUrl baseUrl;
    };
    void navigate(const Page &page);
    void onLoaded();
    void removePageFile();

    State m_state = State::Blank;
    QString m_pageFile; // a page too large to hand over directly goes through this file
    QPointer<QWidget> m_focusProxy;
    QList<std::function<void()>> m_whenReady;
    bool m_navigating = false; // the view loads a page we gave it
    std::optional<Page> m_pending;
    std::function<bool(const QKeyEvent &)> m_keyHandler;
};
