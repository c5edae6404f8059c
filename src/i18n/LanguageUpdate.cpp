#include "i18n/LanguageUpdate.h"

#include "config/UserSettings.h"
#include "i18n/Languages.h"
#include "i18n/LocalizationFile.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/AtomicSave.h"
#include "util/HttpRequest.h"
#include "util/MessageKeys.h"

#include <QSettings>

LanguageUpdate::LanguageUpdate(QObject *parent) : QObject(parent), m_download(new FeedDownload(this))
{
    m_download->setTimeout(10000);
    m_download->setKeepsDebugCopy(false);
    connect(m_download, &FeedDownload::finished, this, &LanguageUpdate::onDone);
}

bool LanguageUpdate::running() const
{
    return m_download->StillExecuting;
}

void LanguageUpdate::setTimeout(int ms)
{
    m_download->setTimeout(ms);
}

LanguageUpdate::~LanguageUpdate() = default;

QString LanguageUpdate::serviceAddress()
{
    return UserSettings::value(
        SettingsKeys::LanguageService, AppInfo::webAddress() + QStringLiteral("/languages/Localization.txt"))
        .toString();
}

void LanguageUpdate::start(const QString &url)
{
    if (running())
        return;
    m_download->FeedURL = url;
    m_download->start();
}

void LanguageUpdate::onDone(FeedDownload::Outcome outcome)
{
    if (outcome == FeedDownload::Outcome::Abandoned)
        return;
    if (outcome == FeedDownload::Outcome::TimedOut) {
        end(getMessages(Msg::UPDATETIMEOUT));
        return;
    }
    const HttpRequest &request = *m_download->response();
    if (request.failure() != HttpRequest::Failure::None) {
        end(getMessages(Msg::UPDATEFAILED) + QLatin1Char(' ') + request.errorString());
        return;
    }
    if (request.status() >= 400) {
        end(getMessages(Msg::UPDATEFAILED)
            + QStringLiteral(" HTTP %1 %2").arg(request.status()).arg(request.reasonPhrase()));
        return;
    }
    const QByteArray file = LocalizationFile::fromDownload(request.responseBytes());
    if (file.isEmpty()) {
        end(getMessages(Msg::UPDATENOTLANGUAGE));
        return;
    }
    QString error;
    if (!mUtil::saveFileAtomically(AppFolder::file(LocalizationFile::fileName()), file, &error)) {
        end(getMessages(Msg::UPDATENOTSAVED) + QLatin1Char(' ') + error);
        return;
    }
    end(QString());
}

void LanguageUpdate::end(const QString &problem)
{
    m_download->release();
    emit finished(problem);
}
