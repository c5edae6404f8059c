#include "i18n/LanguageUpdate.h"

#include "i18n/Languages.h"
#include "i18n/LocalizationFile.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/AtomicSave.h"
#include "util/HttpRequest.h"

#include <QSettings>

LanguageUpdate::LanguageUpdate(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(10000);
    connect(
        &m_timer, &QTimer::timeout, this, [this] { end(getMessages(QStringLiteral("MSG_UPDATETIMEOUT"))); });
}

LanguageUpdate::~LanguageUpdate() = default;

QString LanguageUpdate::serviceAddress()
{
    const QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
    return settings
        .value(QStringLiteral("Settings/LanguageService"),
            AppInfo::webAddress() + QStringLiteral("/languages/Localization.txt"))
        .toString();
}

void LanguageUpdate::start(const QString &url)
{
    if (m_request)
        return;
    m_request = new HttpRequest(this);
    connect(m_request, &HttpRequest::done, this, &LanguageUpdate::onDone);
    // Always the server's current file, never a cached copy.
    m_request->open(QStringLiteral("GET"), url);
    m_request->setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
    m_request->setRequestHeader(QStringLiteral("Pragma"), QStringLiteral("no-cache"));
    m_timer.start();
    m_request->send();
}

void LanguageUpdate::onDone()
{
    const HttpRequest &request = *m_request;
    if (request.failure() != HttpRequest::Failure::None) {
        end(getMessages(QStringLiteral("MSG_UPDATEFAILED")) + QLatin1Char(' ') + request.errorString());
        return;
    }
    if (request.status() >= 400) {
        end(getMessages(QStringLiteral("MSG_UPDATEFAILED"))
            + QStringLiteral(" HTTP %1 %2").arg(request.status()).arg(request.reasonPhrase()));
        return;
    }
    const QByteArray file = LocalizationFile::fromDownload(request.responseBytes());
    if (file.isEmpty()) {
        end(getMessages(QStringLiteral("MSG_UPDATENOTLANGUAGE")));
        return;
    }
    QString error;
    if (!mUtil::SaveFileAtomically(AppFolder::file(LocalizationFile::fileName()), file, &error)) {
        end(getMessages(QStringLiteral("MSG_UPDATENOTSAVED")) + QLatin1Char(' ') + error);
        return;
    }
    end(QString());
}

void LanguageUpdate::end(const QString &problem)
{
    m_timer.stop();
    if (m_request) {
        m_request->disconnect(this);
        m_request->abort();
        m_request->deleteLater();
        m_request = nullptr;
    }
    emit finished(problem);
}
