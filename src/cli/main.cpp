#include "cli/Commands.h"
#include "util/AppFolder.h"
#include "util/Log.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace
{

const char *usageText
    = "usage: quorvane-cli [--home DIR] [--verbose] VERB [ARGUMENTS]\n"
      "verbs:\n"
      "  list\n"
      "  category add NAME | rename OLD NEW | delete NAME\n"
      "  feed add CATEGORY NAME TYPE|auto URL\n"
      "  feed edit CATEGORY FEEDID NAME TYPE URL\n"
      "  feed move CATEGORY FEEDID NEWCATEGORY\n"
      "  feed delete CATEGORY FEEDID\n"
      "  parse [--json] FILE|-\n"
      "  check\n"
      "  items FEEDID\n"
      "  send FEEDID ITEMID --to ADDRESSES [--subject TEXT] [--message TEXT] [--link-only]\n"
      "  opml import FILE | opml export [FILE|-]\n";

} // namespace

int usageError(const QString &message)
{
    if (!message.isEmpty())
        std::fprintf(stderr, "quorvane-cli: %s\n", qPrintable(message));
    std::fputs(usageText, stderr);
    return 2;
}

void printLine(const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void printError(const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

int failed(const QString &message)
{
    printError(message);
    return 1;
}

int main(int argc, char **argv)
{
    const bool verbose = Log::takeVerboseFlag(argc, argv);
    QCoreApplication app(argc, argv);
    if (verbose)
        Log::beVerbose();
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvane"));

    QStringList args = app.arguments().mid(1);
    const int home = args.indexOf(QStringLiteral("--home"));
    if (home >= 0 && home + 1 >= args.size())
        return usageError(QStringLiteral("--home needs a folder"));
    const QStringList rest = AppFolder::stripHomeOption(args);
    if (rest.isEmpty())
        return usageError(QString());
    const QString verb = rest.first();
    const QStringList verbArgs = rest.mid(1);

    // Parsing a file needs no application folder.
    if (verb == QLatin1String("parse"))
        return runParse(verbArgs);

    AppFolder::resolve(args);
    if (!AppFolder::prepare()) {
        std::fprintf(stderr, "quorvane-cli: cannot prepare the application folder %s\n",
            qPrintable(AppFolder::path()));
        return 1;
    }
    if (verb == QLatin1String("list"))
        return runList(verbArgs);
    if (verb == QLatin1String("category"))
        return runCategory(verbArgs);
    if (verb == QLatin1String("feed"))
        return runFeed(verbArgs);
    if (verb == QLatin1String("check"))
        return runCheck(verbArgs);
    if (verb == QLatin1String("items"))
        return runItems(verbArgs);
    if (verb == QLatin1String("send"))
        return runSend(verbArgs);
    if (verb == QLatin1String("opml"))
        return runOpml(verbArgs);
    return usageError(QStringLiteral("unknown verb \"%1\"").arg(verb));
}
