#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Edits the "email" settings: the SMTP server and port, whether it needs a
// user name and password, and the sender's name and address.
class frmEmailSettings : public QDialog
{
    Q_OBJECT
public:
    explicit frmEmailSettings(QWidget *parent = nullptr);

protected:
    // The port box takes only digits and Backspace.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fill();
    void enableAuthentication();
    // The first required box left blank, in the order of the form, with the
    // key of its explanation; none when every one is filled.
    QPair<QLineEdit *, QString> firstEmptyField() const;
    void save();

    QLineEdit *m_server;
    QLineEdit *m_port;
    QCheckBox *m_auth;
    QLineEdit *m_userName;
    QLineEdit *m_password;
    QLineEdit *m_fromName;
    QLineEdit *m_fromEmail;
    QList<QLabel *> m_labels; // lblInfo 0..5
    QPushButton *m_ok;
};
