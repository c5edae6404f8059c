#include "mail/ui/frmSendEmail.h"

#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "mail/ItemMailer.h"
#include "mail/MailComposer.h"
#include "mail/ui/frmEmailSettings.h"
#include "util/AppInfo.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include "util/MessageKeys.h"
#include "util/ui/DialogParts.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace
{

QLabel *info(int index, const QString &text, QWidget *parent)
{
    auto *made = new QLabel(text, parent);
    made->setObjectName(QStringLiteral("lblInfo"));
    made->setProperty("index", index);
    return made;
}

QLineEdit *textBox(const QString &name, QWidget *parent)
{
    auto *made = new QLineEdit(parent);
    made->setObjectName(name);
    return made;
}

} // namespace

frmSendEmail::frmSendEmail(QWidget *parent) : QDialog(parent), m_mailer(new ItemMailer(this))
{
    setObjectName(QStringLiteral("frmSendEmail"));
    setWindowTitle(QStringLiteral("Send Email"));
    setModal(true);

    auto *to = info(0, QStringLiteral("To:"), this);
    m_to = textBox(QStringLiteral("txtTo"), this);
    to->setBuddy(m_to);
    auto *separator
        = info(1, QStringLiteral("Seperate Multiple Recipients by semi-colon (;) character"), this);
    auto *subject = info(2, QStringLiteral("Subject:"), this);
    m_subject = textBox(QStringLiteral("txtSubject"), this);
    subject->setBuddy(m_subject);
    auto *personal = info(3, QStringLiteral("Personal Message:"), this);
    auto *optional = info(4, QStringLiteral("(Optional)"), this);
    m_message = new QPlainTextEdit(this);
    m_message->setObjectName(QStringLiteral("txtMessage"));
    m_message->setPlainText(
        QString(MailComposer::defaultMessage()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    personal->setBuddy(m_message);

    auto *choice = new QButtonGroup(this);
    const QStringList captions {
        QStringLiteral("Send Complete Item Description."), QStringLiteral("Just Send Item Link.")};
    for (int index = 0; index < captions.size(); ++index) {
        auto *option = new QRadioButton(captions[index], this);
        option->setObjectName(QStringLiteral("optSend"));
        option->setProperty("index", index);
        choice->addButton(option, index);
        m_options.append(option);
    }
    m_options[0]->setChecked(true);

    m_ok = DialogParts::namedButton(QStringLiteral("btnOK"), QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = DialogParts::namedButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), this);

    auto *bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    m_status = new QLabel(QStringLiteral("Idle."), bar);
    m_status->setObjectName(QStringLiteral("ucStatus"));
    m_status->setProperty("translated", false);
    bar->addWidget(m_status, 1);

    auto *grid = new QGridLayout;
    grid->addWidget(to, 0, 0);
    grid->addWidget(m_to, 0, 1);
    grid->addWidget(separator, 1, 1);
    grid->addWidget(subject, 2, 0);
    grid->addWidget(m_subject, 2, 1);
    grid->addWidget(personal, 3, 0);
    grid->addWidget(optional, 4, 0, Qt::AlignTop);
    grid->addWidget(m_message, 3, 1, 2, 1);
    grid->addWidget(m_options[0], 5, 1);
    grid->addWidget(m_options[1], 6, 1);
    grid->setRowStretch(4, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(DialogParts::buttonRow({m_ok, m_cancel}));
    layout->addWidget(bar);
    resize(520, 420);

    connect(m_ok, &QPushButton::clicked, this, &frmSendEmail::send);
    connect(m_cancel, &QPushButton::clicked, this, &frmSendEmail::reject);
    connect(m_mailer, &ItemMailer::progress, this,
        [this](int percent) { setStatus(getMessages(Msg::SENDEMAIL_SENDING).arg(percent)); });
    connect(m_mailer, &ItemMailer::status, this, &frmSendEmail::setStatus);
    connect(m_mailer, &ItemMailer::succeeded, this, &frmSendEmail::sent);
    connect(m_mailer, &ItemMailer::failed, this, &frmSendEmail::failed);

    ChangeLanguage(this, CurrentLanguage());
    setWindowTitle(getMessages(Msg::CAPTION_FRMSENDEMAIL));
    setStatus(getMessages(Msg::SENDEMAIL_IDLE));
}

// The subject is made from the properties the opener set after construction.
void frmSendEmail::showEvent(QShowEvent *event)
{
    if (!m_loaded) {
        m_loaded = true;
        m_subject->setText(MailComposer::defaultSubject(ChannelName));
    }
    QDialog::showEvent(event);
}

void frmSendEmail::reject()
{
    if (!m_sending)
        QDialog::reject();
}

void frmSendEmail::closeEvent(QCloseEvent *event)
{
    if (m_sending)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void frmSendEmail::send()
{
    if (!mUtil::IsConnected()) {
        Messages::exclamation(getMessages(Msg::OFFLINE_TITLE), getMessages(Msg::SENDEMAIL_OFFLINE));
        return;
    }
    setButtonsEnabled(false);
    SendItemEmail();
}

// The mailer reads the settings and the template afresh; its events finish
// the send.
void frmSendEmail::SendItemEmail()
{
    ItemMailer::Request request;
    request.to = m_to->text();
    request.subject = m_subject->text();
    request.personalMessage = m_message->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    request.completeDescription = m_options[0]->isChecked();
    request.item = {ChannelName, FeedTitle, ItemDescription, ItemLink};
    m_sending = true;
    if (!m_mailer->send(request)) {
        m_sending = false;
        setButtonsEnabled(true);
    }
}

void frmSendEmail::setStatus(const QString &text)
{
    m_status->setText(text);
}

void frmSendEmail::setButtonsEnabled(bool enabled)
{
    m_ok->setEnabled(enabled);
    m_cancel->setEnabled(enabled);
}

void frmSendEmail::sent()
{
    Messages::information(getMessages(Msg::DONE), getMessages(Msg::SENDEMAIL_SENT));
    m_sending = false;
    setStatus(getMessages(Msg::SENDEMAIL_IDLE));
    setButtonsEnabled(true);
    // Ready for the next recipients.
    m_to->selectAll();
    m_to->setFocus();
}

// The failure box has no title of its own: the program's name stands there.
void frmSendEmail::failed(const QString &explanation)
{
    Messages::show(Messages::Icon::Information, AppInfo::title(),
        getMessages(Msg::SENDEMAIL_FAILED) + QStringLiteral("\r\n\r\n") + explanation);
    m_sending = false;
    setStatus(getMessages(Msg::SENDEMAIL_ERROR));
    setButtonsEnabled(true);
}

void frmSendEmail::sendItem(QWidget *parent, const QString &feedCaption, const FeedItem &item)
{
    const ItemMailer::Readiness readiness = ItemMailer::readiness();
    if (readiness == ItemMailer::Readiness::NoServer
        && Messages::askYesNo(
            getMessages(Msg::EMAIL_NOTCONFIGURED_TITLE), getMessages(Msg::EMAIL_NOTCONFIGURED))) {
        frmEmailSettings settings(parent);
        settings.exec();
        return;
    }
    if (readiness != ItemMailer::Readiness::Ready) {
        ItemMailer::refuse(readiness);
        return;
    }
    const MailComposer::ItemMail mail = MailComposer::itemMail(feedCaption, item);
    frmSendEmail dialog(parent);
    dialog.ChannelName = mail.channelName;
    dialog.FeedTitle = mail.feedTitle;
    dialog.ItemDescription = mail.itemDescription;
    dialog.ItemLink = mail.itemLink;
    dialog.exec();
}
