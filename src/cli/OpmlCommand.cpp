#include "cli/Commands.h"

int runOpml(const QStringList &)
{
    return usageError(QStringLiteral("opml import FILE | opml export [FILE|-]"));
}
