#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of importing and exporting the catalogue as OPML.
QList<QPair<QString, QString>> opmlTexts()
{
    return {
    };
}

} // namespace DefaultTexts
