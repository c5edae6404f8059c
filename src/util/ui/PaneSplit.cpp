#include "util/ui/PaneSplit.h"

#include <QSplitter>

namespace PaneSplit
{

void share(QSplitter &splitter)
{
    const int inner = splitter.height() - splitter.handleWidth();
    if (inner > 0)
        splitter.setSizes({inner / 2, inner - inner / 2});
}

void keepInLimits(QSplitter &splitter)
{
    const int height = splitter.height();
    const int top = splitter.sizes().value(0);
    const int lowest = height * 20 / 100;
    const int highest = height * 80 / 100;
    if (top >= lowest && top <= highest)
        return;
    const int clamped = qBound(lowest, top, highest);
    splitter.setSizes({clamped, height - splitter.handleWidth() - clamped});
}

} // namespace PaneSplit
