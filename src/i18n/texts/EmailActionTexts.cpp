#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of forwarding an item by e-mail from a feed window.
QList<QPair<QString, QString>> emailActionTexts()
{
    return {
        // What the send dialog starts with.
        {QStringLiteral("MSG_MAIL_SUBJECT"), QStringLiteral("An Article from ")},
        {QStringLiteral("MSG_MAIL_HELLO"), QStringLiteral("Hello,")},
        {QStringLiteral("MSG_MAIL_FOUND"),
            QStringLiteral(
                "I have found an interesting article that you may want to look at, which is attached "
                "below.")},
        // A feed window's "Send as Email" before the send dialog opens.
        {QStringLiteral("MSG_EMAIL_NOTCONFIGURED_TITLE"),
            QStringLiteral("Email Server Settings not configured!")},
        {QStringLiteral("MSG_EMAIL_NOTCONFIGURED"),
            QStringLiteral(
                "Email Server Settings are not properly configured. Would you like to set Email Server "
                "Settings now?")},
        {QStringLiteral("MSG_EMAIL_CANNOTSEND_TITLE"), QStringLiteral("Cannot Send Email!")},
        {QStringLiteral("MSG_EMAIL_CANNOTSEND"),
            QStringLiteral(
                "Application cannot send Email. Please configure Email Server from \"Email Settings\" "
                "panel and try again.")},
        {QStringLiteral("MSG_EMAIL_NOTEMPLATE_TITLE"), QStringLiteral("Error!")},
        {QStringLiteral("MSG_EMAIL_NOTEMPLATE"),
            QStringLiteral(
                "Required Email Message object file is missing or hidden. Please reinstall application to "
                "resolve this issue.")},
    };
}

} // namespace DefaultTexts
