#include "support/SmtpServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace
{

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

SmtpServer::SmtpServer() : SmtpServer(Options())
{
}

SmtpServer::SmtpServer(Options options) : m_options(std::move(options))
{
}

SmtpServer::~SmtpServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString SmtpServer::caFile() const
{
    return QStringLiteral(QUORVANE_FIXTURES "/tls/self-signed.crt");
}

bool SmtpServer::start()
{
    QStringList arguments {QStringLiteral(QUORVANE_SOURCE_DIR "/tests/support/smtp_server.py"),
        QStringLiteral("--out"), m_out.path(), QStringLiteral("--user"), m_options.user,
        QStringLiteral("--password"), m_options.password};
    if (m_options.startTls)
        arguments << QStringLiteral("--starttls") << QStringLiteral("--cert") << caFile()
                  << QStringLiteral("--key") << QStringLiteral(QUORVANE_FIXTURES "/tls/self-signed.key");
    if (m_options.requireAuth)
        arguments << QStringLiteral("--require-auth");
    if (!m_options.offerAuth)
        arguments << QStringLiteral("--no-auth");
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's aiosmtpd belongs to the system's Python, whatever is first on PATH.
    m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    QDeadlineTimer deadline(15000);
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running && !deadline.hasExpired())
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    m_port = quint16(m_process.readLine().trimmed().toUInt());
    return m_port != 0;
}

QList<SmtpServer::Received> SmtpServer::waitForMessages(int n, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QList<Received> messages = received();
    while (messages.size() < n && !deadline.hasExpired()) {
        QTest::qWait(20);
        messages = received();
    }
    return messages;
}

QList<SmtpServer::Received> SmtpServer::received() const
{
    QList<Received> messages;
    // The script writes N.eml, then N.json; a message counts once its envelope is there.
    for (int i = 1; QFile::exists(m_out.filePath(QStringLiteral("%1.json").arg(i))); ++i) {
        const QJsonObject envelope
            = QJsonDocument::fromJson(readAll(m_out.filePath(QStringLiteral("%1.json").arg(i)))).object();
        Received message;
        message.mailFrom = envelope.value(QLatin1String("mail_from")).toString();
        for (const QJsonValue &to : envelope.value(QLatin1String("rcpt_tos")).toArray())
            message.recipients << to.toString();
        message.data = readAll(m_out.filePath(QStringLiteral("%1.eml").arg(i)));
        messages << message;
    }
    return messages;
}
