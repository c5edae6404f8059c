#include "mail/ItemMailer.h"

#include "config/Settings.h"
#include "i18n/Languages.h"
#include "mail/MailMessage.h"
#include "mail/PasswordStore.h"
#include "mail/SmtpSender.h"
#include "util/AppFolder.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"

namespace
{

SmtpOptions optionsOf(const mSettings::EmailSettings &settings, const QString &password)
{
    SmtpOptions options;
    options.host = settings.Server.trimmed();
    bool numeric = false;
    const int port = settings.Port.trimmed().toInt(&numeric);
    options.port = numeric && port > 0 && port < 65536 ? port : 25;
    options.authentication = settings.Authentication != 0;
    if (options.authentication) {
        options.userName = settings.UserName;
        options.password = password;
    }
    return options;
}

} // namespace

ItemMailer::Readiness ItemMailer::readiness()
{
    mSettings::LoadEmailSettings();
    if (mUtil::IsBlank(mSettings::email().Server))
        return Readiness::NoServer;
    if (!mUtil::FileExists(AppFolder::file(QStringLiteral("email.tpl"))))
        return Readiness::NoTemplate;
    return Readiness::Ready;
}

void ItemMailer::refuse(Readiness readiness)
{
    if (readiness == Readiness::Ready)
        return;
    const QString key = readiness == Readiness::NoServer ? Msg::EMAIL_CANNOTSEND : Msg::EMAIL_NOTEMPLATE;
    Messages::exclamation(getMessages(key + QStringLiteral("_TITLE")), getMessages(key));
}

ItemMailer::ItemMailer(QObject *parent) : QObject(parent)
{
}

ItemMailer::~ItemMailer() = default;

bool ItemMailer::send(const Request &request)
{
    if (m_running)
        return false;
    m_running = true;
    // The settings are read fresh for every send.
    PasswordStore::loadEmailSettings(
        this, [this, request] { sendWithPassword(request, mSettings::email().Password); });
    return true;
}

void ItemMailer::sendWithPassword(const Request &request, const QString &password)
{
    const mSettings::EmailSettings &settings = mSettings::email();
    MailMessage message;
    message.fromName = settings.FromName;
    message.fromAddress = settings.FromEmail;
    message.recipients = MailMessage::splitRecipients(request.to);
    message.subject = request.subject;
    const QString templateText = mUtil::ReadTextFile(AppFolder::file(QStringLiteral("email.tpl")));
    message.html = MailComposer::composeBody(
        templateText, settings.FromName, request.personalMessage, request.item, request.completeDescription);
    SmtpOptions options = optionsOf(settings, password);
    options.caFile = m_caFile;
    m_sender = new SmtpSender(this);
    connect(m_sender, &SmtpSender::progress, this, &ItemMailer::progress);
    connect(m_sender, &SmtpSender::status, this, &ItemMailer::status);
    connect(m_sender, &SmtpSender::succeeded, this, [this] {
        finish();
        emit succeeded();
    });
    connect(m_sender, &SmtpSender::failed, this, [this](const QString &explanation) {
        finish();
        emit failed(explanation);
    });
    m_sender->send(options, message);
}

void ItemMailer::finish()
{
    m_running = false;
    if (m_sender)
        m_sender->deleteLater();
    m_sender = nullptr;
}
