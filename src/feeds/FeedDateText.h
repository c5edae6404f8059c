#pragma once

#include <string_view>

// The dates of feed entries: RFC 822 style ("Tue, 10 Jun 2003 04:00:00 GMT")
// and RFC 3339 / W3C style ("2003-06-10T04:00:00Z"), read as written: the
// zone or offset is dropped, not applied.
struct FeedDate {
    std::string_view dayText; // the day as written ("6" or "06")
    std::string_view monthText; // the month name as written, when it is one the month lookup reads
    int year = 0; // four digits, also for a two-digit year
    int month = 0; // 1..12; 0 when the text is no date
    int hour = 0;
    int minute = 0;
    int second = 0;
    char time[8] = {}; // hh:mm:ss

    bool isValid() const { return month != 0; }
    std::string_view timeText() const { return {time, sizeof time}; }
};

// Reads a date from UTF-8 text; the views of the result point into it.
FeedDate parseFeedDate(std::string_view text);
