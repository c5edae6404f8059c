#include "i18n/DefaultTexts.h"

#include "i18n/Languages.h"
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
        {QStringLiteral("MSG_DELETE1"), QStringLiteral("You are attempting to delete the ")},
        {QStringLiteral("MSG_DELETE2"),
            QStringLiteral(" category. All feeds subscribed under this category will be deleted.")},
        {QStringLiteral("MSG_DELETE3"), QStringLiteral("Continue?")},
        {QStringLiteral("MSG_DELETE4"), QStringLiteral("Delete ")},
        {QStringLiteral("MSG_DELETE5"), QStringLiteral("Are you sure you want to delete the selected item?")},
        {QStringLiteral("MSG_BUSY"),
            QStringLiteral(
                "Application is currently busy in executing Feed Check process. Interface cannot be "
                "closed; please try again later.")},
        {QStringLiteral("CAPTION_FRMADDFEED"), QStringLiteral("Add New Feed")},
        {QStringLiteral("CAPTION_FRMAPPSETTINGS"), QStringLiteral("Application Settings")},
        {QStringLiteral("CAPTION_FRMCATEGORY"), QStringLiteral("Add/Edit Category")},
        {QStringLiteral("CAPTION_FRMCONFIRMCLOSE"), QStringLiteral("Confirm Close")},
        {QStringLiteral("CAPTION_FRMEMAILSETTINGS"), QStringLiteral("Email Settings")},
        {QStringLiteral("MSG_TITLELANGUAGE"), QStringLiteral("Change Language")},
        {QStringLiteral("CAPTION_FRMSCHEDULER"), QStringLiteral("Scheduler")},
        {QStringLiteral("CAPTION_FRMSENDEMAIL"), QStringLiteral("Send Email")},
        {QStringLiteral("MSG_MINIMIZED"), QStringLiteral("is minimized here!")},
        {QStringLiteral("MSG_TRAY"),
            QStringLiteral("Double-click this icon to show application interface or Right-click for more "
                           "options!\"")},
        // Beyond the defined table: every other text the program shows.
        {QStringLiteral("MSG_DOWNLOADED"),
            QStringLiteral("The newest language file was downloaded. Choose a language from the list.")},
        {QStringLiteral("MSG_CHOOSELANGUAGE"), QStringLiteral("Choose Language Here")},
        {QStringLiteral("MSG_UPDATEFAILED"),
            QStringLiteral("The language file could not be downloaded; the one you have is kept.")},
        {QStringLiteral("MSG_UPDATETIMEOUT"),
            QStringLiteral(
                "The language service did not answer in time; the language file you have is kept.")},
        {QStringLiteral("MSG_UPDATENOTLANGUAGE"),
            QStringLiteral("The language service sent no language file; the one you have is kept.")},
        {QStringLiteral("MSG_STATUSREADY"), QStringLiteral("Status: Ready.")},
        {QStringLiteral("MSG_STATUSEXECUTING"), QStringLiteral("Status: Executing Schedule")},
        {QStringLiteral("MSG_BY"), QStringLiteral(" by ")},
        {QStringLiteral("MSG_VISIT"), QStringLiteral("Visit ")},
        {QStringLiteral("MSG_TRAYSHOW"), QStringLiteral("Show")},
        {QStringLiteral("MSG_TRAYHIDE"), QStringLiteral("Hide")},
        {QStringLiteral("MSG_NOFEEDSOPEN"), QStringLiteral("No Feeds Open")},
        {QStringLiteral("MSG_UPDATENOTSAVED"),
            QStringLiteral("The downloaded language file could not be saved; the one you have is kept.")},
        // Fetching a feed.
        {QStringLiteral("MSG_NOTFETCHED"), QStringLiteral("Application failed to fetch Feed Data!")},
        {QStringLiteral("MSG_BADURL_TITLE"), QStringLiteral("Invalid Feed URL!")},
        {QStringLiteral("MSG_BADURL"),
            QStringLiteral("The Feed URL \"%1\" is not a web address (http or https). ")},
        {QStringLiteral("MSG_UNKNOWNSERVER_TITLE"), QStringLiteral("Unknown Server!")},
        {QStringLiteral("MSG_UNKNOWNSERVER"),
            QStringLiteral("Server %1 could not be found. Please check the Feed URL. ")},
        {QStringLiteral("MSG_REFUSED_TITLE"), QStringLiteral("Connection Refused!")},
        {QStringLiteral("MSG_REFUSED"), QStringLiteral("Server %1 refused the connection. ")},
        {QStringLiteral("MSG_CERTIFICATE_TITLE"), QStringLiteral("Untrusted Certificate!")},
        {QStringLiteral("MSG_CERTIFICATE"),
            QStringLiteral(
                "The security certificate of server %1 is not trusted or not valid (%2). Application "
                "refused to fetch Feed Data!")},
        {QStringLiteral("MSG_REDIRECTS_TITLE"), QStringLiteral("Too Many Redirects!")},
        {QStringLiteral("MSG_REDIRECTS"),
            QStringLiteral("Server %1 redirected the request too many times, possibly in a loop. ")},
        {QStringLiteral("MSG_INSECUREREDIRECT_TITLE"), QStringLiteral("Insecure Redirect!")},
        {QStringLiteral("MSG_INSECUREREDIRECT"),
            QStringLiteral("Server %1 redirected the secure request to an insecure address (%2). Application "
                           "refused to follow it!")},
        {QStringLiteral("MSG_TOOLARGE_TITLE"), QStringLiteral("Feed Data Too Large!")},
        {QStringLiteral("MSG_TOOLARGE"),
            QStringLiteral(
                "Server %1 sent more than %2 MiB of Feed Data. Application refused the response!")},
        {QStringLiteral("MSG_NETWORK_TITLE"), QStringLiteral("Network Error!")},
        {QStringLiteral("MSG_NETWORK"), QStringLiteral("The connection to server %1 failed (%2). ")},
        {QStringLiteral("MSG_SERVERERROR_TITLE"), QStringLiteral("Server Error!")},
        {QStringLiteral("MSG_SERVERERROR"),
            QStringLiteral("Server %1 returned HTTP status %2 without Feed Data. ")},
        {QStringLiteral("MSG_OFFLINE_TITLE"), QStringLiteral("Working Offline?")},
        {QStringLiteral("MSG_OFFLINE"),
            QStringLiteral(
                "Cannot check Feed URL for new Items, Application failed to access Internet on this "
                "machine. Please make sure you're connected to Internet and Firewall application (if "
                "any) is configured properly to grant Internet access for [ProgramName]")},
        {QStringLiteral("MSG_TIMEOUT_TITLE"), QStringLiteral("Server Timeout!")},
        {QStringLiteral("MSG_TIMEOUT"),
            QStringLiteral(
                "Server did not respond in timely manner. Application failed to fetch Feed Data!")},
        // Reading a feed.
        {QStringLiteral("MSG_EMPTYRESPONSE_TITLE"), QStringLiteral("Invalid Server Response!")},
        {QStringLiteral("MSG_EMPTYRESPONSE"), QStringLiteral("Server returned empty data stream!")},
        {QStringLiteral("MSG_NOTXML_TITLE"), QStringLiteral("Invalid Data Format!")},
        {QStringLiteral("MSG_NOTXML"), QStringLiteral("Server returned Feed data in invalid XML format!")},
        {QStringLiteral("MSG_INVALIDFEED_TITLE"), QStringLiteral("Invalid Feed XML!")},
        {QStringLiteral("MSG_NOTRSS"),
            QStringLiteral("Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not "
                           "well-formed.")},
        {QStringLiteral("MSG_NOTATOM"),
            QStringLiteral(
                "Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML is not "
                "well-formed.")},
        // A feed's data file.
        {QStringLiteral("MSG_DATAMISSING_TITLE"), QStringLiteral("Feed Data file is missing!")},
        {QStringLiteral("MSG_DATAMISSING"),
            QStringLiteral("Application failed to access Feed Data file. Item details cannot be fetched.")},
        {QStringLiteral("MSG_DATANOACCESS"), QStringLiteral("Application failed to access Feed Data file.")},
        {QStringLiteral("MSG_DATAFORMAT_TITLE"), QStringLiteral("Invalid File format!")},
        {QStringLiteral("MSG_DATALOADFAILED"), QStringLiteral("Failed to load the Feed Data file details.")},
        {QStringLiteral("MSG_DATANORECORDS"),
            QStringLiteral("Application failed to access Records in Feed Data file!")},
        {QStringLiteral("MSG_DATANOTSAVED_TITLE"), QStringLiteral("Feed Data file not saved!")},
        {QStringLiteral("MSG_DATANOTSAVED"), QStringLiteral("Failed to save the Feed Data file %1.")},
        {QStringLiteral("MSG_FILELOCKED"), QStringLiteral("locked by another program")},
        {QStringLiteral("MSG_NOSUCHFILE"), QStringLiteral("no such file")},
        {QStringLiteral("MSG_BADFEEDID"), QStringLiteral("\"%1\" is not a valid FeedID.")},
        {QStringLiteral("MSG_ITEMNOTFOUND_TITLE"),
            QStringLiteral("Failed to locate item in Feed Data File!")},
        {QStringLiteral("MSG_ITEMNOTFOUND"),
            QStringLiteral(
                "Application failed to access details for selected Feed Item. Either item is deleted "
                "or Feed Data file is not accessible to application.")},
        // The preview.
        {QStringLiteral("MSG_ERROR"), QStringLiteral("Error!")},
        {QStringLiteral("MSG_PREVIEWMISSING"),
            QStringLiteral(
                "Required Preview object file is missing or hidden. Please reinstall application to "
                "resolve this issue.")},
        {QStringLiteral("MSG_PREVIEWINVALID_TITLE"), QStringLiteral("Invalid Preview data object!")},
        {QStringLiteral("MSG_PREVIEWINVALID"),
            QStringLiteral(
                "Invalid Item Preview object data. Either file is damaged or replaced by another file. "
                "Please reinstall the Application to resolve this issue.")},
        {QStringLiteral("MSG_SAVEAS"), QStringLiteral("Save As ...")},
        {QStringLiteral("MSG_HTMLFILES"), QStringLiteral("HTML Files (*.htm *.html)")},
        {QStringLiteral("MSG_TEXTFILES"), QStringLiteral("Text Files (*.txt)")},
        // A feed window's title while it works.
        {QStringLiteral("MSG_LOADING"), QStringLiteral(" (loading ...)")},
        {QStringLiteral("MSG_CHECKING"), QStringLiteral(" (checking ...)")},
        {QStringLiteral("MSG_PARSING"), QStringLiteral(" (parsing ...)")},
        {QStringLiteral("MSG_UPDATING"), QStringLiteral(" (updating ...)")},
        {QStringLiteral("MSG_NEW"), QStringLiteral(" [new]")},
        // The catalogue.
        {QStringLiteral("MSG_CATEGORYEXISTS_TITLE"), QStringLiteral("Category Exists!")},
        {QStringLiteral("MSG_CATEGORYEXISTS"),
            QStringLiteral("Category with same Name already exists. Try some other Category Name ...")},
        {QStringLiteral("MSG_FEEDEXISTS_TITLE"), QStringLiteral("Feed already Exists!")},
        {QStringLiteral("MSG_FEEDEXISTS"),
            QStringLiteral("Feed with same URL already exists under category \"%1\".")},
        {QStringLiteral("MSG_ALERT"), QStringLiteral("Alert!")},
        {QStringLiteral("MSG_CATEGORYEDITFAILED"),
            QStringLiteral(
                "Application failed to access Category named \"%1\" in database. Edit operation failed. "
                "Please Refresh Category tree and try again ...")},
        {QStringLiteral("MSG_CHANGECATEGORY_TITLE"), QStringLiteral("Change Category?")},
        {QStringLiteral("MSG_CHANGECATEGORY"),
            QStringLiteral("Are you sure you want to move selected Feed from \"%1\" to \"%2\" category?")},
        {QStringLiteral("MSG_DBFORMAT_TITLE"), QStringLiteral("Invalid Database File Format!")},
        {QStringLiteral("MSG_DBFORMAT"),
            QStringLiteral(
                "Application failed to load Feeds Database. Please reinstall application to resolve "
                "this issue.")},
        {QStringLiteral("MSG_DBRECORDS_TITLE"), QStringLiteral("Invalid Record Structure!")},
        {QStringLiteral("MSG_DBRECORDS"),
            QStringLiteral("Appliaction failed to access Records in Database. Please reinstal application to "
                           "resolve this issue.")},
        {QStringLiteral("MSG_DBCATEGORY_TITLE"), QStringLiteral("Failed to access specified Category!")},
        {QStringLiteral("MSG_DBCATEGORY"),
            QStringLiteral("Application failed to locate Feed category \"%1\" in Database!")},
        {QStringLiteral("MSG_DBCATEGORYNOTFOUND_TITLE"), QStringLiteral("Category not found!")},
        {QStringLiteral("MSG_DBCATEGORYNOTFOUND"),
            QStringLiteral("Application failed to locate %1 in Database!")},
        {QStringLiteral("MSG_DBLOCKED"),
            QStringLiteral("The feed database %1 is locked by another program.")},
        {QStringLiteral("MSG_DBNOTSAVED"), QStringLiteral("The feed database could not be saved: %1")},
        // Settings.
        {QStringLiteral("MSG_DONE"), QStringLiteral("Done!")},
        {QStringLiteral("MSG_EMAILSAVED"), QStringLiteral("Email Settings are Successfully Saved!")},
        {QStringLiteral("MSG_APPSAVED"),
            QStringLiteral("Application Settings successfully saved to Application Configuration File.")},
        {QStringLiteral("MSG_SCHEDULERSAVED"),
            QStringLiteral("Scheduler Settings are Successfully saved to Application Configuration file!")},
    };
    return texts;
}

// After the utilities' own texts (unexpected failures).
const QList<QPair<QString, QString>> &baseAfterUtilities()
{
    static const QList<QPair<QString, QString>> texts = {
        {QStringLiteral("MSG_ERR_OBJECTNOTSET"),
            QStringLiteral("Object variable or With block variable not set")},
        {QStringLiteral("MSG_ERR_TYPEMISMATCH"), QStringLiteral("Type mismatch")},
        {QStringLiteral("MSG_ERR_SUBSCRIPT"), QStringLiteral("Subscript out of range (key \"%1\")")},
        {QStringLiteral("MSG_FOLDERFAILED"),
            QStringLiteral(
                "Application failed to prepare its folder \"%1\". Please make sure the folder can be "
                "written and try again.")},
        {QStringLiteral("MSG_LOCALIZATIONNOTSAVED"),
            QStringLiteral("The language file could not be written: %1")},
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
