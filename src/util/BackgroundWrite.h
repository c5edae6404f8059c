#pragma once

#include <QByteArray>
#include <QString>

// Files written off the window thread, one after another in the order asked
// (so the last one asked is the one left), each as WriteTextFile would
// write it. A failure is reported with the utility error box on the main
// thread.
namespace BackgroundWrite
{

void textFile(const QString &path, const QByteArray &bytes, const QString &charset);
// Waits until every write asked for is done.
void wait();

} // namespace BackgroundWrite
