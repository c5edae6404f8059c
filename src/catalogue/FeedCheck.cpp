#include "catalogue/FeedCheck.h"

#include "feeds/FeedDownload.h"
#include "feeds/FeedParser.h"
#include "feeds/FetchFailure.h"
#include "feeds/XmlRepair.h"
#include "i18n/Languages.h"
#include "util/AppFolder.h"
#include "util/HttpRequest.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include <QRegularExpression>

#include <algorithm>

namespace
{

QString text(const QString &key)
{
    return getMessages(key);
}

void box(Messages::Icon icon, const QString &key)
{
    const QString &name = key;
    Messages::show(icon, getMessages(name + QStringLiteral("_TITLE")), getMessages(name));
}

QString attributeOf(const QString &tag, const QString &name)
{
    static const QRegularExpression attribute(
        QStringLiteral("([A-Za-z_:-]+)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+))"));
    for (auto it = attribute.globalMatch(tag); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        return XmlRepair::resolveReferences(match.captured(2) + match.captured(3) + match.captured(4))
            .trimmed();
    }
    return QString();
}

bool isFeedLink(const QString &tag)
{
    static const QStringList types = {QStringLiteral("application/rss+xml"),
        QStringLiteral("application/rdf+xml"), QStringLiteral("application/atom+xml")};
    const QStringList rel = attributeOf(tag, QStringLiteral("rel")).toLower().split(QLatin1Char(' '));
    const QString type = attributeOf(tag, QStringLiteral("type")).toLower();
    return rel.contains(QLatin1String("alternate")) && types.contains(type)
        && !attributeOf(tag, QStringLiteral("href")).isEmpty();
}

bool looksLikeHtml(const QByteArray &body)
{
    return body.left(4096).toLower().contains("<html");
}

} // namespace

namespace FeedCheckTexts
{

void reportInvalid(const QString &detail)
{
    QString message = text(Msg::ADDFEED_INVALID);
    if (!detail.isEmpty())
        message += QStringLiteral("\r\n\r\n") + detail;
    Messages::exclamation(text(Msg::ADDFEED_INVALID_TITLE), message);
}

} // namespace FeedCheckTexts

FeedCheck::FeedCheck(QObject *parent) : QObject(parent), m_download(new FeedDownload(this))
{
    // The check writes Debug.xml itself, once the document has parsed.
    m_download->setKeepsDebugCopy(false);
    connect(m_download, &FeedDownload::finished, this, &FeedCheck::onDone);
}

FeedCheck::~FeedCheck()
{
    m_download->abandon();
}

bool FeedCheck::running() const
{
    return !m_ended;
}

bool FeedCheck::start(const QString &url)
{
    while (!mUtil::IsConnected()) {
        const Messages::Answer answer = Messages::show(Messages::Icon::Information,
            text(Msg::ADDFEED_OFFLINE_TITLE), text(Msg::ADDFEED_OFFLINE), Messages::Buttons::RetryCancel);
        if (answer != Messages::Answer::Retry)
            return false;
    }
    m_followed = false;
    m_ended = false;
    send(url);
    return true;
}

void FeedCheck::send(const QString &url)
{
    m_download->FeedURL = url;
    m_download->setTimeout(m_timeout);
    m_download->start();
}

void FeedCheck::cancel()
{
    if (running())
        end(-1);
}

void FeedCheck::onDone(FeedDownload::Outcome outcome)
{
    if (outcome == FeedDownload::Outcome::Abandoned || m_ended)
        return;
    if (outcome == FeedDownload::Outcome::TimedOut) {
        box(Messages::Icon::Information, Msg::ADDFEED_TIMEOUT);
        end(-1);
        return;
    }
    const QString url = m_download->FeedURL;
    QString title;
    QString next;
    bool again = false;
    const int type = examine(&title, &next, &again);
    if (again) {
        send(next);
        return;
    }
    end(type, title, url);
}

// The response of url: its type, or -1 after its box; again with the feed
// a web page names in checkedUrl.
int FeedCheck::examine(QString *title, QString *checkedUrl, bool *again)
{
    const HttpRequest &request = *m_download->response();
    if (request.failure() != HttpRequest::Failure::None) {
        const auto failure = FetchFailure::of(request, getMessages);
        Messages::exclamation(failure->title, failure->text);
        return -1;
    }
    if (request.status() >= 400) {
        const QString status = request.reasonPhrase().isEmpty()
            ? QString::number(request.status())
            : QStringLiteral("%1 %2").arg(request.status()).arg(request.reasonPhrase());
        FeedCheckTexts::reportInvalid(text(Msg::ADDFEED_HTTPSTATUS).arg(status));
        return -1;
    }
    const QByteArray body = request.responseBytes();
    QString found;
    const FeedParser::Result parsed = FeedParser::parseAny(body, request.charset());
    const bool wellFormed
        = parsed.failure != FeedParser::Failure::NotXml && parsed.failure != FeedParser::Failure::Empty;
    const int type = detectType(parsed, &found);
    // A web page (XHTML included) is searched for the feeds it names.
    if (type < 0 && !m_followed && looksLikeHtml(body)) {
        *again = followPage(body, request.lastUrl(), checkedUrl);
        if (!*again)
            FeedCheckTexts::reportInvalid();
        return -1;
    }
    if (!wellFormed) {
        FeedCheckTexts::reportInvalid();
        return -1;
    }
    FeedDownload::writeDebugCopy(body, request.charset());
    if (type < 0)
        box(Messages::Icon::Information, Msg::ADDFEED_UNSUPPORTED);
    else
        *title = found;
    return type;
}

// The feed a page names (the user's choice among several); false when it
// names none or the user chose none, after the box that says so.
bool FeedCheck::followPage(const QByteArray &body, const QUrl &base, QString *next)
{
    const QList<FeedLink> links = discoverFeeds(body, base);
    if (links.isEmpty())
        return false;
    int chosen = 0;
    if (links.size() > 1)
        chosen = m_chooser ? m_chooser(links) : -1;
    if (chosen < 0 || chosen >= links.size())
        return false;
    m_followed = true;
    *next = links.at(chosen).url;
    return true;
}

void FeedCheck::end(int type, const QString &title, const QString &url)
{
    m_ended = true;
    m_download->abandon();
    m_download->release();
    emit finished(type, title, url);
}

int FeedCheck::detectType(const FeedParser::Result &parsed, QString *title)
{
    if (parsed.failure != FeedParser::Failure::None)
        return -1;
    *title = parsed.feedTitle;
    if (parsed.kind == FeedParser::Kind::Atom)
        return 1;
    return parsed.podcast ? 2 : 0;
}

int FeedCheck::detectType(const QByteArray &document, const QString &charset, QString *title)
{
    return detectType(FeedParser::parseAny(document, charset), title);
}

QList<FeedLink> FeedCheck::discoverFeeds(const QByteArray &html, const QUrl &base)
{
    static const QRegularExpression linkTag(
        QStringLiteral("<link\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    QList<FeedLink> links;
    const QString page = QString::fromUtf8(html);
    for (auto it = linkTag.globalMatch(page); it.hasNext();) {
        const QString tag = it.next().captured(0);
        if (!isFeedLink(tag))
            continue;
        const QUrl url = base.resolved(QUrl(attributeOf(tag, QStringLiteral("href"))));
        const FeedLink link {url.toString(), attributeOf(tag, QStringLiteral("title"))};
        const bool known = std::any_of(
            links.begin(), links.end(), [&](const FeedLink &other) { return other.url == link.url; });
        if (!known)
            links.append(link);
    }
    return links;
}
