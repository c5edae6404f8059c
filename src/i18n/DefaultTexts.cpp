#include "i18n/DefaultTexts.h"

#include "i18n/Languages.h"
#include "util/MessageKeys.h"
#include "util/UtilityTexts.h"

namespace DefaultTexts
{

namespace
{
const QList<QPair<QString, QString>> &base();
const QList<QPair<QString, QString>> &baseAfterUtilities();
} // namespace

const QList<QPair<QString, QString>> &table()
{
    static const QList<QPair<QString, QString>> texts = [] {
        QList<QPair<QString, QString>> all = base();
        all += UtilityTexts::english();
        all += baseAfterUtilities();
        all += feedDialogTexts();
        all += categoryAndSettingsTexts();
        all += schedulerDialogTexts();
        all += mailTexts();
        all += emailDialogTexts();
        all += emailActionTexts();
        all += opmlTexts();
        all += fetchTexts();
        all += readingTexts();
        all += catalogueReadingTexts();
        return all;
    }();
    return texts;
}

namespace
{

const QList<QPair<QString, QString>> &base()
{
    static const QList<QPair<QString, QString>> texts = {
        {Msg::DELETE1, QStringLiteral("You are attempting to delete the ")},
        {Msg::DELETE2,
            QStringLiteral(" category. All feeds subscribed under this category will be deleted.")},
        {Msg::DELETE3, QStringLiteral("Continue?")},
        {Msg::DELETE4, QStringLiteral("Delete ")},
        {Msg::DELETE5, QStringLiteral("Are you sure you want to delete the selected item?")},
        {Msg::BUSY,
            QStringLiteral(
                "Application is currently busy in executing Feed Check process. Interface cannot be "
                "closed; please try again later.")},
        {Msg::CAPTION_FRMADDFEED, QStringLiteral("Add New Feed")},
        {Msg::CAPTION_FRMAPPSETTINGS, QStringLiteral("Application Settings")},
        {Msg::CAPTION_FRMCATEGORY, QStringLiteral("Add/Edit Category")},
        {Msg::CAPTION_FRMCONFIRMCLOSE, QStringLiteral("Confirm Close")},
        {Msg::CAPTION_FRMEMAILSETTINGS, QStringLiteral("Email Settings")},
        {Msg::TITLELANGUAGE, QStringLiteral("Change Language")},
        {Msg::CAPTION_FRMSCHEDULER, QStringLiteral("Scheduler")},
        {Msg::CAPTION_FRMSENDEMAIL, QStringLiteral("Send Email")},
        {Msg::MINIMIZED, QStringLiteral("is minimized here!")},
        {Msg::TRAY,
            QStringLiteral("Double-click this icon to show application interface or Right-click for more "
                           "options!\"")},
        // Beyond the defined table: every other text the program shows.
        {Msg::DOWNLOADED,
            QStringLiteral("The newest language file was downloaded. Choose a language from the list.")},
        {Msg::CHOOSELANGUAGE, QStringLiteral("Choose Language Here")},
        {Msg::UPDATEFAILED,
            QStringLiteral("The language file could not be downloaded; the one you have is kept.")},
        {Msg::UPDATETIMEOUT,
            QStringLiteral(
                "The language service did not answer in time; the language file you have is kept.")},
        {Msg::UPDATENOTLANGUAGE,
            QStringLiteral("The language service sent no language file; the one you have is kept.")},
        {Msg::STATUSREADY, QStringLiteral("Status: Ready.")},
        {Msg::STATUSEXECUTING, QStringLiteral("Status: Executing Schedule")},
        {Msg::BY, QStringLiteral(" by ")},
        {Msg::VISIT, QStringLiteral("Visit ")},
        {Msg::TRAYSHOW, QStringLiteral("Show")},
        {Msg::TRAYHIDE, QStringLiteral("Hide")},
        {Msg::NOFEEDSOPEN, QStringLiteral("No Feeds Open")},
        {Msg::UPDATENOTSAVED,
            QStringLiteral("The downloaded language file could not be saved; the one you have is kept.")},
        // Fetching a feed.
        {Msg::NOTFETCHED, QStringLiteral("Application failed to fetch Feed Data!")},
        {Msg::BADURL_TITLE, QStringLiteral("Invalid Feed URL!")},
        {Msg::BADURL, QStringLiteral("The Feed URL \"%1\" is not a web address (http or https). ")},
        {Msg::UNKNOWNSERVER_TITLE, QStringLiteral("Unknown Server!")},
        {Msg::UNKNOWNSERVER, QStringLiteral("Server %1 could not be found. Please check the Feed URL. ")},
        {Msg::REFUSED_TITLE, QStringLiteral("Connection Refused!")},
        {Msg::REFUSED, QStringLiteral("Server %1 refused the connection. ")},
        {Msg::CERTIFICATE_TITLE, QStringLiteral("Untrusted Certificate!")},
        {Msg::CERTIFICATE,
            QStringLiteral(
                "The security certificate of server %1 is not trusted or not valid (%2). Application "
                "refused to fetch Feed Data!")},
        {Msg::REDIRECTS_TITLE, QStringLiteral("Too Many Redirects!")},
        {Msg::REDIRECTS,
            QStringLiteral("Server %1 redirected the request too many times, possibly in a loop. ")},
        {Msg::INSECUREREDIRECT_TITLE, QStringLiteral("Insecure Redirect!")},
        {Msg::INSECUREREDIRECT,
            QStringLiteral("Server %1 redirected the secure request to an insecure address (%2). Application "
                           "refused to follow it!")},
        {Msg::TOOLARGE_TITLE, QStringLiteral("Feed Data Too Large!")},
        {Msg::TOOLARGE,
            QStringLiteral(
                "Server %1 sent more than %2 MiB of Feed Data. Application refused the response!")},
        {Msg::NETWORK_TITLE, QStringLiteral("Network Error!")},
        {Msg::NETWORK, QStringLiteral("The connection to server %1 failed (%2). ")},
        {Msg::SERVERERROR_TITLE, QStringLiteral("Server Error!")},
        {Msg::SERVERERROR, QStringLiteral("Server %1 returned HTTP status %2 without Feed Data. ")},
        {Msg::OFFLINE_TITLE, QStringLiteral("Working Offline?")},
        {Msg::OFFLINE,
            QStringLiteral(
                "Cannot check Feed URL for new Items, Application failed to access Internet on this "
                "machine. Please make sure you're connected to Internet and Firewall application (if "
                "any) is configured properly to grant Internet access for [ProgramName]")},
        {Msg::TIMEOUT_TITLE, QStringLiteral("Server Timeout!")},
        {Msg::TIMEOUT,
            QStringLiteral(
                "Server did not respond in timely manner. Application failed to fetch Feed Data!")},
        // Reading a feed.
        {Msg::EMPTYRESPONSE_TITLE, QStringLiteral("Invalid Server Response!")},
        {Msg::EMPTYRESPONSE, QStringLiteral("Server returned empty data stream!")},
        {Msg::NOTXML_TITLE, QStringLiteral("Invalid Data Format!")},
        {Msg::NOTXML, QStringLiteral("Server returned Feed data in invalid XML format!")},
        {Msg::INVALIDFEED_TITLE, QStringLiteral("Invalid Feed XML!")},
        {Msg::NOTRSS,
            QStringLiteral("Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not "
                           "well-formed.")},
        {Msg::NOTATOM,
            QStringLiteral(
                "Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML is not "
                "well-formed.")},
        // A feed's data file.
        {Msg::DATAMISSING_TITLE, QStringLiteral("Feed Data file is missing!")},
        {Msg::DATAMISSING,
            QStringLiteral("Application failed to access Feed Data file. Item details cannot be fetched.")},
        {Msg::DATANOACCESS, QStringLiteral("Application failed to access Feed Data file.")},
        {Msg::DATAFORMAT_TITLE, QStringLiteral("Invalid File format!")},
        {Msg::DATALOADFAILED, QStringLiteral("Failed to load the Feed Data file details.")},
        {Msg::DATANORECORDS, QStringLiteral("Application failed to access Records in Feed Data file!")},
        {Msg::DATANOTSAVED_TITLE, QStringLiteral("Feed Data file not saved!")},
        {Msg::DATANOTSAVED, QStringLiteral("Failed to save the Feed Data file %1.")},
        {Msg::FILELOCKED, QStringLiteral("locked by another program")},
        {Msg::NOSUCHFILE, QStringLiteral("no such file")},
        {Msg::BADFEEDID, QStringLiteral("\"%1\" is not a valid FeedID.")},
        {Msg::ITEMNOTFOUND_TITLE, QStringLiteral("Failed to locate item in Feed Data File!")},
        {Msg::ITEMNOTFOUND,
            QStringLiteral(
                "Application failed to access details for selected Feed Item. Either item is deleted "
                "or Feed Data file is not accessible to application.")},
        // The preview.
        {Msg::ERROR, QStringLiteral("Error!")},
        {Msg::PREVIEWMISSING,
            QStringLiteral(
                "Required Preview object file is missing or hidden. Please reinstall application to "
                "resolve this issue.")},
        {Msg::PREVIEWINVALID_TITLE, QStringLiteral("Invalid Preview data object!")},
        {Msg::PREVIEWINVALID,
            QStringLiteral(
                "Invalid Item Preview object data. Either file is damaged or replaced by another file. "
                "Please reinstall the Application to resolve this issue.")},
        {Msg::SAVEAS, QStringLiteral("Save As ...")},
        {Msg::HTMLFILES, QStringLiteral("HTML Files (*.htm *.html)")},
        {Msg::TEXTFILES, QStringLiteral("Text Files (*.txt)")},
        // A feed window's title while it works.
        {Msg::LOADING, QStringLiteral(" (loading ...)")},
        {Msg::CHECKING, QStringLiteral(" (checking ...)")},
        {Msg::PARSING, QStringLiteral(" (parsing ...)")},
        {Msg::UPDATING, QStringLiteral(" (updating ...)")},
        {Msg::NEW, QStringLiteral(" [new]")},
        // The catalogue.
        {Msg::CATEGORYEXISTS_TITLE, QStringLiteral("Category Exists!")},
        {Msg::CATEGORYEXISTS,
            QStringLiteral("Category with same Name already exists. Try some other Category Name ...")},
        {Msg::FEEDEXISTS_TITLE, QStringLiteral("Feed already Exists!")},
        {Msg::FEEDEXISTS, QStringLiteral("Feed with same URL already exists under category \"%1\".")},
        {Msg::ALERT, QStringLiteral("Alert!")},
        {Msg::CATEGORYEDITFAILED,
            QStringLiteral(
                "Application failed to access Category named \"%1\" in database. Edit operation failed. "
                "Please Refresh Category tree and try again ...")},
        {Msg::CHANGECATEGORY_TITLE, QStringLiteral("Change Category?")},
        {Msg::CHANGECATEGORY,
            QStringLiteral("Are you sure you want to move selected Feed from \"%1\" to \"%2\" category?")},
        {Msg::DBFORMAT_TITLE, QStringLiteral("Invalid Database File Format!")},
        {Msg::DBFORMAT,
            QStringLiteral(
                "Application failed to load Feeds Database. Please reinstall application to resolve "
                "this issue.")},
        {Msg::DBRECORDS_TITLE, QStringLiteral("Invalid Record Structure!")},
        {Msg::DBRECORDS,
            QStringLiteral("Appliaction failed to access Records in Database. Please reinstal application to "
                           "resolve this issue.")},
        {Msg::DBCATEGORY_TITLE, QStringLiteral("Failed to access specified Category!")},
        {Msg::DBCATEGORY, QStringLiteral("Application failed to locate Feed category \"%1\" in Database!")},
        {Msg::DBCATEGORYNOTFOUND_TITLE, QStringLiteral("Category not found!")},
        {Msg::DBCATEGORYNOTFOUND, QStringLiteral("Application failed to locate %1 in Database!")},
        {Msg::DBLOCKED, QStringLiteral("The feed database %1 is locked by another program.")},
        {Msg::DBNOTSAVED, QStringLiteral("The feed database could not be saved: %1")},
        // Settings.
        {Msg::DONE, QStringLiteral("Done!")},
        {Msg::EMAILSAVED, QStringLiteral("Email Settings are Successfully Saved!")},
        {Msg::APPSAVED,
            QStringLiteral("Application Settings successfully saved to Application Configuration File.")},
        {Msg::SCHEDULERSAVED,
            QStringLiteral("Scheduler Settings are Successfully saved to Application Configuration file!")},
    };
    return texts;
}

// After the utilities' own texts (unexpected failures).
const QList<QPair<QString, QString>> &baseAfterUtilities()
{
    static const QList<QPair<QString, QString>> texts = {
        {Msg::ERR_OBJECTNOTSET, QStringLiteral("Object variable or With block variable not set")},
        {Msg::ERR_TYPEMISMATCH, QStringLiteral("Type mismatch")},
        {Msg::ERR_SUBSCRIPT, QStringLiteral("Subscript out of range (key \"%1\")")},
        {Msg::FOLDERFAILED,
            QStringLiteral(
                "Application failed to prepare its folder \"%1\". Please make sure the folder can be "
                "written and try again.")},
        {Msg::LOCALIZATIONNOTSAVED, QStringLiteral("The language file could not be written: %1")},
    };
    return texts;
}

} // namespace

void registerAll(clsLanguages &languages)
{
    for (const auto &[key, text] : table())
        languages.setMessage(key, text);
}

QString english(const QString &key)
{
    static const clsLanguages *defaults = [] {
        auto *made = new clsLanguages;
        registerAll(*made);
        return made;
    }();
    return defaults->getMessages(key);
}

} // namespace DefaultTexts
