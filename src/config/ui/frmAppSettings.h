#pragma once

#include <QDialog>
#include <QList>

class QCheckBox;
class QLabel;
class QRadioButton;

// Edits the "app" settings: starting with the desktop session and what
// closing the main window does; shows whether a start-up entry is in place.
class frmAppSettings : public QDialog
{
    Q_OBJECT
public:
    explicit frmAppSettings(QWidget *parent = nullptr);

private:
    // Puts the loaded settings and the start-up status into the controls.
    void fill();
    void save();

    QCheckBox *m_startup;
    QLabel *m_status;
    QList<QRadioButton *> m_close;
};
