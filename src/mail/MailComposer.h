#pragma once

#include "feeds/FeedItem.h"

#include <QString>

// The forwarding of a feed item: the subject and personal message the send
// dialog starts with, and the body made from the template email.tpl.
namespace MailComposer
{

// What the feed window hands over about the item.
struct ItemMail {
    QString channelName; // the feed's caption
    QString feedTitle; // the item's title
    QString itemDescription; // HTML
    QString itemLink; // the media link when there is one, else the link
};

// A stored item of the feed named channelName: its media link stands for
// its link when it has one.
ItemMail itemMail(const QString &channelName, const FeedItem &item);

// "An Article from "<channel>"".
QString defaultSubject(const QString &channelName);
// The personal message the dialog starts with.
QString defaultMessage();
// The disclaimer appended to every body, the program's name filled in.
QString disclaimer();

// The template with its placeholders replaced, CR LF, and the disclaimer.
// With completeDescription false the description is a "View Online:" link.
QString composeBody(const QString &templateText, const QString &fromName, const QString &personalMessage,
    const ItemMail &item, bool completeDescription);

} // namespace MailComposer
