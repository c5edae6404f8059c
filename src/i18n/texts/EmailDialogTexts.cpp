#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of the send dialog and the e-mail server settings dialog.
QList<QPair<QString, QString>> emailDialogTexts()
{
    return {
        // The e-mail server settings dialog: a required box left empty.
        {QStringLiteral("MSG_EMAILSET_EMPTY_TITLE"), QStringLiteral("Required Field is Empty!")},
        {QStringLiteral("MSG_EMAILSET_SMTP"), QStringLiteral("Please specify SMTP Email Server Name.")},
        {QStringLiteral("MSG_EMAILSET_PORT"),
            QStringLiteral("Please specify SMTP Port Number. (Default = 25).")},
        {QStringLiteral("MSG_EMAILSET_USERNAME"),
            QStringLiteral(
                "Please specify User Name to Authenticate your SMTP Email account. This is the same "
                "User name that you use to check your Email Inbox online.")},
        {QStringLiteral("MSG_EMAILSET_PASSWORD"),
            QStringLiteral(
                "Please specify Password to Authenticate your SMTP Email account. This is the same "
                "Password that you use to check your Email Inbox online.")},
        {QStringLiteral("MSG_EMAILSET_FROMNAME"),
            QStringLiteral("Please specify \"From Name\". This will appear in Recipients' Inbox as \"Email "
                           "Sender's Name\".")},
        {QStringLiteral("MSG_EMAILSET_FROMEMAIL"),
            QStringLiteral(
                "Please specify \"From Email\". Recipients will send Reply to this Email address. "
                "Make sure that Email address you specify here is allowed to pass through specified "
                "SMTP Server.")},
        // The send dialog.
        {QStringLiteral("MSG_SENDEMAIL_OFFLINE"),
            QStringLiteral(
                "Application faled to access Internet connection on this machine. Please make sure "
                "you're connected to Internet and try again ...")},
        {QStringLiteral("MSG_SENDEMAIL_IDLE"), QStringLiteral("Idle.")},
        {QStringLiteral("MSG_SENDEMAIL_SENDING"), QStringLiteral("Sending ... (%1%)")},
        {QStringLiteral("MSG_SENDEMAIL_SENT"), QStringLiteral("Email Successfully Sent!")},
        {QStringLiteral("MSG_SENDEMAIL_FAILED"),
            QStringLiteral("Failed to Send Email due to following error: ")},
        {QStringLiteral("MSG_SENDEMAIL_ERROR"), QStringLiteral("Error: Failed to send Email!")},
    };
}

} // namespace DefaultTexts
