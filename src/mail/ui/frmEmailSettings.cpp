#include "mail/ui/frmEmailSettings.h"

#include "config/Settings.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "mail/PasswordStore.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include "util/MessageKeys.h"
#include "util/ui/DialogParts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

// lblInfo elements, in the order of their boxes' check.
enum Info { FromEmail, FromName, Password, UserName, Port, Server };

QLineEdit *textBox(const QString &name, QWidget *parent)
{
    auto *made = new QLineEdit(parent);
    made->setObjectName(name);
    return made;
}

// A key that types a character other than a digit. Keys that type nothing
// (arrows, Delete, Home, End, Tab, Enter, shortcuts) keep their work.
bool typesNonDigit(const QKeyEvent *key)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    for (const QChar c : key->text()) {
        if (c.isPrint() && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return true;
    }
    return false;
}

} // namespace

frmEmailSettings::frmEmailSettings(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEmailSettings"));
    setWindowTitle(QStringLiteral("Email Server Settings ... "));
    setModal(true);

    const QStringList captions {QStringLiteral("From-Email:"), QStringLiteral("From-Name:"),
        QStringLiteral("Password:"), QStringLiteral("User Name:"), QStringLiteral("Port:"),
        QStringLiteral("SMTP Server:")};
    for (int index = 0; index < captions.size(); ++index) {
        auto *label = new QLabel(captions[index], this);
        label->setObjectName(QStringLiteral("lblInfo"));
        label->setProperty("index", index);
        m_labels.append(label);
    }
    m_server = textBox(QStringLiteral("txtSMTP"), this);
    m_port = textBox(QStringLiteral("txtPort"), this);
    m_port->setInputMethodHints(Qt::ImhDigitsOnly);
    m_port->installEventFilter(this);
    m_auth = new QCheckBox(QStringLiteral("My Server Requires Authentication."), this);
    m_auth->setObjectName(QStringLiteral("chkAuth"));
    m_userName = textBox(QStringLiteral("txtUsername"), this);
    m_password = textBox(QStringLiteral("txtPassword"), this);
    m_password->setEchoMode(QLineEdit::Password);
    m_fromName = textBox(QStringLiteral("txtFromName"), this);
    m_fromEmail = textBox(QStringLiteral("txtFromEmail"), this);

    auto *grid = new QGridLayout;
    const QList<QPair<int, QLineEdit *>> rows {{Server, m_server}, {Port, m_port}, {-1, nullptr},
        {UserName, m_userName}, {Password, m_password}, {FromName, m_fromName}, {FromEmail, m_fromEmail}};
    for (int row = 0; row < rows.size(); ++row) {
        if (!rows[row].second) {
            grid->addWidget(m_auth, row, 1);
            continue;
        }
        m_labels[rows[row].first]->setBuddy(rows[row].second);
        grid->addWidget(m_labels[rows[row].first], row, 0);
        grid->addWidget(rows[row].second, row, 1);
    }

    m_ok = DialogParts::namedButton(QStringLiteral("btnOK"), QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    auto *cancel = DialogParts::namedButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(DialogParts::buttonRow({m_ok, cancel}));
    setMinimumWidth(420);

    connect(m_auth, &QCheckBox::toggled, this, &frmEmailSettings::enableAuthentication);
    connect(m_ok, &QPushButton::clicked, this, &frmEmailSettings::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    ChangeLanguage(this, CurrentLanguage());
    setWindowTitle(getMessages(Msg::CAPTION_FRMEMAILSETTINGS));
    enableAuthentication();
    // Until the stored values are in, OK would save blanks over them.
    m_ok->setEnabled(false);
    PasswordStore::loadEmailSettings(this, [this] { fill(); });
}

void frmEmailSettings::fill()
{
    const mSettings::EmailSettings &email = mSettings::email();
    m_server->setText(email.Server);
    m_port->setText(email.Port);
    m_auth->setChecked(email.Authentication != 0);
    m_userName->setText(email.UserName);
    m_password->setText(email.Password);
    m_fromName->setText(email.FromName);
    m_fromEmail->setText(email.FromEmail);
    enableAuthentication();
    m_ok->setEnabled(true);
}

void frmEmailSettings::enableAuthentication()
{
    const bool on = m_auth->isChecked();
    const QList<QWidget *> parts {m_labels[Password], m_labels[UserName], m_userName, m_password};
    for (QWidget *part : parts)
        part->setEnabled(on);
}

bool frmEmailSettings::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_port && event->type() == QEvent::KeyPress
        && typesNonDigit(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

QPair<QLineEdit *, QString> frmEmailSettings::firstEmptyField() const
{
    const QList<QPair<QLineEdit *, QString>> required {{m_fromEmail, Msg::EMAILSET_FROMEMAIL},
        {m_fromName, Msg::EMAILSET_FROMNAME}, {m_password, Msg::EMAILSET_PASSWORD},
        {m_userName, Msg::EMAILSET_USERNAME}, {m_port, Msg::EMAILSET_PORT}, {m_server, Msg::EMAILSET_SMTP}};
    const bool auth = m_auth->isChecked();
    for (const auto &field : required) {
        const bool credential = field.first == m_password || field.first == m_userName;
        if (mUtil::IsBlank(field.first->text()) && (!credential || auth))
            return field;
    }
    return {};
}

void frmEmailSettings::save()
{
    const auto [empty, explanation] = firstEmptyField();
    if (empty) {
        Messages::exclamation(getMessages(Msg::EMAILSET_EMPTY_TITLE), getMessages(explanation));
        empty->setFocus();
        return;
    }
    mSettings::EmailSettings &email = mSettings::email();
    email.Server = m_server->text();
    email.Port = m_port->text();
    email.Authentication = m_auth->isChecked() ? 1 : 0;
    email.UserName = m_userName->text();
    email.Password = m_password->text();
    email.FromName = m_fromName->text();
    email.FromEmail = m_fromEmail->text();
    // A save that failed has been reported; the dialog stays for another try.
    PasswordStore::saveEmailSettings(true, this, [this](bool saved) {
        if (saved)
            accept();
    });
}
