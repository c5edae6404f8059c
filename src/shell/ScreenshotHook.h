#pragma once

#include <QString>

class frmMain;

// A picture of the program at work for the documentation: opens the first
// feed of the tree, selects its first item once loaded, saves the main
// window as PNG and quits. Used only when QUORVANE_SCREENSHOT names a file.
// With a dialog folder (QUORVANE_SCREENSHOT_DIALOGS) it also saves each
// dialog there, as its window name with ".png" (frmConfirmClose.png, ...).
namespace ScreenshotHook
{

void arm(frmMain *main, const QString &pngPath, const QString &dialogFolder = QString());

} // namespace ScreenshotHook
