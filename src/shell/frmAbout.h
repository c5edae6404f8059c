#pragma once

#include <QDialog>

// The program's name, maker, version and web address.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
};
