#pragma once

#include <QDialog>
#include <QList>

class QCheckBox;
class QPushButton;

// Asks whether closing the main window exits the program or keeps it
// running in the tray, and stores the answer as the new preference.
class frmConfirmClose : public QDialog
{
    Q_OBJECT
public:
    explicit frmConfirmClose(QWidget *parent = nullptr);

    // True for "Close Now!", false for "Keep Running" (or a dismissed dialog).
    bool bClose() const { return m_close; }

private:
    void choose(bool closeNow);

    QCheckBox *m_alwaysClose;
    QCheckBox *m_dontShow;
    QList<QPushButton *> m_buttons;
    bool m_close = false;
};

// The decision taken when the main window is asked to close: true when the
// close goes ahead, false when the program keeps running in the tray.
bool closeDecision(QWidget *owner);
