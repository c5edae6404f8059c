#pragma once

#include <QLoggingCategory>

// One logging category per area of the program. They are silent but for
// warnings; `--verbose` on either program (or QT_LOGGING_RULES, such as
// "quorvane.fetch.debug=true") makes them tell what happens, for a user
// reporting a problem.
Q_DECLARE_LOGGING_CATEGORY(lcFetch)
Q_DECLARE_LOGGING_CATEGORY(lcStore)
Q_DECLARE_LOGGING_CATEGORY(lcParse)
Q_DECLARE_LOGGING_CATEGORY(lcSchedule)
Q_DECLARE_LOGGING_CATEGORY(lcMail)
Q_DECLARE_LOGGING_CATEGORY(lcUi)

namespace Log
{
// Turns every category's debug output on (--verbose).
void beVerbose();
// Takes "--verbose" out of the arguments; true when it was there.
bool takeVerboseFlag(int &argc, char **argv);
} // namespace Log
