#include "util/ui/UnloadAllForms.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace mUtil
{

void UnloadAllForms()
{
    // Closing one window may close or delete others, so each is guarded.
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows.append(w);
    for (const QPointer<QWidget> &w : windows) {
        if (w && w->isWindow())
            w->close();
    }
}

} // namespace mUtil
