// Languages in the desktop program: a language applied to the main window
// and the dialogs by key, the language dialog, the first start, and the
// localization file written from the windows.

#include "i18n/DefaultTexts.h"
#include "i18n/LanguageUpdate.h"
#include "i18n/Languages.h"
#include "i18n/LocalizationFile.h"
#include "i18n/ui/WindowTexts.h"
#include "i18n/ui/frmLanguage.h"
#include "shell/frmConfirmClose.h"
#include "shell/frmMain.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"
#include "util/AppInfo.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace ShellFixture;

namespace
{

QByteArray item(const QString &key, const QString &text)
{
    return "\t\t<" + key.toUtf8() + ">" + text.toUtf8() + "</" + key.toUtf8() + ">\r\n";
}

// English with every message, so that going back to it restores them all,
// and a German of the texts the tests look at.
QByteArray localizationFile()
{
    QByteArray english;
    for (const auto &[key, text] : DefaultTexts::table())
        english += item(key, text);
    english += item(QStringLiteral("FRMMAIN_MNUFILE0"), QStringLiteral("File"));
    const QByteArray german = item(QStringLiteral("frmMain_mnuFile0"), QStringLiteral("Datei"))
        + item(QStringLiteral("FRMMAIN_CMDWINDOWS"), QStringLiteral("Fenster"))
        + item(QStringLiteral("MSG_STATUSREADY"), QStringLiteral("Status: Bereit."))
        + item(QStringLiteral("MSG_NOFEEDSOPEN"), QStringLiteral("Keine Feeds geöffnet"))
        + item(QStringLiteral("MSG_TITLELANGUAGE"), QStringLiteral("Sprache wählen"))
        + item(QStringLiteral("CAPTION_FRMCONFIRMCLOSE"), QStringLiteral("Beenden bestätigen"))
        + item(QStringLiteral("FRMCONFIRMCLOSE_CHKDONTSHOW"),
            QStringLiteral("Diesen Hinweis nicht mehr zeigen."))
        + item(QStringLiteral("FRMCONFIRMCLOSE_BTNOK1"), QStringLiteral("Weiterlaufen"))
        + item(QStringLiteral("FRMLANGUAGE_COMMAND2"), QStringLiteral("Fertig"));
    const auto group = [](const QByteArray &name, const QByteArray &items) {
        return "<LANGUAGE_GROUP>\r\n\t<LANGUAGE_NAME>" + name
            + "</LANGUAGE_NAME>\r\n\t<TRANSLATION_ITEMS>\r\n" + items
            + "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n";
    };
    return "<XML_DIZ_INFO>\r\n" + group("English", english) + group("German", german) + "</XML_DIZ_INFO>\r\n";
}

QString menuTitle(QWidget *window, const QString &name)
{
    return window->findChild<QMenu *>(name)->title();
}

QStringList keysOf(const QList<QPair<QString, QString>> &items)
{
    QStringList keys;
    for (const auto &pair : items)
        keys << pair.first.toUpper();
    return keys;
}

// Closes the language dialog once it shows as a modal window.
class LanguageDialogCloser : public QObject
{
public:
    LanguageDialogCloser()
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto *dialog = qobject_cast<frmLanguage *>(QApplication::activeModalWidget())) {
                seen = true;
                dialog->accept();
            }
        });
        m_timer.start();
    }
    bool seen = false;

private:
    QTimer m_timer;
};

} // namespace

class TestGuiI18n : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(m_settings); }

    void init()
    {
        clearSession();
        m_home = std::make_unique<TempHome>();
        m_home->write(LocalizationFile::fileName(), localizationFile());
        m_messages = std::make_unique<MessageRecorder>();
        storeLanguage(QStringLiteral("English"));
    }

    void cleanup()
    {
        m_main.reset();
        Languages().applyLanguage(QStringLiteral("English"));
        storeLanguage(QStringLiteral("English"));
        m_messages.reset();
        m_home.reset();
    }

    void germanReachesTheMainWindowAndTheDialogs();
    void windowKeysFollowTheWalk();
    void theLanguageDialogAppliesAChoiceAtOnce();
    void firstStartAsksForTheLanguage();
    void theLocalizationFileHoldsEveryWindow();
    void aFailedUpdateSaysSoAndKeepsTheFile();
    void aGoodUpdateRefillsTheList();

private:
    frmMain *start()
    {
        m_main = std::make_unique<frmMain>();
        m_main->Load();
        return m_main.get();
    }
    QString germanMessage(const char *key) const
    {
        clsLanguages german;
        DefaultTexts::registerAll(german);
        german.applyLanguage(QStringLiteral("German"));
        return german.getMessages(QString::fromLatin1(key));
    }

    QTemporaryDir m_settings;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<frmMain> m_main;
};

void TestGuiI18n::germanReachesTheMainWindowAndTheDialogs()
{
    storeLanguage(QStringLiteral("German"));
    frmMain *main = start();
    QCOMPARE(CurrentLanguage(), QStringLiteral("German"));
    QCOMPARE(menuTitle(main, QStringLiteral("mnuFile")), QStringLiteral("Datei"));
    QCOMPARE(main->findChild<QAction *>(QStringLiteral("cmdWindows"))->text(), QStringLiteral("Fenster"));
    QCOMPARE(main->findChild<QLabel *>(QStringLiteral("ucStatusPanel4"))->text(),
        germanMessage("MSG_STATUSREADY"));
    QCOMPARE(main->findChild<QMenu *>(QStringLiteral("mnuWindows"))->actions().first()->text(),
        germanMessage("MSG_NOFEEDSOPEN"));
    // What the language leaves out keeps its English text.
    QCOMPARE(menuTitle(main, QStringLiteral("mnuHelp")), QStringLiteral("Help"));

    frmConfirmClose dialog(main);
    QCOMPARE(dialog.windowTitle(), germanMessage("CAPTION_FRMCONFIRMCLOSE"));
    QCOMPARE(dialog.findChild<QCheckBox *>(QStringLiteral("chkDontShow"))->text(),
        QStringLiteral("Diesen Hinweis nicht mehr zeigen."));
    for (auto *button : dialog.findChildren<QPushButton *>(QStringLiteral("btnOK"))) {
        if (button->property("index").toInt() == 1)
            QCOMPARE(button->text(), QStringLiteral("Weiterlaufen"));
    }
}

void TestGuiI18n::windowKeysFollowTheWalk()
{
    frmMain main;
    const QStringList keys = keysOf(WindowTexts::collect(&main));
    QVERIFY(keys.contains(QStringLiteral("FRMMAIN_MNUFILE0")));
    QVERIFY(keys.contains(QStringLiteral("FRMMAIN_CMDTOGGLEPANEL")));
    QCOMPARE(keys.last(), QStringLiteral("FRMMAIN_CAPTION"));
    // Qt's own parts, texts the program sets, and the side panel stay out.
    for (const QString &key : keys) {
        QVERIFY2(!key.contains(QLatin1String("_QT_")) && !key.startsWith(QLatin1String("FRMOPTIONBAR")),
            qPrintable(key));
        QVERIFY2(!key.startsWith(QLatin1String("FRMMAIN_UCSTATUSPANEL")), qPrintable(key));
        QVERIFY2(key != QLatin1String("FRMMAIN_MNUSUBITEM0"), qPrintable(key));
    }
    // A control array keeps one key per member.
    frmConfirmClose dialog;
    const QStringList dialogKeys = keysOf(WindowTexts::collect(&dialog));
    for (const char *key : {"FRMCONFIRMCLOSE_BTNOK0", "FRMCONFIRMCLOSE_BTNOK1", "FRMCONFIRMCLOSE_LBLINFO0",
             "FRMCONFIRMCLOSE_LBLINFO3", "FRMCONFIRMCLOSE_CHKDONTSHOW"})
        QVERIFY2(dialogKeys.contains(QLatin1String(key)), key);
}

void TestGuiI18n::theLanguageDialogAppliesAChoiceAtOnce()
{
    frmMain *main = start();
    frmLanguage dialog(main);
    auto *list = dialog.findChild<QComboBox *>(QStringLiteral("Combo1"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(1), QStringLiteral("German"));
    QCOMPARE(list->currentText(), QStringLiteral("English"));
    QCOMPARE(dialog.windowTitle(), getMessages(QStringLiteral("MSG_TITLELANGUAGE")));
    QSignalSpy changed(&dialog, &frmLanguage::languageChanged);

    // The entry "Choose Language Here" is no language.
    dialog.chooseLanguage(-1);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(storedLanguage(), QStringLiteral("English"));
    QCOMPARE(menuTitle(main, QStringLiteral("mnuFile")), QStringLiteral("File"));

    dialog.chooseLanguage(1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(storedLanguage(), QStringLiteral("German"));
    QCOMPARE(menuTitle(main, QStringLiteral("mnuFile")), QStringLiteral("Datei"));
    QCOMPARE(main->findChild<QLabel *>(QStringLiteral("ucStatusPanel4"))->text(),
        germanMessage("MSG_STATUSREADY"));
    QCOMPARE(dialog.windowTitle(), germanMessage("MSG_TITLELANGUAGE"));
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("Command2"))->text(), QStringLiteral("Fertig"));

    // And back: every message has its English text again.
    dialog.chooseLanguage(0);
    QCOMPARE(menuTitle(main, QStringLiteral("mnuFile")), QStringLiteral("File"));
    QCOMPARE(getMessages(QStringLiteral("MSG_STATUSREADY")),
        DefaultTexts::english(QStringLiteral("MSG_STATUSREADY")));
}

void TestGuiI18n::firstStartAsksForTheLanguage()
{
    QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"))
        .remove(QStringLiteral("Settings/Language"));
    LanguageDialogCloser closer;
    start();
    QVERIFY(closer.seen);
    QCOMPARE(storedLanguage(QString()), QStringLiteral("English"));

    // Not on the next start.
    m_main.reset();
    LanguageDialogCloser second;
    start();
    QVERIFY(!second.seen);
}

void TestGuiI18n::theLocalizationFileHoldsEveryWindow()
{
    frmMain main;
    QVERIFY(main.makeLocalizationFile());
    const QString text = QString::fromUtf8(m_home->read(LocalizationFile::fileName()));
    QVERIFY(text.startsWith(QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n")));
    for (const char *key :
        {"\t\t<FRMMAIN_MNUFILE0>File</FRMMAIN_MNUFILE0>\r\n", "<FRMCONFIRMCLOSE_CHKDONTSHOW>",
            "<FRMLANGUAGE_COMMAND1>", "<FRMLANGUAGE_CAPTION>", "<MSG_TRAY>", "<MSG_DOWNLOADED>"})
        QVERIFY2(text.contains(QLatin1String(key)), key);
    const QList<LocalizationFile::Group> groups = LocalizationFile::groups(text);
    QCOMPARE(groups.size(), 1);
    QCOMPARE(groups.first().name, QStringLiteral("English"));
}

void TestGuiI18n::aFailedUpdateSaysSoAndKeepsTheFile()
{
    LoopbackServer server;
    LoopbackServer::Route missing;
    missing.status = 404;
    missing.body = "<TRANSLATION_ITEMS>";
    server.route(QStringLiteral("/Localization.txt"), missing);
    QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"))
        .setValue(
            QStringLiteral("Settings/LanguageService"), server.url(QStringLiteral("/Localization.txt")));
    const QByteArray before = m_home->read(LocalizationFile::fileName());
    frmLanguage dialog(nullptr);
    QSignalSpy finished(dialog.update(), &LanguageUpdate::finished);
    dialog.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QVERIFY(finished.wait(10000));
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, AppInfo::title());
    QVERIFY(m_messages->last().text.startsWith(getMessages(QStringLiteral("MSG_UPDATEFAILED"))));
    QCOMPARE(m_home->read(LocalizationFile::fileName()), before);
    QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("Command1"))->isEnabled());
    QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"))
        .remove(QStringLiteral("Settings/LanguageService"));
}

void TestGuiI18n::aGoodUpdateRefillsTheList()
{
    LoopbackServer server;
    const QByteArray file = localizationFile().replace("German", "Deutsch");
    server.serve(QStringLiteral("/Localization.txt"), file, "text/plain");
    QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"))
        .setValue(
            QStringLiteral("Settings/LanguageService"), server.url(QStringLiteral("/Localization.txt")));
    frmLanguage dialog(nullptr);
    QSignalSpy finished(dialog.update(), &LanguageUpdate::finished);
    dialog.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QVERIFY(finished.wait(10000));
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().text, getMessages(QStringLiteral("MSG_DOWNLOADED")));
    QCOMPARE(dialog.findChild<QComboBox *>(QStringLiteral("Combo1"))->itemText(1), QStringLiteral("Deutsch"));
    QCOMPARE(m_home->read(LocalizationFile::fileName()), file + "\r\n");
    QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"))
        .remove(QStringLiteral("Settings/LanguageService"));
}

QTEST_MAIN(TestGuiI18n)
#include "tst_gui_i18n.moc"
