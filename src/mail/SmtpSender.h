#pragma once

#include "mail/MailMessage.h"

#include <QObject>
#include <QString>

#include <memory>

// The settings of one send.
struct SmtpOptions {
    QString host;
    int port = 25; // 465: SMTPS; any other: STARTTLS when the server offers it
    bool authentication = false;
    QString userName; // used only with authentication
    QString password;
    // Certificates are verified against the system's store, or against
    // this file of PEM certificates when one is given (tests trust their
    // own self-signed server this way).
    QString caFile;
    // How long the server may take to accept the connection, and to answer
    // each command.
    int connectTimeoutMs = 20000;
    int responseTimeoutMs = 30000;
};

// Sends one message over SMTP with libcurl on a worker thread. The events
// arrive on the thread that owns the sender: progress in percent and
// status texts while it runs, then exactly one of succeeded() or failed().
// succeeded() only once the server has accepted the message. Deleting the
// sender while it runs abandons the send without waiting for it.
class SmtpSender : public QObject
{
    Q_OBJECT
public:
    explicit SmtpSender(QObject *parent = nullptr);
    ~SmtpSender() override;

    // Starts the send; false (and no event) when one is already running.
    bool send(const SmtpOptions &options, const MailMessage &message);
    bool running() const;

signals:
    void progress(int percentComplete);
    void status(const QString &text);
    void succeeded();
    void failed(const QString &explanation);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
