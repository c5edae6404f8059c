// The e-mail server settings dialog and the send dialog: the required
// boxes and their order, the port box's key filter, the values saved as
// typed, and sends that fail and succeed against a server on loopback.

#include "config/Settings.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "mail/MailComposer.h"
#include "mail/PasswordStore.h"
#include "mail/ui/frmEmailSettings.h"
#include "mail/ui/frmSendEmail.h"
#include "support/MessageRecorder.h"
#include "support/SmtpServer.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"
#include "util/AppInfo.h"
#include "util/Utilities.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QtTest>

using namespace ShellFixture;

namespace
{

template<typename T> T *control(QWidget *window, const QString &name, int index = -1)
{
    for (T *found : window->findChildren<T *>(name)) {
        if (index < 0 || found->property("index").toInt() == index)
            return found;
    }
    return nullptr;
}

QLineEdit *box(QWidget *window, const char *name)
{
    return control<QLineEdit>(window, QString::fromLatin1(name));
}

void click(QWidget *window, const char *name)
{
    control<QPushButton>(window, QString::fromLatin1(name))->click();
}

// The seven values in the order of the form's check, the server last.
struct Fields {
    QString fromEmail, fromName, password, userName, port, server;
};

void type(QWidget *dialog, const Fields &fields, bool auth)
{
    box(dialog, "txtFromEmail")->setText(fields.fromEmail);
    box(dialog, "txtFromName")->setText(fields.fromName);
    box(dialog, "txtPassword")->setText(fields.password);
    box(dialog, "txtUsername")->setText(fields.userName);
    box(dialog, "txtPort")->setText(fields.port);
    box(dialog, "txtSMTP")->setText(fields.server);
    control<QCheckBox>(dialog, QStringLiteral("chkAuth"))->setChecked(auth);
}

const Fields filled {QStringLiteral("me@example.org"), QStringLiteral("Me"), QStringLiteral("secret"),
    QStringLiteral("me"), QStringLiteral("25"), QStringLiteral("smtp.example.org")};

void storeServer(quint16 port)
{
    mSettings::email() = {QStringLiteral("127.0.0.1"), QString::number(port), 0, QString(), QString(),
        QStringLiteral("Sender Name"), QStringLiteral("sender@example.org")};
    QVERIFY(mSettings::SaveEmailSettings(false));
    mSettings::email() = {};
}

// The body of a quoted-printable part.
QByteArray unquote(QByteArray text)
{
    text.replace("=\r\n", "");
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size()) {
            out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Fields)

class TestGuiEmail : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        isolateSettings(m_settings);
        PasswordStore::setKeyringEnabled(false);
    }
    void init()
    {
        m_home = std::make_unique<TempHome>();
        m_home->write(QStringLiteral("email.tpl"),
            "<p>From [[from_name]]:</p><p>[[personal_message]]</p><h1>[[title]]</h1>[[description]]");
        m_messages = std::make_unique<MessageRecorder>();
        mSettings::email() = {};
    }
    void cleanup()
    {
        m_messages.reset();
        m_home.reset();
    }

    void settingsFillFromTheStore_data();
    void settingsFillFromTheStore();
    void authenticationEnablesTheCredentials();
    void emptyFieldIsRefused_data();
    void emptyFieldIsRefused();
    void savesTheValuesAsTyped_data();
    void savesTheValuesAsTyped();
    void cancelSavesNothing();
    void portTakesOnlyDigits();

    void sendDialogStartsWithItsTexts();
    void refusedSendReportsTheFailure();
    void offlineSendStops();
    void sendReachesTheServer_data();
    void sendReachesTheServer();

private:
    QTemporaryDir m_settings;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
};

void TestGuiEmail::settingsFillFromTheStore_data()
{
    QTest::addColumn<int>("auth");
    QTest::newRow("authentication off") << 0;
    QTest::newRow("authentication on") << 1;
}

void TestGuiEmail::settingsFillFromTheStore()
{
    QFETCH(int, auth);
    mSettings::email()
        = {QStringLiteral("mail.example.org"), QStringLiteral("587"), qint16(auth), QStringLiteral("user"),
            QStringLiteral("pass word"), QStringLiteral("Ann"), QStringLiteral("ann@example.org")};
    QVERIFY(mSettings::SaveEmailSettings(false));
    mSettings::email() = {};

    frmEmailSettings dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("frmEmailSettings"));
    QCOMPARE(dialog.windowTitle(), getMessages(QStringLiteral("CAPTION_FRMEMAILSETTINGS")));
    QCOMPARE(box(&dialog, "txtSMTP")->text(), QStringLiteral("mail.example.org"));
    QCOMPARE(box(&dialog, "txtPort")->text(), QStringLiteral("587"));
    QCOMPARE(box(&dialog, "txtUsername")->text(), QStringLiteral("user"));
    QCOMPARE(box(&dialog, "txtPassword")->text(), QStringLiteral("pass word"));
    QCOMPARE(box(&dialog, "txtPassword")->echoMode(), QLineEdit::Password);
    QCOMPARE(box(&dialog, "txtFromName")->text(), QStringLiteral("Ann"));
    QCOMPARE(box(&dialog, "txtFromEmail")->text(), QStringLiteral("ann@example.org"));
    QCOMPARE(control<QCheckBox>(&dialog, QStringLiteral("chkAuth"))->isChecked(), auth == 1);
    QCOMPARE(box(&dialog, "txtUsername")->isEnabled(), auth == 1);
    QCOMPARE(box(&dialog, "txtPassword")->isEnabled(), auth == 1);
    QVERIFY(control<QPushButton>(&dialog, QStringLiteral("btnOK"))->isEnabled());
}

void TestGuiEmail::authenticationEnablesTheCredentials()
{
    frmEmailSettings dialog;
    auto *auth = control<QCheckBox>(&dialog, QStringLiteral("chkAuth"));
    QVERIFY(!auth->isChecked());
    for (const bool on : {true, false}) {
        auth->setChecked(on);
        QCOMPARE(box(&dialog, "txtUsername")->isEnabled(), on);
        QCOMPARE(box(&dialog, "txtPassword")->isEnabled(), on);
        QCOMPARE(control<QLabel>(&dialog, QStringLiteral("lblInfo"), 2)->isEnabled(), on); // "Password:"
        QCOMPARE(control<QLabel>(&dialog, QStringLiteral("lblInfo"), 3)->isEnabled(), on); // "User Name:"
        QVERIFY(box(&dialog, "txtSMTP")->isEnabled());
        QVERIFY(control<QLabel>(&dialog, QStringLiteral("lblInfo"), 5)->isEnabled());
    }
}

void TestGuiEmail::emptyFieldIsRefused_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<bool>("auth");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("key");
    Fields noPassword = filled;
    noPassword.password.clear();
    Fields noCredentials = noPassword;
    noCredentials.userName = QStringLiteral(" ");
    Fields blankServer = filled;
    blankServer.server = QStringLiteral("   ");
    Fields noPort = filled;
    noPort.port.clear();
    Fields noName = filled;
    noName.fromName.clear();
    QTest::newRow("all empty: From-Email first") << Fields {} << false << "txtFromEmail"
                                                 << "MSG_EMAILSET_FROMEMAIL";
    QTest::newRow("no from name") << noName << false << "txtFromName"
                                  << "MSG_EMAILSET_FROMNAME";
    QTest::newRow("authentication, no password") << noPassword << true << "txtPassword"
                                                 << "MSG_EMAILSET_PASSWORD";
    QTest::newRow("authentication, no credentials") << noCredentials << true << "txtPassword"
                                                    << "MSG_EMAILSET_PASSWORD";
    QTest::newRow("no port") << noPort << false << "txtPort"
                             << "MSG_EMAILSET_PORT";
    QTest::newRow("blanks-only server") << blankServer << true << "txtSMTP"
                                        << "MSG_EMAILSET_SMTP";
}

void TestGuiEmail::emptyFieldIsRefused()
{
    QFETCH(Fields, fields);
    QFETCH(bool, auth);
    QFETCH(QString, focus);
    QFETCH(QString, key);
    frmEmailSettings dialog;
    dialog.show();
    type(&dialog, fields, auth);
    click(&dialog, "btnOK");

    QVERIFY(dialog.isVisible());
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Exclamation);
    QCOMPARE(m_messages->last().title, QStringLiteral("Required Field is Empty!"));
    QCOMPARE(m_messages->last().text, getMessages(key));
    QCOMPARE(dialog.focusWidget(), box(&dialog, qPrintable(focus)));
    QVERIFY(!QFileInfo::exists(m_home->file(QStringLiteral("AppCfg.cfg"))));
}

void TestGuiEmail::savesTheValuesAsTyped_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<bool>("auth");
    Fields spaced {QStringLiteral(" me@example.org "), QStringLiteral("Zoë  Doe "), QStringLiteral(" p=w;1 "),
        QStringLiteral("me"), QStringLiteral("0025"), QStringLiteral(" smtp.example.org")};
    Fields noCredentials = filled;
    noCredentials.userName.clear();
    noCredentials.password.clear();
    QTest::newRow("authentication, blanks kept") << spaced << true;
    QTest::newRow("no authentication, no credentials") << noCredentials << false;
}

void TestGuiEmail::savesTheValuesAsTyped()
{
    QFETCH(Fields, fields);
    QFETCH(bool, auth);
    frmEmailSettings dialog;
    dialog.show();
    type(&dialog, fields, auth);
    click(&dialog, "btnOK");

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Information);
    QCOMPARE(m_messages->last().title, getMessages(QStringLiteral("MSG_DONE")));
    QCOMPARE(m_messages->last().text, getMessages(QStringLiteral("MSG_EMAILSAVED")));

    // Scrambled in the file, the values as typed once read back.
    const QString file = QString::fromUtf8(m_home->read(QStringLiteral("AppCfg.cfg")));
    QVERIFY(file.contains(QStringLiteral("sv=") + mUtil::ScrambleText(fields.server, true)));
    QVERIFY(!file.contains(QStringLiteral("example.org")));
    mSettings::email() = {};
    mSettings::LoadEmailSettings();
    const mSettings::EmailSettings &stored = mSettings::email();
    QCOMPARE(stored.Server, fields.server);
    QCOMPARE(stored.Port, fields.port);
    QCOMPARE(stored.Authentication, qint16(auth ? 1 : 0));
    QCOMPARE(stored.UserName, fields.userName);
    QCOMPARE(stored.Password, fields.password);
    QCOMPARE(stored.FromName, fields.fromName);
    QCOMPARE(stored.FromEmail, fields.fromEmail);
}

void TestGuiEmail::cancelSavesNothing()
{
    frmEmailSettings dialog;
    dialog.show();
    type(&dialog, filled, true);
    click(&dialog, "btnCancel");
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(m_messages->count(), 0);
    QVERIFY(!QFileInfo::exists(m_home->file(QStringLiteral("AppCfg.cfg"))));
}

// Characters other than digits are dropped; keys that type nothing still
// edit the box.
void TestGuiEmail::portTakesOnlyDigits()
{
    frmEmailSettings dialog;
    dialog.show();
    QLineEdit *port = box(&dialog, "txtPort");
    QTest::keyClicks(port, QStringLiteral("2a5 B-!8"));
    QCOMPARE(port->text(), QStringLiteral("258"));
    QTest::keyClick(port, Qt::Key_Backspace);
    QCOMPARE(port->text(), QStringLiteral("25"));
    QTest::keyClick(port, Qt::Key_Home);
    QTest::keyClick(port, Qt::Key_Delete);
    QTest::keyClick(port, Qt::Key_Right);
    QTest::keyClicks(port, QStringLiteral("x4"));
    QCOMPARE(port->text(), QStringLiteral("54"));
}

void TestGuiEmail::sendDialogStartsWithItsTexts()
{
    frmSendEmail dialog;
    dialog.ChannelName = QStringLiteral("Daily Planet");
    dialog.show();
    QCOMPARE(dialog.objectName(), QStringLiteral("frmSendEmail"));
    QCOMPARE(dialog.windowTitle(), getMessages(QStringLiteral("CAPTION_FRMSENDEMAIL")));
    QCOMPARE(
        box(&dialog, "txtSubject")->text(), MailComposer::defaultSubject(QStringLiteral("Daily Planet")));
    QCOMPARE(box(&dialog, "txtTo")->text(), QString());
    QCOMPARE(control<QPlainTextEdit>(&dialog, QStringLiteral("txtMessage"))->toPlainText(),
        MailComposer::defaultMessage().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QVERIFY(control<QRadioButton>(&dialog, QStringLiteral("optSend"), 0)->isChecked());
    QVERIFY(!control<QRadioButton>(&dialog, QStringLiteral("optSend"), 1)->isChecked());
    QCOMPARE(control<QLabel>(&dialog, QStringLiteral("ucStatus"))->text(), QStringLiteral("Idle."));
    QCOMPARE(control<QLabel>(&dialog, QStringLiteral("lblInfo"), 1)->text(),
        QStringLiteral("Seperate Multiple Recipients by semi-colon (;) character"));
    // The status is the program's own; the labels are translatable.
    QStringList keys;
    for (const auto &item : WindowTexts::collect(&dialog))
        keys << item.first.toUpper();
    QVERIFY(keys.contains(QStringLiteral("FRMSENDEMAIL_LBLINFO4")));
    QVERIFY(keys.contains(QStringLiteral("FRMSENDEMAIL_OPTSEND1")));
    QVERIFY(!keys.contains(QStringLiteral("FRMSENDEMAIL_UCSTATUS")));
}

void TestGuiEmail::refusedSendReportsTheFailure()
{
    quint16 closed = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closed = probe.serverPort();
    }
    storeServer(closed);
    frmSendEmail dialog;
    dialog.show();
    box(&dialog, "txtTo")->setText(QStringLiteral("friend@example.org"));
    click(&dialog, "btnOK");

    QVERIFY(dialog.sending());
    QVERIFY(!control<QPushButton>(&dialog, QStringLiteral("btnOK"))->isEnabled());
    QVERIFY(!control<QPushButton>(&dialog, QStringLiteral("btnCancel"))->isEnabled());
    dialog.reject(); // Escape while sending
    QVERIFY(dialog.isVisible());

    QTRY_VERIFY_WITH_TIMEOUT(!dialog.sending(), 30000);
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Information);
    QCOMPARE(m_messages->last().title, AppInfo::title());
    const QString prefix = getMessages(QStringLiteral("MSG_SENDEMAIL_FAILED")) + QStringLiteral("\r\n\r\n");
    QVERIFY(m_messages->last().text.startsWith(prefix));
    QVERIFY(m_messages->last().text.size() > prefix.size());
    QCOMPARE(control<QLabel>(&dialog, QStringLiteral("ucStatus"))->text(),
        getMessages(QStringLiteral("MSG_SENDEMAIL_ERROR")));
    QVERIFY(control<QPushButton>(&dialog, QStringLiteral("btnOK"))->isEnabled());
    QVERIFY(control<QPushButton>(&dialog, QStringLiteral("btnCancel"))->isEnabled());
    QVERIFY(dialog.isVisible());
    QCOMPARE(box(&dialog, "txtTo")->text(), QStringLiteral("friend@example.org"));
}

void TestGuiEmail::offlineSendStops()
{
    storeServer(25);
    mUtil::setConnectionProbe([] { return false; });
    frmSendEmail dialog;
    dialog.show();
    box(&dialog, "txtTo")->setText(QStringLiteral("friend@example.org"));
    click(&dialog, "btnOK");
    mUtil::setConnectionProbe({});
    QVERIFY(!dialog.sending());
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Exclamation);
    QCOMPARE(m_messages->last().title, getMessages(QStringLiteral("MSG_OFFLINE_TITLE")));
    QCOMPARE(m_messages->last().text, getMessages(QStringLiteral("MSG_SENDEMAIL_OFFLINE")));
    QVERIFY(control<QPushButton>(&dialog, QStringLiteral("btnOK"))->isEnabled());
}

void TestGuiEmail::sendReachesTheServer_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("absent");
    QTest::newRow("complete description")
        << 0 << QByteArray("<b>Item body</b>") << QByteArray("View Online:");
    QTest::newRow("just the link") << 1
                                   << QByteArray("View Online: <a href='http://example.org/item'>"
                                                 "http://example.org/item</a>")
                                   << QByteArray("Item body");
}

void TestGuiEmail::sendReachesTheServer()
{
    QFETCH(int, option);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, absent);
    SmtpServer server;
    QVERIFY(server.start());
    storeServer(server.port());

    frmSendEmail dialog;
    dialog.ChannelName = QStringLiteral("Daily Planet");
    dialog.FeedTitle = QStringLiteral("Item title");
    dialog.ItemDescription = QStringLiteral("<b>Item body</b>");
    dialog.ItemLink = QStringLiteral("http://example.org/item");
    dialog.show();
    QLineEdit *to = box(&dialog, "txtTo");
    to->setText(QStringLiteral("one@example.org;two@example.org"));
    control<QPlainTextEdit>(&dialog, QStringLiteral("txtMessage"))
        ->setPlainText(QStringLiteral("Hi there\nSecond line"));
    control<QRadioButton>(&dialog, QStringLiteral("optSend"), option)->click();
    click(&dialog, "btnOK");
    QVERIFY(dialog.sending());

    QTRY_VERIFY_WITH_TIMEOUT(!dialog.sending(), 30000);
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Information);
    QCOMPARE(m_messages->last().title, getMessages(QStringLiteral("MSG_DONE")));
    QCOMPARE(m_messages->last().text, getMessages(QStringLiteral("MSG_SENDEMAIL_SENT")));
    QCOMPARE(control<QLabel>(&dialog, QStringLiteral("ucStatus"))->text(),
        getMessages(QStringLiteral("MSG_SENDEMAIL_IDLE")));
    QCOMPARE(to->selectedText(), to->text());
    QCOMPARE(dialog.focusWidget(), to);
    QVERIFY(control<QPushButton>(&dialog, QStringLiteral("btnOK"))->isEnabled());

    const QList<SmtpServer::Received> received = server.waitForMessages(1);
    QCOMPARE(received.size(), 1);
    QCOMPARE(received[0].recipients, (QStringList {"one@example.org", "two@example.org"}));
    const QByteArray body = unquote(received[0].data);
    QVERIFY(body.contains("<p>Hi there\r\n<br>\r\nSecond line</p>"));
    QVERIFY(body.contains("<h1>Item title</h1>"));
    QVERIFY2(body.contains(content), body.constData());
    QVERIFY(!body.contains(absent));
}

QTEST_MAIN(TestGuiEmail)
#include "tst_gui_email.moc"
