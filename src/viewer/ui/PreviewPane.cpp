#include "viewer/ui/PreviewPane.h"

#include "util/AppFolder.h"
#include "util/Utilities.h"
#include "viewer/PreviewTemplate.h"
#include "viewer/ui/PreviewWebPage.h"

#include <QFile>
#include <QKeyEvent>
#include <QWebEngineScript>

namespace
{

// setHtml hands the page over as a data URL, which the view limits to 2 MB
// (base64 grows the page by a third); larger pages go through a file.
const qsizetype kInlinePageLimit = 1500 * 1024;

} // namespace

PreviewPane::PreviewPane(QWidget *parent) : QWebEngineView(parent)
{
    setObjectName(QStringLiteral("ucPreview"));
    auto *page = new PreviewWebPage(this);
    setPage(page);
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QWebEngineView::loadFinished, this, &PreviewPane::onLoaded);
    connect(page, &PreviewWebPage::webLinkClicked, this, &PreviewPane::webLinkClicked);
}

PreviewPane::~PreviewPane()
{
    if (!m_pageFile.isEmpty())
        QFile::remove(m_pageFile);
}

void PreviewPane::showPage(const QString &html, const QUrl &baseUrl)
{
    m_state = State::Loading;
    navigate({false, html, baseUrl});
}

void PreviewPane::showItem(const QString &templateText, const FeedItem &item)
{
    // Relative addresses in a description belong to the item's site.
    const QString link = PreviewTemplate::itemLink(item).trimmed();
    showPage(PreviewTemplate::render(templateText, item),
        PreviewTemplate::isWebLink(link) ? QUrl(link) : QUrl(QStringLiteral("about:blank")));
}

void PreviewPane::showBlank()
{
    m_state = State::Blank;
    navigate({true, QString(), QUrl()});
}

// The view would drop a page given while another loads.
void PreviewPane::navigate(const Page &page)
{
    if (m_navigating) {
        m_pending = page;
        return;
    }
    m_navigating = true;
    removePageFile();
    if (page.blank) {
        setUrl(QUrl(QStringLiteral("about:blank")));
        return;
    }
    if (page.html.toUtf8().size() <= kInlinePageLimit) {
        setHtml(page.html, page.baseUrl);
        return;
    }
    const QString file = AppFolder::file(QStringLiteral("~preview.htm"));
    if (!mUtil::WriteTextFile(file, page.html)) {
        m_navigating = false;
        return;
    }
    m_pageFile = file;
    load(QUrl::fromLocalFile(file));
}

void PreviewPane::removePageFile()
{
    if (!m_pageFile.isEmpty() && mUtil::FileExists(m_pageFile))
        QFile::remove(m_pageFile);
    m_pageFile.clear();
}

void PreviewPane::onLoaded()
{
    m_navigating = false;
    if (m_pending) {
        const Page next = *std::exchange(m_pending, std::nullopt);
        navigate(next);
        return;
    }
    removePageFile();
    if (m_state == State::Loading) {
        m_state = State::Shown;
        emit shown();
    }
    // The page's own widget appears with the first load.
    QWidget *proxy = focusProxy();
    if (proxy && proxy != m_focusProxy) {
        proxy->installEventFilter(this);
        m_focusProxy = proxy;
    }
    emit loadEnded();
    const QList<std::function<void()>> waiting = std::exchange(m_whenReady, {});
    for (const std::function<void()> &then : waiting)
        then();
}

void PreviewPane::whenReady(std::function<void()> then)
{
    if (m_state == State::Loading)
        m_whenReady.append(std::move(then));
    else
        then();
}

void PreviewPane::readBody(bool html, std::function<void(const QString &)> done)
{
    whenReady([this, html, done] {
        if (m_state == State::Blank) {
            done(QString());
            return;
        }
        const QString script = html ? QStringLiteral("document.body ? document.body.innerHTML : ''")
                                    : QStringLiteral("document.body ? document.body.innerText : ''");
        page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
            [pane = QPointer<PreviewPane>(this), done](const QVariant &value) {
                if (pane)
                    done(value.toString());
            });
    });
}

void PreviewPane::scrollPage(std::function<void(bool atEnd)> done)
{
    const QString script = QStringLiteral(
        "(function () {"
        " var page = document.scrollingElement || document.documentElement;"
        " if (!page || page.scrollTop + window.innerHeight >= page.scrollHeight - 1) return true;"
        " window.scrollBy(0, Math.max(1, window.innerHeight - 40));"
        " return false; })()");
    page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
        [pane = QPointer<PreviewPane>(this), done](const QVariant &atEnd) {
            if (pane)
                done(atEnd.toBool());
        });
}

bool PreviewPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_focusProxy && event->type() == QEvent::KeyPress && m_keyHandler
        && m_keyHandler(*static_cast<QKeyEvent *>(event)))
        return true;
    return QWebEngineView::eventFilter(watched, event);
}
