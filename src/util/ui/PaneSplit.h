#pragma once

class QSplitter;

// The two panes of a window one above the other: shared half and half,
// and the divider kept between a fifth and four fifths of the height.
namespace PaneSplit
{

void share(QSplitter &splitter);
// Keeps the divider within its limits as the user moves it.
void keepInLimits(QSplitter &splitter);

} // namespace PaneSplit
