#include "viewer/PreviewTemplate.h"

#include "i18n/Languages.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include <QUrl>

namespace PreviewTemplate
{

QString itemLink(const FeedItem &item)
{
    return mUtil::IsBlank(item.Media) ? item.Link : item.Media;
}

QString readTemplate()
{
    const QString templateFile = AppFolder::file(QStringLiteral("view.tpl"));
    if (!mUtil::FileExists(templateFile)) {
        Messages::exclamation(getMessages(Msg::ERROR), getMessages(Msg::PREVIEWMISSING));
        return QString();
    }
    const QString templateText = mUtil::ReadTextFile(templateFile);
    if (mUtil::IsBlank(templateText)) {
        Messages::exclamation(getMessages(Msg::PREVIEWINVALID_TITLE), getMessages(Msg::PREVIEWINVALID));
        return QString();
    }
    return templateText;
}

QString escapeHtml(const QString &text)
{
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1Char('\''), QLatin1String("&#39;"));
    return escaped;
}

QString render(const QString &templateText, const FeedItem &item)
{
    QString description = item.Description;
    description.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const QString date = item.Day + QLatin1Char(' ') + item.Month + QLatin1Char(' ') + item.Year;

    QString page = templateText;
    page.replace(QLatin1String("[[title]]"), escapeHtml(item.Title));
    page.replace(QLatin1String("[[link]]"), escapeHtml(itemLink(item)));
    page.replace(QLatin1String("[[app]]"), escapeHtml(AppInfo::title()));
    page.replace(QLatin1String("[[desc]]"), description);
    page.replace(QLatin1String("[[date]]"), escapeHtml(date));
    page.replace(QLatin1String("[[time]]"), escapeHtml(item.Time));
    return page;
}

QString exportPage(const FeedItem &item, const QString &bodyHtml)
{
    const QString link = itemLink(item).trimmed();
    const QString base = isWebLink(link)
        ? QStringLiteral("<base href=\"%1\">\r\n").arg(escapeHtml(QUrl(link).toString(QUrl::FullyEncoded)))
        : QString();
    return QStringLiteral("<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
                          "<meta http-equiv=\"Content-Security-Policy\" content=\"script-src 'none'; "
                          "object-src 'none'; form-action 'none'\">\r\n")
        + base + QStringLiteral("<title>") + escapeHtml(item.Title)
        + QStringLiteral("</title>\r\n</head>\r\n<body>\r\n") + bodyHtml
        + QStringLiteral("\r\n</body>\r\n</html>");
}

bool isWebLink(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

} // namespace PreviewTemplate
