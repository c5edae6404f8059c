#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of the add/edit feed dialog and the feed check.
QList<QPair<QString, QString>> feedDialogTexts()
{
    return {
        // The dialog.
        {QStringLiteral("MSG_ADDFEED_ADDCAPTION"), QStringLiteral("Add New Feed ...")},
        {QStringLiteral("MSG_ADDFEED_EDITCAPTION"), QStringLiteral("Edit Feed Details ...")},
        {QStringLiteral("MSG_ADDFEED_START"), QStringLiteral("Proceed ...")},
        {QStringLiteral("MSG_ADDFEED_PROCEED"), QStringLiteral("Proceed...")},
        {QStringLiteral("MSG_ADDFEED_VALIDATING"), QStringLiteral("Validating...")},
        {QStringLiteral("MSG_ADDFEED_OK"), QStringLiteral("OK")},
        {QStringLiteral("MSG_ADDFEED_URL_TITLE"), QStringLiteral("Feed URL?")},
        {QStringLiteral("MSG_ADDFEED_URL"), QStringLiteral("Please specify Feed URL.")},
        {QStringLiteral("MSG_ADDFEED_CATEGORYFAILED_TITLE"), QStringLiteral("Failed to Create Category!")},
        {QStringLiteral("MSG_ADDFEED_CATEGORYFAILED"),
            QStringLiteral(
                "Application failed to create specified Category. Please try some other Category name "
                "or choose from existing ones.")},
        // The check.
        {QStringLiteral("MSG_ADDFEED_OFFLINE_TITLE"), QStringLiteral("Failed to access Internet!")},
        {QStringLiteral("MSG_ADDFEED_OFFLINE"),
            QStringLiteral(
                "Application attempted to fetch Feed data to test Feed URL but failed to access Internet "
                "connection on this machine. Please make sure that you're connected to Internet and "
                "Firewall application (if any) is configured properly to grant Internet Access for this "
                "application.")},
        {QStringLiteral("MSG_ADDFEED_INVALID_TITLE"), QStringLiteral("Invalid Feed Data Format!")},
        {QStringLiteral("MSG_ADDFEED_INVALID"),
            QStringLiteral(
                "Feed data returned by specified URL is not in a valid format. Please check URL and try "
                "again ...")},
        {QStringLiteral("MSG_ADDFEED_HTTPSTATUS"),
            QStringLiteral("The server answered with HTTP status %1.")},
        {QStringLiteral("MSG_ADDFEED_UNSUPPORTED_TITLE"), QStringLiteral("Feed Type Not Supported!")},
        {QStringLiteral("MSG_ADDFEED_UNSUPPORTED"),
            QStringLiteral(
                "Format of data returned by specified Feed URL is not supported by current version of "
                "application. Please specify RSS 2.0 or ATOM 1.0 type Feed that may include PodCast "
                "media information.")},
        {QStringLiteral("MSG_ADDFEED_TIMEOUT_TITLE"), QStringLiteral("Timeout Error!")},
        {QStringLiteral("MSG_ADDFEED_TIMEOUT"),
            QStringLiteral(
                "Server did not respond in timely manner. Application failed to access Feed data. Server "
                "may be down right now, please try again later.")},
        {QStringLiteral("MSG_ADDFEED_CHOOSE_TITLE"), QStringLiteral("Choose Feed")},
        {QStringLiteral("MSG_ADDFEED_CHOOSE"),
            QStringLiteral("The page offers several feeds. Choose the one to subscribe to:")},
    };
}

} // namespace DefaultTexts
