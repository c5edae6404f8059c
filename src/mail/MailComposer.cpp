#include "mail/MailComposer.h"

#include "i18n/Languages.h"
#include "util/AppInfo.h"
#include "util/MessageKeys.h"
#include "util/Utilities.h"

namespace
{

const QString crlf = QStringLiteral("\r\n");

QString withCrlf(const QString &text)
{
    QString lines = text;
    lines.replace(crlf, QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines.replace(QLatin1Char('\n'), crlf);
}

QString personalPart(const QString &message)
{
    // Nothing but blanks and line breaks is no message.
    if (message.trimmed().isEmpty())
        return QStringLiteral("- None -");
    return withCrlf(message).replace(crlf, crlf + QStringLiteral("<br>") + crlf);
}

QString descriptionPart(const MailComposer::ItemMail &item, bool completeDescription)
{
    if (completeDescription)
        return item.itemDescription;
    return QStringLiteral("View Online: <a href='%1'>%1</a>").arg(item.itemLink);
}

} // namespace

namespace MailComposer
{

ItemMail itemMail(const QString &channelName, const FeedItem &item)
{
    return {channelName, item.Title, item.Description, mUtil::IsBlank(item.Media) ? item.Link : item.Media};
}

QString defaultSubject(const QString &channelName)
{
    return getMessages(Msg::MAIL_SUBJECT) + QLatin1Char('"') + channelName + QLatin1Char('"');
}

QString defaultMessage()
{
    return getMessages(Msg::MAIL_HELLO) + crlf + crlf + getMessages(Msg::MAIL_FOUND) + crlf;
}

QString disclaimer()
{
    QString text = QStringLiteral(
        "<p><font face='Verdana' size='1' color='#666666'><center>:: <u>Disclaimer</u> :: <br>This Email is "
        "manually sent using [[app]]. In case of dispute, please contact Sender directly.</center></font></p>"
        "<hr size='1' color='#666666'>");
    return text.replace(QStringLiteral("[[app]]"), AppInfo::productName());
}

QString composeBody(const QString &templateText, const QString &fromName, const QString &personalMessage,
    const ItemMail &item, bool completeDescription)
{
    QString body = templateText;
    body.replace(QStringLiteral("[[from_name]]"), fromName);
    body.replace(QStringLiteral("[[personal_message]]"), personalPart(personalMessage));
    body.replace(QStringLiteral("[[title]]"), item.feedTitle);
    body.replace(QStringLiteral("[[description]]"), descriptionPart(item, completeDescription));
    return body + crlf + disclaimer();
}

} // namespace MailComposer
