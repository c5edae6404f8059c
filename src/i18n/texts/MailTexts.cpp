#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of sending mail: the SMTP progress and its failures.
QList<QPair<QString, QString>> mailTexts()
{
    return {
        // Where a send has got to.
        {Msg::SMTP_CONNECTING, QStringLiteral("Connecting to %1 ...")},
        {Msg::SMTP_CONNECTED, QStringLiteral("Connected: %1")},
        {Msg::SMTP_SECURING, QStringLiteral("Securing the connection ...")},
        {Msg::SMTP_AUTHENTICATING, QStringLiteral("Authenticating ...")},
        {Msg::SMTP_SENDING, QStringLiteral("Sending the message ...")},
        {Msg::SMTP_ACCEPTED, QStringLiteral("The server accepted the message.")},
        // Why a send failed.
        {Msg::SMTP_REFUSED,
            QStringLiteral(
                "The server %1 refused the connection on port %2. Please check the server name and port.")},
        {Msg::SMTP_UNKNOWNHOST,
            QStringLiteral("The server %1 could not be found. Please check the server name and the Internet "
                           "connection.")},
        {Msg::SMTP_BADHOST, QStringLiteral("The server name \"%1\" is not valid.")},
        {Msg::SMTP_TIMEOUT,
            QStringLiteral("The server %1:%2 did not answer in time. Please try again later.")},
        {Msg::SMTP_LOGINDENIED,
            QStringLiteral("The server refused the user name or password. It answered: %1")},
        {Msg::SMTP_NOAUTH,
            QStringLiteral(
                "The server does not offer authentication, so the message was not sent. Please check the "
                "server settings, or turn authentication off if the server needs none.")},
        {Msg::SMTP_TLS, QStringLiteral("The secure connection to the server failed: %1")},
        {Msg::SMTP_RECIPIENT, QStringLiteral("The server refused a recipient. It answered: %1")},
        {Msg::SMTP_NORECIPIENT, QStringLiteral("No recipient was given.")},
        {Msg::SMTP_BADADDRESS, QStringLiteral("The e-mail address \"%1\" is not valid.")},
        {Msg::SMTP_FAILED, QStringLiteral("Sending failed: %1")},
        {Msg::SMTP_SERVERSAID, QStringLiteral("The server's last answer: %1")},
    };
}

} // namespace DefaultTexts
