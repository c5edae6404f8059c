#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of the send dialog and the e-mail server settings dialog.
QList<QPair<QString, QString>> emailDialogTexts()
{
    return {
        // The e-mail server settings dialog: a required box left empty.
        {Msg::EMAILSET_EMPTY_TITLE, QStringLiteral("Required Field is Empty!")},
        {Msg::EMAILSET_SMTP, QStringLiteral("Please specify SMTP Email Server Name.")},
        {Msg::EMAILSET_PORT, QStringLiteral("Please specify SMTP Port Number. (Default = 25).")},
        {Msg::EMAILSET_USERNAME,
            QStringLiteral(
                "Please specify User Name to Authenticate your SMTP Email account. This is the same "
                "User name that you use to check your Email Inbox online.")},
        {Msg::EMAILSET_PASSWORD,
            QStringLiteral(
                "Please specify Password to Authenticate your SMTP Email account. This is the same "
                "Password that you use to check your Email Inbox online.")},
        {Msg::EMAILSET_FROMNAME,
            QStringLiteral("Please specify \"From Name\". This will appear in Recipients' Inbox as \"Email "
                           "Sender's Name\".")},
        {Msg::EMAILSET_FROMEMAIL,
            QStringLiteral(
                "Please specify \"From Email\". Recipients will send Reply to this Email address. "
                "Make sure that Email address you specify here is allowed to pass through specified "
                "SMTP Server.")},
        // The send dialog.
        {Msg::SENDEMAIL_OFFLINE,
            QStringLiteral(
                "Application faled to access Internet connection on this machine. Please make sure "
                "you're connected to Internet and try again ...")},
        {Msg::SENDEMAIL_IDLE, QStringLiteral("Idle.")},
        {Msg::SENDEMAIL_SENDING, QStringLiteral("Sending ... (%1%)")},
        {Msg::SENDEMAIL_SENT, QStringLiteral("Email Successfully Sent!")},
        {Msg::SENDEMAIL_FAILED, QStringLiteral("Failed to Send Email due to following error: ")},
        {Msg::SENDEMAIL_ERROR, QStringLiteral("Error: Failed to send Email!")},
    };
}

} // namespace DefaultTexts
