#include "catalogue/Catalogue.h"
#include "catalogue/Opml.h"
#include "cli/Commands.h"

#include <cstdio>

namespace
{

// Lines of a report as a terminal wants them.
QByteArray lines(const QString &text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return (out + QLatin1Char('\n')).toUtf8();
}

void write(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int importFeeds(const QString &path)
{
    const Opml::Plan plan = Opml::readFile(path);
    if (!plan.error.isEmpty()) {
        write(stderr, lines(plan.error));
        return 1;
    }
    Catalogue catalogue;
    const Opml::ImportResult result = Opml::apply(catalogue, plan);
    write(result.ok() ? stdout : stderr, lines(Opml::reportText(result)));
    return result.ok() ? 0 : 1;
}

int exportFeeds(const QString &path)
{
    // A catalogue read only in part would be exported as if it were whole.
    Catalogue catalogue;
    if (!catalogue.reload())
        return 1;
    if (path == QLatin1String("-")) {
        write(stdout, Opml::exportDocument(catalogue.categories()));
        return 0;
    }
    QString error;
    if (Opml::exportFile(catalogue.categories(), path, &error))
        return 0;
    write(stderr, lines(error));
    return 1;
}

} // namespace

int runOpml(const QStringList &args)
{
    const QString action = args.value(0);
    if (action == QLatin1String("import") && args.size() == 2)
        return importFeeds(args.at(1));
    if (action == QLatin1String("export") && args.size() <= 2)
        return exportFeeds(args.value(1, QStringLiteral("-")));
    return usageError(QStringLiteral("opml import FILE | opml export [FILE|-]"));
}
