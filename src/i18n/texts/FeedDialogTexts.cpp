#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of the add/edit feed dialog and the feed check.
QList<QPair<QString, QString>> feedDialogTexts()
{
    return {};
}

} // namespace DefaultTexts
