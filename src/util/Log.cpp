#include "util/Log.h"

#include <cstring>

Q_LOGGING_CATEGORY(lcFetch, "quorvane.fetch", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStore, "quorvane.store", QtWarningMsg)
Q_LOGGING_CATEGORY(lcParse, "quorvane.parse", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSchedule, "quorvane.schedule", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMail, "quorvane.mail", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUi, "quorvane.ui", QtWarningMsg)

namespace Log
{

void beVerbose()
{
    QLoggingCategory::setFilterRules(QStringLiteral("quorvane.*.debug=true\nquorvane.*.info=true"));
}

bool takeVerboseFlag(int &argc, char **argv)
{
    bool found = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verbose") == 0)
            found = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return found;
}

} // namespace Log
