#pragma once

#include "i18n/DefaultTexts.h"

#include <QString>

#include <optional>

class HttpRequest;

// Why a feed's download brought nothing to parse, in the words the feed
// window's box and the scheduler's log both use: the failures of the
// connection itself, and an HTTP error status that came without a body.
// (An error page with a body still goes to the parser, which names what it
// is not.)
struct FetchFailure {
    QString title;
    QString text;

    // The failure of a finished request, or nothing when its response is to
    // be parsed; its words come from texts.
    static std::optional<FetchFailure> of(const HttpRequest &request, DefaultTexts::Source texts);
};
