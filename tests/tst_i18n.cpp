// The localization file: reading a language by its markers, the message
// table, writing the file, and fetching a newer one from the language
// service.

#include "i18n/DefaultTexts.h"
#include "i18n/LanguageUpdate.h"
#include "i18n/Languages.h"
#include "i18n/LocalizationFile.h"
#include "support/LoopbackServer.h"
#include "support/TempHome.h"
#include "util/AppInfo.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace
{

// A file of groups, each given as name and its item lines.
QByteArray localization(const QList<QPair<QByteArray, QByteArray>> &groups, const QByteArray &eol = "\r\n")
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + eol + "<XML_DIZ_INFO>" + eol;
    for (const auto &[name, items] : groups) {
        out += "<LANGUAGE_GROUP>" + eol + "\t<LANGUAGE_NAME>" + name + "</LANGUAGE_NAME>" + eol
            + "\t<TRANSLATION_ITEMS>" + items + "\t</TRANSLATION_ITEMS>" + eol + "</LANGUAGE_GROUP>" + eol;
    }
    return out + "</XML_DIZ_INFO>" + eol;
}

const QByteArray English
    = "\r\n\t\t<MSG_DELETE3>Continue?</MSG_DELETE3>\r\n\t\t<FRMMAIN_MNUFILE0>File</FRMMAIN_MNUFILE0>\r\n";
const QByteArray German
    = "\r\n\t\t<MSG_DELETE3>weiter?</MSG_DELETE3>\r\n"
      "\t\t<frmMain_mnuFile0>Datei</frmMain_mnuFile0>\r\n"
      "\t\t<FRMMAIN_CMPARE>a > b</FRMMAIN_CMPARE>\r\n"
      "\t\t<FRMMAIN_ABOUT>Über [ProgramName] von [CompanyName], [Website]</FRMMAIN_ABOUT>\r\n"
      "\t\t<FRMMAIN_OPEN>Offen ohne Ende\r\n";

// A table with the program's default texts, like the one the program uses.
struct WithDefaults : clsLanguages {
    WithDefaults() { DefaultTexts::registerAll(*this); }
};

} // namespace

class TestI18n : public QObject
{
    Q_OBJECT

private slots:
    void captionsAreFoundByKeyInAnyCase_data();
    void captionsAreFoundByKeyInAnyCase();
    void groupsAreMatchedWithoutCaseAndTheFirstWins();
    void aLanguageOfOneLineFallsBackToEnglish();
    void anUnknownLanguageKeepsTheLoadedTexts();
    void messagesAreFilledAndCapitalised();
    void theMessageTableDropsWhatDoesNotFit();
    void everyDefaultTextHasAKeyOfItsOwn();
    void pathsAndFiles();
    void aWrittenFileHasTheExactLayout();
    void aDownloadIsKeptFromItsFirstMarker();
    void aGoodDownloadReplacesTheFile();
    void aBadDownloadLeavesTheFileAlone_data();
    void aBadDownloadLeavesTheFileAlone();
    void theShippedLanguagesAreComplete();
};

void TestI18n::captionsAreFoundByKeyInAnyCase_data()
{
    QTest::addColumn<QByteArray>("eol");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("caption");
    for (const QByteArray &eol : {QByteArray("\r\n"), QByteArray("\n")}) {
        const QByteArray tag = eol == "\n" ? " (LF)" : "";
        QTest::newRow("upper key, mixed file" + tag) << eol << "FRMMAIN_MNUFILE0"
                                                     << "Datei";
        QTest::newRow("lower key" + tag) << eol << "frmmain_mnufile0"
                                         << "Datei";
        QTest::newRow("text with >" + tag) << eol << "FRMMAIN_CMPARE"
                                           << "A > b";
        QTest::newRow("placeholders" + tag)
            << eol << "frmMain_About"
            << QStringLiteral("Über %1 von %2, %3")
                   .arg(AppInfo::productName(), AppInfo::companyName(), AppInfo::webAddress());
        QTest::newRow("no close marker" + tag) << eol << "FRMMAIN_OPEN"
                                               << "";
        QTest::newRow("unknown" + tag) << eol << "FRMMAIN_NONE"
                                       << "";
        QTest::newRow("lower-case text capitalised" + tag) << eol << "MSG_DELETE3"
                                                           << "Weiter?";
    }
}

void TestI18n::captionsAreFoundByKeyInAnyCase()
{
    QFETCH(QByteArray, eol);
    QFETCH(QString, key);
    QFETCH(QString, caption);
    TempHome home;
    QByteArray german = German;
    german.replace("\r\n", eol);
    home.write(LocalizationFile::fileName(), localization({{"English", English}, {"German", german}}, eol));
    clsLanguages languages;
    languages.loadLanguage(QStringLiteral("German"));
    QCOMPARE(languages.getCaption(key), caption);
}

void TestI18n::groupsAreMatchedWithoutCaseAndTheFirstWins()
{
    TempHome home;
    home.write(LocalizationFile::fileName(),
        localization({{"german", "\r\n<KEY_A>erste</KEY_A>\r\n<B>b</B>\r\n"},
            {"GERMAN", "\r\n<KEY_A>zweite</KEY_A>\r\n<B>b</B>\r\n"}}));
    clsLanguages languages;
    languages.loadLanguage(QStringLiteral("German"));
    QCOMPARE(languages.getCaption(QStringLiteral("key_a")), QStringLiteral("Erste"));
    QCOMPARE(languages.currentLanguage(), QStringLiteral("German"));
}

void TestI18n::aLanguageOfOneLineFallsBackToEnglish()
{
    TempHome home;
    home.write(LocalizationFile::fileName(),
        localization({{"English", English}, {"Short", "<MSG_DELETE3>Kurz</MSG_DELETE3>"}}));
    WithDefaults languages;
    languages.applyLanguage(QStringLiteral("Short"));
    QCOMPARE(languages.currentLanguage(), QStringLiteral("English"));
    QCOMPARE(languages.getCaption(QStringLiteral("FRMMAIN_MNUFILE0")), QStringLiteral("File"));
    QCOMPARE(languages.getMessages(QStringLiteral("MSG_DELETE3")), QStringLiteral("Continue?"));
}

void TestI18n::anUnknownLanguageKeepsTheLoadedTexts()
{
    TempHome home;
    home.write(LocalizationFile::fileName(), localization({{"English", English}, {"German", German}}));
    WithDefaults languages;
    languages.applyLanguage(QStringLiteral("German"));
    QCOMPARE(languages.getMessages(QStringLiteral("msg_delete3")), QStringLiteral("Weiter?"));
    // A message the language does not define keeps its text.
    QCOMPARE(languages.getMessages(QStringLiteral("MSG_DELETE4")), QStringLiteral("Delete "));
    languages.applyLanguage(QStringLiteral("Klingon"));
    QCOMPARE(languages.getCaption(QStringLiteral("FRMMAIN_MNUFILE0")), QStringLiteral("Datei"));
    QCOMPARE(languages.getMessages(QStringLiteral("MSG_DELETE3")), QStringLiteral("Weiter?"));
}

void TestI18n::messagesAreFilledAndCapitalised()
{
    WithDefaults languages;
    QCOMPARE(languages.getMessages(QStringLiteral("MSG_MINIMIZED")), QStringLiteral("Is minimized here!"));
    QCOMPARE(languages.getMessages(QStringLiteral("msg_delete2")),
        QStringLiteral(" category. All feeds subscribed under this category will be deleted."));
    QVERIFY(languages.getMessages(QStringLiteral("MSG_TRAY")).endsWith(QLatin1Char('"')));
    QCOMPARE(languages.getMessages(QStringLiteral("MSG_NO_SUCH_KEY")), QString());
    languages.setMessage(
        QStringLiteral("MSG_X"), QStringLiteral("[programname] by [CompanyName] at [Website]"));
    QCOMPARE(languages.getMessages(QStringLiteral("MSG_X")),
        AppInfo::productName() + QStringLiteral(" by ") + AppInfo::companyName()
            + QStringLiteral(" at [Website]"));
}

void TestI18n::theMessageTableDropsWhatDoesNotFit()
{
    clsLanguages languages;
    for (int i = 0; i <= clsLanguages::TableSize; ++i)
        languages.setMessage(QStringLiteral("K%1").arg(i), QStringLiteral("t%1").arg(i));
    QCOMPARE(languages.messages().size(), clsLanguages::TableSize);
    QCOMPARE(languages.getMessages(QStringLiteral("K%1").arg(clsLanguages::TableSize - 1)),
        QStringLiteral("T%1").arg(clsLanguages::TableSize - 1));
    QCOMPARE(languages.getMessages(QStringLiteral("K%1").arg(clsLanguages::TableSize)), QString());
    // A second entry of a key is stored but never found.
    clsLanguages twice;
    twice.setMessage(QStringLiteral("A"), QStringLiteral("first"));
    twice.setMessage(QStringLiteral("a"), QStringLiteral("second"));
    QCOMPARE(twice.getMessages(QStringLiteral("A")), QStringLiteral("First"));
}

void TestI18n::everyDefaultTextHasAKeyOfItsOwn()
{
    const auto &table = DefaultTexts::table();
    QVERIFY(table.size() <= clsLanguages::TableSize);
    QCOMPARE(table.at(0).first, QStringLiteral("MSG_DELETE1"));
    QCOMPARE(table.at(15).first, QStringLiteral("MSG_TRAY"));
    QSet<QString> keys;
    for (const auto &[key, text] : table) {
        QVERIFY2(!keys.contains(key.toUpper()), qPrintable(key));
        keys.insert(key.toUpper());
        // One line each, or the file could not hold it.
        QVERIFY2(!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')), qPrintable(key));
    }
    QCOMPARE(Languages().messages().size(), table.size());
}

void TestI18n::pathsAndFiles()
{
    QCOMPARE(clsLanguages::LangTrimPath(QStringLiteral("C:\\Program Files\\Q\\Localization.txt")),
        QStringLiteral("Localization.txt"));
    QCOMPARE(clsLanguages::LangTrimPath(QStringLiteral("/opt/q/Localization.txt")),
        QStringLiteral("Localization.txt"));
    QCOMPARE(clsLanguages::LangTrimPath(QStringLiteral("plain")), QStringLiteral("plain"));
    TempHome home;
    QVERIFY(!clsLanguages::LangFileExists(home.file(QStringLiteral("none.txt"))));
    QVERIFY(!clsLanguages::LangFileExists(home.file(QStringLiteral("Data"))));
    home.write(QStringLiteral("x.txt"), "x");
    QVERIFY(clsLanguages::LangFileExists(home.file(QStringLiteral("x.txt"))));
}

void TestI18n::aWrittenFileHasTheExactLayout()
{
    TempHome home;
    clsLanguages languages;
    languages.setMessage(QStringLiteral("msg_one"), QStringLiteral("Eins > zwei"));
    QVERIFY(languages.makeLocalizationFile({{QStringLiteral("frmMain_mnuFile0"), QStringLiteral("File")}}));
    const QByteArray written = home.read(LocalizationFile::fileName());
    const QByteArray expected = TempHome::fixture(QStringLiteral("i18n/written.txt"));
    QCOMPARE(written, expected);
    // And it reads back.
    languages.loadLanguage(QStringLiteral("english"));
    QCOMPARE(languages.getCaption(QStringLiteral("MSG_ONE")), QStringLiteral("Eins > zwei"));
    QCOMPARE(languages.getCaption(QStringLiteral("FRMMAIN_MNUFILE0")), QStringLiteral("File"));
}

void TestI18n::aDownloadIsKeptFromItsFirstMarker()
{
    QCOMPARE(LocalizationFile::fromDownload("\xEF\xBB\xBFjunk<x><translation_items></x>"),
        QByteArray("<x><translation_items></x>\r\n"));
    QCOMPARE(LocalizationFile::fromDownload("<html>Not Found</html>"), QByteArray());
    QCOMPARE(LocalizationFile::fromDownload(""), QByteArray());
}

void TestI18n::aGoodDownloadReplacesTheFile()
{
    TempHome home;
    home.write(LocalizationFile::fileName(), "old");
    LoopbackServer server;
    const QByteArray body = localization({{"English", English}, {"German", German}});
    server.serve(QStringLiteral("/Localization.txt"), "  " + body, "text/plain");
    LanguageUpdate update;
    QSignalSpy finished(&update, &LanguageUpdate::finished);
    update.start(server.url(QStringLiteral("/Localization.txt")));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().toString(), QString());
    QCOMPARE(home.read(LocalizationFile::fileName()), body + "\r\n");
    QVERIFY(server.lastRequestHead().toLower().contains("cache-control: no-cache"));
}

void TestI18n::aBadDownloadLeavesTheFileAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("not found") << "404"
                               << "MSG_UPDATEFAILED";
    QTest::newRow("no items") << "page"
                              << "MSG_UPDATENOTLANGUAGE";
    QTest::newRow("refused") << "refused"
                             << "MSG_UPDATEFAILED";
    QTest::newRow("never answers") << "silent"
                                   << "MSG_UPDATETIMEOUT";
}

void TestI18n::aBadDownloadLeavesTheFileAlone()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    TempHome home;
    home.write(LocalizationFile::fileName(), "old");
    LoopbackServer server;
    LoopbackServer::Route route;
    route.body = "<TRANSLATION_ITEMS>";
    if (kind == QLatin1String("404"))
        route.status = 404;
    else if (kind == QLatin1String("page"))
        route.body = "<html><body>Welcome</body></html>";
    else if (kind == QLatin1String("silent"))
        route.silent = true;
    server.route(QStringLiteral("/Localization.txt"), route);
    const QString url = kind == QLatin1String("refused") ? LoopbackServer::refusingUrl()
                                                         : server.url(QStringLiteral("/Localization.txt"));
    LanguageUpdate update;
    update.setTimeout(500);
    QSignalSpy finished(&update, &LanguageUpdate::finished);
    update.start(url);
    QVERIFY(finished.wait(10000));
    QVERIFY(finished.first().first().toString().startsWith(getMessages(message)));
    QVERIFY(!update.running());
    QCOMPARE(home.read(LocalizationFile::fileName()), QByteArray("old"));
}

// Every shipped language has every key of the English group with a text of
// its own, and keeps the placeholders; the English group is the program's
// own texts.
void TestI18n::theShippedLanguagesAreComplete()
{
    QFile file(QStringLiteral(QUORVANE_SOURCE_DIR "/resources/defaults/Localization.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<LocalizationFile::Group> groups = LocalizationFile::groups(QString::fromUtf8(file.readAll()));
    QStringList names;
    for (const auto &group : groups)
        names << group.name;
    QCOMPARE(names, QStringList({"English", "German", "French", "Russian"}));

    const auto itemsOf = [](const QString &items) {
        QList<QPair<QString, QString>> found;
        for (const QString &line : LocalizationFile::lines(items)) {
            const QString key = line.section(QLatin1Char('<'), 1, 1).section(QLatin1Char('>'), 0, 0);
            QString value;
            if (!key.isEmpty() && LocalizationFile::valueOf(line, key, &value))
                found.append({key, value});
        }
        return found;
    };
    const QList<QPair<QString, QString>> english = itemsOf(groups.first().items);
    QHash<QString, QString> englishText;
    for (const auto &[key, text] : english)
        englishText.insert(key, text);
    for (const auto &[key, text] : DefaultTexts::table())
        QCOMPARE(englishText.value(key.toUpper()), text);

    static const QRegularExpression placeholder(QStringLiteral("%\\d|\\[ProgramName\\]"));
    const auto placeholders = [](const QString &text) {
        QStringList found;
        for (auto it = placeholder.globalMatch(text); it.hasNext();)
            found << it.next().captured();
        found.sort();
        return found;
    };
    for (const auto &group : groups.mid(1)) {
        const QList<QPair<QString, QString>> items = itemsOf(group.items);
        QCOMPARE(items.size(), english.size());
        for (qsizetype i = 0; i < items.size(); ++i) {
            const auto &[key, text] = items.at(i);
            const QString what = group.name + QLatin1Char(' ') + key;
            QVERIFY2(key == english.at(i).first, qPrintable(what));
            QVERIFY2(text.isEmpty() == englishText.value(key).isEmpty(), qPrintable(what));
            QVERIFY2(placeholders(text) == placeholders(englishText.value(key)), qPrintable(what));
            // Texts that are joined with others keep their blanks.
            const QString source = englishText.value(key);
            QVERIFY2(
                source.startsWith(QLatin1Char(' ')) == text.startsWith(QLatin1Char(' ')), qPrintable(what));
            QVERIFY2(source.endsWith(QLatin1Char(' ')) == text.endsWith(QLatin1Char(' ')), qPrintable(what));
        }
    }
}

QTEST_GUILESS_MAIN(TestI18n)
#include "tst_i18n.moc"
