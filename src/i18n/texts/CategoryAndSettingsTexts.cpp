#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of the category dialog and the application settings dialog.
QList<QPair<QString, QString>> categoryAndSettingsTexts()
{
    return {};
}

} // namespace DefaultTexts
