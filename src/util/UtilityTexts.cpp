#include "util/UtilityTexts.h"
#include "util/MessageKeys.h"

#include <atomic>

namespace UtilityTexts
{

namespace
{
std::atomic<Source> installed {nullptr};
}

const QList<QPair<QString, QString>> &english()
{
    static const QList<QPair<QString, QString>> texts = {
        {Msg::FUNCTION, QStringLiteral("%1 Function")},
        {Msg::ERRORONLINE, QStringLiteral("Error on Line %1")},
        {Msg::UTILITYERROR_TITLE, QStringLiteral("Error !")},
        {Msg::PATHERROR, QStringLiteral("Path/File access error: %1 (%2)")},
        {Msg::FILENOTFOUND, QStringLiteral("File not found: %1")},
    };
    return texts;
}

void setSource(Source source)
{
    installed = source;
}

QString text(const QString &key)
{
    if (const Source source = installed.load())
        return source(key);
    for (const auto &[name, value] : english()) {
        if (name == key)
            return value;
    }
    return QString();
}

} // namespace UtilityTexts
