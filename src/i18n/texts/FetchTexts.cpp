#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of conditional and polite fetching: not modified, retry later, gone, moved.
QList<QPair<QString, QString>> fetchTexts()
{
    return {
    };
}

} // namespace DefaultTexts
