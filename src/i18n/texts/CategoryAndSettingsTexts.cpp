#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of the category dialog and the application settings dialog.
QList<QPair<QString, QString>> categoryAndSettingsTexts()
{
    return {
        // The category dialog.
        {Msg::CATEGORY_NAME_TITLE, QStringLiteral("Category Name?")},
        {Msg::CATEGORY_NAME, QStringLiteral("Please specify Name of Category.")},
        {Msg::CATEGORY_ADD, QStringLiteral("Add Category")},
        {Msg::CATEGORY_SAVE, QStringLiteral("Save Details")},
        // The start-up entry and its status in the application settings.
        {Msg::APPSETTINGS_ALLUSERS, QStringLiteral("(Enabled - All Users)")},
        {Msg::APPSETTINGS_THISUSER, QStringLiteral("(Enabled - This User)")},
        {Msg::APPSETTINGS_DISABLED, QStringLiteral("(Disabled - Run Manually)")},
        {Msg::APPSETTINGS_ENTRYNOTSAVED,
            QStringLiteral("The start-up entry \"%1\" could not be written: %2")},
        {Msg::APPSETTINGS_ENTRYNOTREMOVED,
            QStringLiteral("The start-up entry \"%1\" could not be removed: %2")},
    };
}

} // namespace DefaultTexts
