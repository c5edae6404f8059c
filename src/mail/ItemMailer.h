#pragma once

#include "mail/MailComposer.h"

#include <QObject>
#include <QPointer>
#include <QString>

class SmtpSender;

// Sends a feed item as the send dialog and the command line do: the e-mail
// settings read fresh, the password from the keyring where it is kept
// there, the body composed from email.tpl, and the message handed to a new
// SmtpSender. Its events are the sender's.
class ItemMailer : public QObject
{
    Q_OBJECT
public:
    struct Request {
        QString to; // ";"-separated
        QString subject;
        QString personalMessage;
        bool completeDescription = true;
        MailComposer::ItemMail item;
    };

    // Whether an item can be sent at all: a mail server is set (the
    // settings are read for it) and email.tpl is in the application folder.
    enum class Readiness { Ready, NoServer, NoTemplate };
    static Readiness readiness();
    // The box that says why an item cannot be sent ("Cannot Send Email!"
    // without a server, the missing template's "Error!").
    static void refuse(Readiness readiness);

    explicit ItemMailer(QObject *parent = nullptr);
    ~ItemMailer() override;

    // Certificates of a test's own server (see SmtpOptions::caFile).
    void setCaFile(const QString &path) { m_caFile = path; }
    // Starts the send; false when one is running.
    bool send(const Request &request);
    bool running() const { return m_running; }

signals:
    void progress(int percentComplete);
    void status(const QString &text);
    void succeeded();
    void failed(const QString &explanation);

private:
    void sendWithPassword(const Request &request, const QString &password);
    void finish();

    QString m_caFile;
    bool m_running = false;
    QPointer<SmtpSender> m_sender;
};
