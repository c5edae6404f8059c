#include "cli/Commands.h"
#include "feeds/FeedParser.h"
#include "util/Utilities.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace
{

using FeedParser::Kind;

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Rss:
        return QStringLiteral("rss");
    case Kind::Rdf:
        return QStringLiteral("rdf");
    case Kind::Atom:
        return QStringLiteral("atom");
    case Kind::Invalid:
        break;
    }
    return QStringLiteral("invalid");
}

void write(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

bool readInput(const QString &name, QByteArray &bytes)
{
    const bool standardInput = name == QLatin1String("-");
    QFile file(standardInput ? QString() : name);
    if (!(standardInput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly))) {
        std::fprintf(
            stderr, "quorvane-cli: cannot read %s: %s\n", qPrintable(name), qPrintable(file.errorString()));
        return false;
    }
    bytes = file.readAll();
    return true;
}

// The entry's date as numbers, or null when it has no usable date.
QJsonValue dateOf(const FeedItem &item)
{
    const QString key = FeedParser::dateKey(item);
    if (key.isEmpty())
        return QJsonValue::Null;
    return QJsonObject {{QStringLiteral("year"), item.Year.toInt()},
        {QStringLiteral("month"), mUtil::MonthNumber(item.Month).toInt()},
        {QStringLiteral("day"), item.Day.toInt()}, {QStringLiteral("time"), item.Time}};
}

QJsonValue textOrNull(const QString &text)
{
    return text.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QByteArray json(const FeedParser::Result &result)
{
    QJsonArray entries;
    for (int i = 1; i <= result.count; ++i) {
        const FeedItem &item = result.items.at(i);
        entries.append(
            QJsonObject {{QStringLiteral("title"), item.Title}, {QStringLiteral("link"), item.Link},
                {QStringLiteral("description"), item.Description}, {QStringLiteral("media"), item.Media},
                {QStringLiteral("id"), item.ID}, {QStringLiteral("date"), dateOf(item)}});
    }
    const QJsonObject feed {{QStringLiteral("kind"), kindName(result.kind)},
        {QStringLiteral("feed_title"), textOrNull(result.feedTitle)}, {QStringLiteral("entries"), entries}};
    return QJsonDocument(feed).toJson(QJsonDocument::Compact) + '\n';
}

// One line per entry: date, title and link, tab-separated.
QByteArray listing(const FeedParser::Result &result)
{
    const auto oneLine = [](QString text) {
        return text.replace(QLatin1Char('\t'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
    };
    QString text = kindName(result.kind) + QLatin1Char('\t') + oneLine(result.feedTitle) + QLatin1Char('\n');
    for (int i = 1; i <= result.count; ++i) {
        const FeedItem &item = result.items.at(i);
        const QString date = FeedParser::dateKey(item).isEmpty()
            ? QStringLiteral("-")
            : QStringLiteral("%1-%2-%3 %4")
                  .arg(item.Year, mUtil::MonthNumber(item.Month))
                  .arg(item.Day.toInt(), 2, 10, QLatin1Char('0'))
                  .arg(item.Time);
        text += date + QLatin1Char('\t') + oneLine(item.Title) + QLatin1Char('\t') + oneLine(item.Link)
            + QLatin1Char('\n');
    }
    return text.toUtf8();
}

} // namespace

int runParse(const QStringList &args)
{
    QStringList rest = args;
    const bool asJson = rest.removeAll(QStringLiteral("--json")) > 0;
    if (rest.size() != 1 || (rest.first().startsWith(QLatin1Char('-')) && rest.first() != QLatin1String("-")))
        return usageError(QStringLiteral("parse needs one FILE (or - for standard input)"));
    QByteArray bytes;
    if (!readInput(rest.first(), bytes))
        return 1;
    const FeedParser::Result result = FeedParser::parseAny(bytes);
    if (result.failure != FeedParser::Failure::None) {
        if (asJson)
            write("{\"kind\":\"invalid\"}\n");
        FeedParser::reportFailure(result.failure);
        return 1;
    }
    write(asJson ? json(result) : listing(result));
    return 0;
}
