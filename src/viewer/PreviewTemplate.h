#pragma once

#include "feeds/FeedItem.h"

#include <QString>

// Fills the preview template (view.tpl) with one item's fields.
namespace PreviewTemplate
{

// The link an item points to: its media link when it has one, else its link.
QString itemLink(const FeedItem &item);

// Text made safe for HTML content and quoted attribute values.
QString escapeHtml(const QString &text);

// The template of the application folder (view.tpl); "" after the box
// that tells it is missing or blank.
QString readTemplate();

// Replaces, in this order, [[title]], [[link]], [[app]], [[desc]], [[date]]
// and [[time]]. Every value is escaped except the description, which is
// markup; its bare line feeds become CR LF.
QString render(const QString &templateText, const FeedItem &item);

// The page "Export to HTML" writes: the previewed body in a complete UTF-8
// document titled by the item, relative addresses resolved against its web
// link, whose content policy lets no script run when it is opened.
QString exportPage(const FeedItem &item, const QString &bodyHtml);

// True for an absolute http or https address.
bool isWebLink(const QString &address);

} // namespace PreviewTemplate
