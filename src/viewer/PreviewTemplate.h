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

// Replaces, in this order, [[title]], [[link]], [[app]], [[desc]], [[date]]
// and [[time]]. Every value is escaped except the description, which is
// markup; its bare line feeds become CR LF.
QString render(const QString &templateText, const FeedItem &item);

// True for an absolute http or https address.
bool isWebLink(const QString &address);

} // namespace PreviewTemplate
