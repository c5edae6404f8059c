#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of the add/edit feed dialog and the feed check.
QList<QPair<QString, QString>> feedDialogTexts()
{
    return {
        // The dialog.
        {Msg::ADDFEED_ADDCAPTION, QStringLiteral("Add New Feed ...")},
        {Msg::ADDFEED_EDITCAPTION, QStringLiteral("Edit Feed Details ...")},
        {Msg::ADDFEED_START, QStringLiteral("Proceed ...")},
        {Msg::ADDFEED_PROCEED, QStringLiteral("Proceed...")},
        {Msg::ADDFEED_VALIDATING, QStringLiteral("Validating...")},
        {Msg::ADDFEED_OK, QStringLiteral("OK")},
        {Msg::ADDFEED_URL_TITLE, QStringLiteral("Feed URL?")},
        {Msg::ADDFEED_URL, QStringLiteral("Please specify Feed URL.")},
        {Msg::ADDFEED_CATEGORYFAILED_TITLE, QStringLiteral("Failed to Create Category!")},
        {Msg::ADDFEED_CATEGORYFAILED,
            QStringLiteral(
                "Application failed to create specified Category. Please try some other Category name "
                "or choose from existing ones.")},
        // The check.
        {Msg::ADDFEED_OFFLINE_TITLE, QStringLiteral("Failed to access Internet!")},
        {Msg::ADDFEED_OFFLINE,
            QStringLiteral(
                "Application attempted to fetch Feed data to test Feed URL but failed to access Internet "
                "connection on this machine. Please make sure that you're connected to Internet and "
                "Firewall application (if any) is configured properly to grant Internet Access for this "
                "application.")},
        {Msg::ADDFEED_INVALID_TITLE, QStringLiteral("Invalid Feed Data Format!")},
        {Msg::ADDFEED_INVALID,
            QStringLiteral(
                "Feed data returned by specified URL is not in a valid format. Please check URL and try "
                "again ...")},
        {Msg::ADDFEED_HTTPSTATUS, QStringLiteral("The server answered with HTTP status %1.")},
        {Msg::ADDFEED_UNSUPPORTED_TITLE, QStringLiteral("Feed Type Not Supported!")},
        {Msg::ADDFEED_UNSUPPORTED,
            QStringLiteral(
                "Format of data returned by specified Feed URL is not supported by current version of "
                "application. Please specify RSS 2.0 or ATOM 1.0 type Feed that may include PodCast "
                "media information.")},
        {Msg::ADDFEED_TIMEOUT_TITLE, QStringLiteral("Timeout Error!")},
        {Msg::ADDFEED_TIMEOUT,
            QStringLiteral(
                "Server did not respond in timely manner. Application failed to access Feed data. Server "
                "may be down right now, please try again later.")},
        {Msg::ADDFEED_CHOOSE_TITLE, QStringLiteral("Choose Feed")},
        {Msg::ADDFEED_CHOOSE,
            QStringLiteral("The page offers several feeds. Choose the one to subscribe to:")},
    };
}

} // namespace DefaultTexts
