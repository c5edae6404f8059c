#pragma once

#include "feeds/FeedItem.h"

#include <QDialog>
#include <QList>
#include <QString>

class ItemMailer;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// Forwards one feed item by e-mail: the recipients, subject and personal
// message typed here, the item's description or only its link, sent through
// the configured SMTP server. The dialog stays open for further recipients.
class frmSendEmail : public QDialog
{
    Q_OBJECT
public:
    explicit frmSendEmail(QWidget *parent = nullptr);

    // The "email" action of an item: the not-configured question (Yes opens
    // the server settings), the refusal of a mail that cannot be sent, then
    // this dialog with the item.
    static void sendItem(QWidget *parent, const QString &feedCaption, const FeedItem &item);

    // Set by the opener before the dialog is shown.
    QString ChannelName; // the feed's caption, for the subject
    QString FeedTitle;
    QString ItemDescription; // HTML
    QString ItemLink; // the media link when there is one, else the link

    bool sending() const { return m_sending; }

public slots:
    // Escape and the close box do nothing while a send is under way.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void send();
    void SendItemEmail();
    void setStatus(const QString &text);
    void setButtonsEnabled(bool enabled);
    void sent();
    void failed(const QString &explanation);

    QLineEdit *m_to;
    QLineEdit *m_subject;
    QPlainTextEdit *m_message;
    QList<QRadioButton *> m_options; // optSend 0..1
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QLabel *m_status;
    ItemMailer *m_mailer;
    bool m_sending = false;
    bool m_loaded = false;
};
