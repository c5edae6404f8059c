#pragma once

#include <QString>

class frmMain;

// A picture of the program at work for the documentation: opens the first
// feed of the tree, selects its first item once loaded, saves the main
// window as PNG and quits. Used only when QUORVANE_SCREENSHOT names a file.
namespace ScreenshotHook
{

void arm(frmMain *main, const QString &pngPath);

} // namespace ScreenshotHook
