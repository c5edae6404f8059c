#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of the category dialog and the application settings dialog.
QList<QPair<QString, QString>> categoryAndSettingsTexts()
{
    return {
        // The category dialog.
        {QStringLiteral("MSG_CATEGORY_NAME_TITLE"), QStringLiteral("Category Name?")},
        {QStringLiteral("MSG_CATEGORY_NAME"), QStringLiteral("Please specify Name of Category.")},
        {QStringLiteral("MSG_CATEGORY_ADD"), QStringLiteral("Add Category")},
        {QStringLiteral("MSG_CATEGORY_SAVE"), QStringLiteral("Save Details")},
        // The start-up entry and its status in the application settings.
        {QStringLiteral("MSG_APPSETTINGS_ALLUSERS"), QStringLiteral("(Enabled - All Users)")},
        {QStringLiteral("MSG_APPSETTINGS_THISUSER"), QStringLiteral("(Enabled - This User)")},
        {QStringLiteral("MSG_APPSETTINGS_DISABLED"), QStringLiteral("(Disabled - Run Manually)")},
        {QStringLiteral("MSG_APPSETTINGS_ENTRYNOTSAVED"),
            QStringLiteral("The start-up entry \"%1\" could not be written: %2")},
        {QStringLiteral("MSG_APPSETTINGS_ENTRYNOTREMOVED"),
            QStringLiteral("The start-up entry \"%1\" could not be removed: %2")},
    };
}

} // namespace DefaultTexts
