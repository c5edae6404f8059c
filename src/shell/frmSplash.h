#pragma once

#include <QWidget>

class QTimer;

// The start-up picture. After 75 ticks of its 2 ms timer it reports that
// the main window may load; the machine setting "chkSplash" = "1" keeps it
// invisible without changing that timing.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget *parent = nullptr);

    // Shows the splash (unless hidden by the machine setting) and starts
    // the timer.
    void start();
    // Whether the machine setting hides the splash.
    static bool hiddenByMachineSetting();

signals:
    void finished();

private:
    void tick();

    QTimer *m_timer;
    qint16 intTemp = 0;
};
