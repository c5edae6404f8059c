#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of sending mail: the SMTP progress and its failures.
QList<QPair<QString, QString>> mailTexts()
{
    return {
        // Where a send has got to.
        {QStringLiteral("MSG_SMTP_CONNECTING"), QStringLiteral("Connecting to %1 ...")},
        {QStringLiteral("MSG_SMTP_CONNECTED"), QStringLiteral("Connected: %1")},
        {QStringLiteral("MSG_SMTP_SECURING"), QStringLiteral("Securing the connection ...")},
        {QStringLiteral("MSG_SMTP_AUTHENTICATING"), QStringLiteral("Authenticating ...")},
        {QStringLiteral("MSG_SMTP_SENDING"), QStringLiteral("Sending the message ...")},
        {QStringLiteral("MSG_SMTP_ACCEPTED"), QStringLiteral("The server accepted the message.")},
        // Why a send failed.
        {QStringLiteral("MSG_SMTP_REFUSED"),
            QStringLiteral(
                "The server %1 refused the connection on port %2. Please check the server name and port.")},
        {QStringLiteral("MSG_SMTP_UNKNOWNHOST"),
            QStringLiteral("The server %1 could not be found. Please check the server name and the Internet "
                           "connection.")},
        {QStringLiteral("MSG_SMTP_BADHOST"), QStringLiteral("The server name \"%1\" is not valid.")},
        {QStringLiteral("MSG_SMTP_TIMEOUT"),
            QStringLiteral("The server %1:%2 did not answer in time. Please try again later.")},
        {QStringLiteral("MSG_SMTP_LOGINDENIED"),
            QStringLiteral("The server refused the user name or password. It answered: %1")},
        {QStringLiteral("MSG_SMTP_NOAUTH"),
            QStringLiteral(
                "The server does not offer authentication, so the message was not sent. Please check the "
                "server settings, or turn authentication off if the server needs none.")},
        {QStringLiteral("MSG_SMTP_TLS"), QStringLiteral("The secure connection to the server failed: %1")},
        {QStringLiteral("MSG_SMTP_RECIPIENT"),
            QStringLiteral("The server refused a recipient. It answered: %1")},
        {QStringLiteral("MSG_SMTP_NORECIPIENT"), QStringLiteral("No recipient was given.")},
        {QStringLiteral("MSG_SMTP_BADADDRESS"), QStringLiteral("The e-mail address \"%1\" is not valid.")},
        {QStringLiteral("MSG_SMTP_FAILED"), QStringLiteral("Sending failed: %1")},
        {QStringLiteral("MSG_SMTP_SERVERSAID"), QStringLiteral("The server's last answer: %1")},
    };
}

} // namespace DefaultTexts
