#include "catalogue/Catalogue.h"
#include "cli/Commands.h"
#include "cli/DataFiles.h"
#include "feeds/FeedStore.h"
#include "mail/ItemMailer.h"

#include <QEventLoop>

#include <optional>

namespace
{

// FEEDID ITEMID --to ADDRESSES [--subject TEXT] [--message TEXT] [--link-only]
struct SendArguments {
    QString feedId;
    QString itemId;
    std::optional<QString> to, subject, message;
    bool linkOnly = false;
};

std::optional<SendArguments> parse(const QStringList &args)
{
    SendArguments parsed;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        std::optional<QString> *value = arg == QLatin1String("--to") ? &parsed.to
            : arg == QLatin1String("--subject")                      ? &parsed.subject
            : arg == QLatin1String("--message")                      ? &parsed.message
                                                                     : nullptr;
        if (value) {
            if (i + 1 >= args.size())
                return std::nullopt;
            *value = args.at(++i);
        } else if (arg == QLatin1String("--link-only")) {
            parsed.linkOnly = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return std::nullopt;
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 2 || !parsed.to)
        return std::nullopt;
    parsed.feedId = positional.at(0);
    parsed.itemId = positional.at(1);
    return parsed;
}

int sendAndWait(const ItemMailer::Request &request)
{
    ItemMailer mailer;
    QEventLoop loop;
    int status = 1;
    QObject::connect(&mailer, &ItemMailer::progress,
        [](int percent) { printError(QStringLiteral("Sending ... (%1%)").arg(percent)); });
    QObject::connect(&mailer, &ItemMailer::status, [](const QString &text) { printError(text); });
    QObject::connect(&mailer, &ItemMailer::succeeded, &loop, [&] {
        printError(QStringLiteral("Email Successfully Sent!"));
        status = 0;
        loop.quit();
    });
    QObject::connect(&mailer, &ItemMailer::failed, &loop, [&](const QString &explanation) {
        printError(QStringLiteral("Failed to Send Email due to following error: ") + explanation);
        loop.quit();
    });
    mailer.setCaFile(qEnvironmentVariable("QUORVANE_SMTP_CA_FILE"));
    mailer.send(request);
    if (mailer.running())
        loop.exec();
    return status;
}

} // namespace

int runSend(const QStringList &args)
{
    const std::optional<SendArguments> parsed = parse(args);
    if (!parsed)
        return usageError(QStringLiteral(
            "send FEEDID ITEMID --to ADDRESSES [--subject TEXT] [--message TEXT] [--link-only]"));
    Catalogue catalogue;
    const std::optional<FeedRecord> feed = catalogue.feed(parsed->feedId);
    if (!feed)
        return failed(QStringLiteral("No feed %1.").arg(parsed->feedId));
    const FeedFile::Item stored = DataFiles::readItem(feed->FeedID, parsed->itemId);
    if (!FeedStore::reportFileState(stored.state) || !stored.found)
        return failed(QStringLiteral("No item %1 in feed %2.").arg(parsed->itemId, feed->FeedID));
    const FeedItem &item = stored.item;
    // The checks a feed window makes before its send dialog opens.
    const ItemMailer::Readiness readiness = ItemMailer::readiness();
    if (readiness != ItemMailer::Readiness::Ready) {
        ItemMailer::refuse(readiness);
        return 1;
    }
    ItemMailer::Request request;
    request.item = MailComposer::itemMail(feed->FeedCaption, item);
    request.to = *parsed->to;
    request.subject = parsed->subject.value_or(MailComposer::defaultSubject(feed->FeedCaption));
    request.personalMessage = parsed->message.value_or(MailComposer::defaultMessage());
    request.completeDescription = !parsed->linkOnly;
    return sendAndWait(request);
}
