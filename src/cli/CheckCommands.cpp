#include "cli/Commands.h"
#include "cli/DataFiles.h"
#include "feeds/FeedStore.h"
#include "scheduler/ScheduledCheck.h"
#include "util/Utilities.h"

#include <QEventLoop>

#include <cstdio>

namespace
{

// One field of a tab-separated line: no tabs or line breaks inside.
QString field(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

int runCheck(const QStringList &args)
{
    if (!args.isEmpty())
        return usageError(QStringLiteral("check takes no arguments"));
    ScheduledCheck check;
    QEventLoop run;
    QObject::connect(&check, &ScheduledCheck::finished, &run, &QEventLoop::quit);
    check.RunScheduledCheck();
    run.exec();
    for (const QString &line : check.notificationLines())
        printLine(line);
    std::fflush(stdout);
    return 0;
}

int runItems(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("items needs one FEEDID"));
    if (!mUtil::isFeedId(args.first()))
        return usageError(QStringLiteral("\"%1\" is not a FeedID").arg(args.first()));
    const FeedFile::Loaded loaded = DataFiles::loadRows(args.first());
    if (loaded.state != FeedStore::FileState::Missing && !FeedStore::reportFileState(loaded.state))
        return 1;
    for (const FeedStore::Row &row : loaded.rows) {
        printLine(QStringList {row.read ? QStringLiteral("1") : QStringLiteral("0"), field(row.dateText),
            row.id, field(row.title), field(row.link)}
                      .join(QLatin1Char('\t')));
    }
    std::fflush(stdout);
    return 0;
}
