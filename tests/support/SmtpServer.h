#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real SMTP server on 127.0.0.1 for tests: tests/support/smtp_server.py
// (Debian's python3-aiosmtpd) run as a child process, stopped when this
// object goes.
//
//   SmtpServer server({.requireAuth = true});
//   QVERIFY(server.start());
//   ... send to 127.0.0.1:server.port() as server.options().user ...
//   const auto messages = server.waitForMessages(1);
//
// A recipient whose local part is "refused" (refused@example.org) is
// answered with "550 5.1.1 Mailbox unavailable"; wrong credentials with
// "535 5.7.8 Authentication credentials invalid".
class SmtpServer
{
public:
    struct Options {
        bool startTls = false; // offer STARTTLS with the self-signed test certificate
        bool requireAuth = false; // refuse mail without authentication (530)
        bool offerAuth = true; // false: no AUTH in the EHLO reply at all
        QString user = QStringLiteral("user");
        QString password = QStringLiteral("secret");
    };
    struct Received {
        QString mailFrom;
        QStringList recipients; // the accepted ones
        QByteArray data; // the message as it came after DATA
    };

    SmtpServer();
    explicit SmtpServer(Options options);
    ~SmtpServer();

    // Starts the server and waits until it listens; false when it could not.
    bool start();
    quint16 port() const { return m_port; }
    const Options &options() const { return m_options; }
    // The PEM certificate the server presents (for a client's CA file).
    QString caFile() const;

    // Waits, running the event loop, until n messages have arrived or
    // timeoutMs have passed; answers what has arrived by then.
    QList<Received> waitForMessages(int n = 1, int timeoutMs = 10000);
    // The messages that have arrived so far, in order.
    QList<Received> received() const;

private:
    Options m_options;
    QTemporaryDir m_out;
    QProcess m_process;
    quint16 m_port = 0;
};
