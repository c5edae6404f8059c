// The add/edit feed dialog: the check of the URL, then the name and
// category, saved through the catalogue.

#include "catalogue/Catalogue.h"
#include "catalogue/ui/frmAddFeed.h"
#include "i18n/Languages.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace ShellFixture;

class TestGuiAddFeed : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(m_settings); }
    void init()
    {
        m_server = std::make_unique<LoopbackServer>();
        m_home = std::make_unique<TempHome>();
        writeCatalogue(*m_home, m_server->url(QString()));
        m_messages = std::make_unique<MessageRecorder>();
        m_catalogue = std::make_unique<Catalogue>();
        QVERIFY(m_catalogue->reload());
        m_server->serve("/news.xml", TempHome::fixture("addfeed/rss.xml"));
        m_server->serve("/atom.xml", TempHome::fixture("addfeed/atom.xml"));
    }
    void cleanup()
    {
        frmAddFeed::setChooser(nullptr);
        m_catalogue.reset();
        m_messages.reset();
        m_home.reset();
        m_server.reset();
    }

    void enterChecksThenSaves();
    void opensForItsMode();
    void editKeepsTheFeedId();
    void blankUrlIsRefused();
    void failedCheckStaysAtTheUrl();
    void newCategoryIsCreated();
    void duplicateInTheCategoryIsRefused_data();
    void duplicateInTheCategoryIsRefused();
    void pageLinkReplacesTheUrl();
    void cancelDuringTheCheckEndsIt();

private:
    QLineEdit *edit(frmAddFeed &dialog, const char *name) { return dialog.findChild<QLineEdit *>(name); }
    QPushButton *ok(frmAddFeed &dialog) { return dialog.findChild<QPushButton *>("btnOK"); }
    QComboBox *categories(frmAddFeed &dialog) { return dialog.findChild<QComboBox *>("cmbCategories"); }
    // Types the URL and checks it; true once the dialog shows the details.
    bool check(frmAddFeed &dialog, const QString &url)
    {
        edit(dialog, "txtURL")->setText(url);
        QTest::keyClick(edit(dialog, "txtURL"), Qt::Key_Return);
        return QTest::qWaitFor([&] { return ok(dialog)->isEnabled(); }, 20000)
            && ok(dialog)->property("tag").toString() == QLatin1String("ok");
    }
    std::optional<FeedRecord> storedIn(const QString &category, const QString &url)
    {
        Catalogue fresh;
        const int index = fresh.categoryIndex(category);
        if (index < 0)
            return std::nullopt;
        for (const FeedRecord &feed : fresh.categories().at(index).feeds) {
            if (feed.FeedURL == url)
                return feed;
        }
        return std::nullopt;
    }

    QTemporaryDir m_settings;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<Catalogue> m_catalogue;
};

void TestGuiAddFeed::enterChecksThenSaves()
{
    frmAddFeed dialog(m_catalogue.get(), nullptr);
    dialog.iDisplayMode = 0;
    dialog.sCategory = QStringLiteral("World");
    dialog.show();
    QVERIFY(!dialog.findChild<QWidget *>("txtChannel")->isVisible());
    QCOMPARE(ok(dialog)->text(), getMessages("MSG_ADDFEED_START"));
    const int compact = dialog.height();
    const QString url = m_server->url("/news.xml");

    QVERIFY(check(dialog, url));
    QVERIFY(dialog.height() > compact);
    QVERIFY(edit(dialog, "txtChannel")->isVisible());
    QVERIFY(!edit(dialog, "txtURL")->isEnabled());
    QCOMPARE(edit(dialog, "txtChannel")->text(), QStringLiteral("Plain News"));
    QCOMPARE(ok(dialog)->text(), getMessages("MSG_ADDFEED_OK"));
    QCOMPARE(categories(dialog)->currentText(), QStringLiteral("World"));
    QCOMPARE(dialog.TypeOfFeed(), 0);

    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dialog, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const auto saved = storedIn("World", url);
    QVERIFY(saved);
    QCOMPARE(saved->FeedCaption, QStringLiteral("Plain News"));
    QVERIFY(mUtil::isFeedId(saved->FeedID));
    QCOMPARE(dialog.savedFeedId(), saved->FeedID);
    QCOMPARE(m_messages->count(), 0);
}

void TestGuiAddFeed::opensForItsMode()
{
    frmAddFeed dialog(m_catalogue.get(), nullptr);
    dialog.iDisplayMode = 1;
    dialog.sFeedID = planetId;
    dialog.sCategory = QStringLiteral("World");
    dialog.show();
    QCOMPARE(dialog.windowTitle(), getMessages("MSG_ADDFEED_EDITCAPTION"));
    QVERIFY(!categories(dialog)->isEnabled());
    dialog.reject();

    // Exact names only: "Arts" is not the category "arts".
    dialog.iDisplayMode = 0;
    dialog.sCategory = QStringLiteral("Arts");
    dialog.show();
    QCOMPARE(dialog.windowTitle(), getMessages("MSG_ADDFEED_ADDCAPTION"));
    QVERIFY(categories(dialog)->isEnabled());
    QCOMPARE(categories(dialog)->currentIndex(), -1);
    QCOMPARE(ok(dialog)->property("tag").toString(), QStringLiteral("proceed"));
    // A blank box proposes the first category once the feed checked out, so
    // Enter subscribes rather than failing on a nameless category.
    QVERIFY(check(dialog, m_server->url("/news.xml")));
    QCOMPARE(categories(dialog)->currentIndex(), 0);
}

void TestGuiAddFeed::editKeepsTheFeedId()
{
    const FeedRecord planet = *m_catalogue->feed(planetId);
    frmAddFeed dialog(m_catalogue.get(), nullptr);
    dialog.iDisplayMode = 1;
    dialog.sFeedID = planetId;
    dialog.sCategory = planet.Category;
    FeedRecord moved = planet;
    moved.FeedURL = m_server->url("/atom.xml");
    dialog.setFeed(moved);
    dialog.show();
    QCOMPARE(edit(dialog, "txtChannel")->text(), planet.FeedCaption);
    QVERIFY(check(dialog, moved.FeedURL));
    // The check proposes the channel's own title in place of the old name.
    QCOMPARE(edit(dialog, "txtChannel")->text(), QStringLiteral("Atom Log"));
    ok(dialog)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const auto saved = storedIn(planet.Category, moved.FeedURL);
    QVERIFY(saved);
    QCOMPARE(saved->FeedID, planetId);
    QCOMPARE(saved->FeedType, qint16(1));
}

void TestGuiAddFeed::blankUrlIsRefused()
{
    frmAddFeed dialog(m_catalogue.get(), nullptr);
    dialog.show();
    edit(dialog, "txtURL")->setText(QStringLiteral("   "));
    ok(dialog)->click();
    QCOMPARE(m_messages->titles(), QStringList {getMessages("MSG_ADDFEED_URL_TITLE")});
    QCOMPARE(ok(dialog)->property("tag").toString(), QStringLiteral("proceed"));
    QCOMPARE(m_server->hits("/"), 0);
}

void TestGuiAddFeed::failedCheckStaysAtTheUrl()
{
    m_server->serve("/other.xml", TempHome::fixture("addfeed/other.xml"));
    frmAddFeed dialog(m_catalogue.get(), nullptr);
    dialog.show();
    QVERIFY(!check(dialog, m_server->url("/other.xml")));
    QCOMPARE(m_messages->titles(), QStringList {getMessages("MSG_ADDFEED_UNSUPPORTED_TITLE")});
    QCOMPARE(ok(dialog)->text(), getMessages("MSG_ADDFEED_PROCEED"));
    QVERIFY(edit(dialog, "txtURL")->isEnabled());
    QCOMPARE(edit(dialog, "txtURL")->selectedText(), m_server->url("/other.xml"));
    QCOMPARE(dialog.TypeOfFeed(), -1);
    QVERIFY(!edit(dialog, "txtChannel")->isVisible());
}

void TestGuiAddFeed::newCategoryIsCreated()
{
    frmAddFeed dialog(m_catalogue.get(), nullptr);
    dialog.show();
    QVERIFY(check(dialog, m_server->url("/news.xml")));
    QSignalSpy added(m_catalogue.get(), &Catalogue::categoryAdded);
    categories(dialog)->setEditText(QStringLiteral("Science"));
    ok(dialog)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(added.count(), 1);
    QVERIFY(storedIn("Science", m_server->url("/news.xml")));
}

void TestGuiAddFeed::duplicateInTheCategoryIsRefused_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<bool>("refused");
    QTest::newRow("same category") << "World" << true;
    QTest::newRow("other category") << "Business" << false;
}

void TestGuiAddFeed::duplicateInTheCategoryIsRefused()
{
    QFETCH(QString, category);
    QFETCH(bool, refused);
    // The planet's own URL, in other letters.
    m_server->serve("/PLANET.xml", TempHome::fixture("addfeed/rss.xml"));
    frmAddFeed dialog(m_catalogue.get(), nullptr);
    dialog.sCategory = category;
    dialog.show();
    QVERIFY(check(dialog, m_server->url("/PLANET.xml")));
    ok(dialog)->click();
    QCOMPARE(dialog.result(), int(refused ? QDialog::Rejected : QDialog::Accepted));
    QCOMPARE(
        m_messages->titles(), refused ? QStringList {getMessages("MSG_FEEDEXISTS_TITLE")} : QStringList());
    QCOMPARE(bool(storedIn(category, m_server->url("/PLANET.xml"))), !refused);
    if (refused)
        QCOMPARE(ok(dialog)->property("tag").toString(), QStringLiteral("ok"));
}

void TestGuiAddFeed::pageLinkReplacesTheUrl()
{
    m_server->serve("/blog/", TempHome::fixture("addfeed/onelink.html"), "text/html");
    m_server->serve("/blog/feeds/rss.xml", TempHome::fixture("addfeed/podcast.xml"));
    frmAddFeed dialog(m_catalogue.get(), nullptr);
    dialog.show();
    QVERIFY(check(dialog, m_server->url("/blog/")));
    QCOMPARE(edit(dialog, "txtURL")->text(), m_server->url("/blog/feeds/rss.xml"));
    QCOMPARE(edit(dialog, "txtChannel")->text(), QStringLiteral("Cast Hour"));
    QCOMPARE(dialog.TypeOfFeed(), 2);
}

void TestGuiAddFeed::cancelDuringTheCheckEndsIt()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route("/silent.xml", silent);
    frmAddFeed dialog(m_catalogue.get(), nullptr);
    dialog.show();
    edit(dialog, "txtURL")->setText(m_server->url("/silent.xml"));
    ok(dialog)->click();
    QCOMPARE(ok(dialog)->text(), getMessages("MSG_ADDFEED_VALIDATING"));
    QVERIFY(!ok(dialog)->isEnabled());
    QVERIFY(dialog.check()->running());
    dialog.findChild<QPushButton *>("btnCancel")->click();
    QVERIFY(!dialog.check()->running());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(m_messages->count(), 0);
}

QTEST_MAIN(TestGuiAddFeed)
#include "tst_gui_addfeed.moc"
