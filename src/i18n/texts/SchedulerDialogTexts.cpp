#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of the scheduler settings dialog and the notification pop-up.
QList<QPair<QString, QString>> schedulerDialogTexts()
{
    return {};
}

} // namespace DefaultTexts
