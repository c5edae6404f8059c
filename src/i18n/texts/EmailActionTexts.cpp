#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of forwarding an item by e-mail from a feed window.
QList<QPair<QString, QString>> emailActionTexts()
{
    return {
        // What the send dialog starts with.
        {Msg::MAIL_SUBJECT, QStringLiteral("An Article from ")},
        {Msg::MAIL_HELLO, QStringLiteral("Hello,")},
        {Msg::MAIL_FOUND,
            QStringLiteral(
                "I have found an interesting article that you may want to look at, which is attached "
                "below.")},
        // A feed window's "Send as Email" before the send dialog opens.
        {Msg::EMAIL_NOTCONFIGURED_TITLE, QStringLiteral("Email Server Settings not configured!")},
        {Msg::EMAIL_NOTCONFIGURED,
            QStringLiteral(
                "Email Server Settings are not properly configured. Would you like to set Email Server "
                "Settings now?")},
        {Msg::EMAIL_CANNOTSEND_TITLE, QStringLiteral("Cannot Send Email!")},
        {Msg::EMAIL_CANNOTSEND,
            QStringLiteral(
                "Application cannot send Email. Please configure Email Server from \"Email Settings\" "
                "panel and try again.")},
        {Msg::EMAIL_NOTEMPLATE_TITLE, QStringLiteral("Error!")},
        {Msg::EMAIL_NOTEMPLATE,
            QStringLiteral(
                "Required Email Message object file is missing or hidden. Please reinstall application to "
                "resolve this issue.")},
    };
}

} // namespace DefaultTexts
