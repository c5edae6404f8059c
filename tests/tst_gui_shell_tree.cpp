// The category panel: the tree built from the catalogue, renaming in place,
// moving feeds between categories and the delete commands.

#include "catalogue/Catalogue.h"
#include "feeds/FeedFile.h"
#include "shell/frmMain.h"
#include "shell/frmOptionBar.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"
#include "viewer/ui/frmViewFeed.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSettings>
#include <QtTest>

using namespace ShellFixture;
using Messages::Answer;

class TestShellTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(m_settings); }
    void unreadCountsShowInTheTree();
    void nextUnreadGoesToTheNextFeed();
    void categoryMarkedAllRead();
    void lastSessionTabsComeBack();

    void init()
    {
        clearSession();
        m_home = std::make_unique<TempHome>();
        writeCatalogue(*m_home);
        m_messages = std::make_unique<MessageRecorder>();
        m_main = std::make_unique<frmMain>();
    }

    void cleanup()
    {
        m_main.reset();
        m_messages.reset();
        m_home.reset();
    }

    void treeFollowsCatalogue_data();
    void treeFollowsCatalogue();
    void missingDatabaseLeavesRootOnly();
    void refreshReloadsTree();

    void renameNode_data();
    void renameNode();
    void renameStaleCategoryIsRefused();
    void renamedCategoryKeepsSortOrder();
    void f2EditsLabelsButNotRoot();
    void rightClickSelectsAndShowsMenu_data();
    void rightClickSelectsAndShowsMenu();

    void dropFeed_data();
    void dropFeed();
    void onlyFeedsCanBeDragged();

    void deleteCategory_data();
    void deleteCategory();
    void deleteFeed_data();
    void deleteFeed();
    void deleteFeedClosesItsWindow();
    void deleteCategoryIgnoresRootAndFeeds();
    void treeAndWindowsFollowTheCatalogue();

private:
    frmOptionBar *bar() const { return m_main->optionBar(); }
    QTreeWidget *tree() const { return bar()->tvCategories(); }
    QTreeWidgetItem *node(const QString &key) const { return findNode(tree(), key); }
    QString catalogue() const { return QString::fromUtf8(m_home->read(QStringLiteral("feeds.fdb"))); }
    void select(const QString &key) { tree()->setCurrentItem(node(key)); }

    QTemporaryDir m_settings;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<frmMain> m_main;
};

void TestShellTree::treeFollowsCatalogue_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("image");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("parentKey");
    QTest::addColumn<int>("position");

    const QString base = QStringLiteral("http://127.0.0.1:9/");
    // Categories in alphabetical order whatever their letter case; feeds in
    // file order; keys from file positions.
    QTest::newRow("root") << "main"
                          << "Subscribed Feeds" << 1 << ""
                          << "" << 0;
    QTest::newRow("first category") << "cat_1"
                                    << "arts" << 2 << ""
                                    << "main" << 0;
    QTest::newRow("empty category") << "cat_2"
                                    << "Business" << 2 << ""
                                    << "main" << 1;
    QTest::newRow("last category") << "cat_0"
                                   << "World" << 2 << ""
                                   << "main" << 2;
    QTest::newRow("atom feed") << galleryId << "Gallery Notes" << 4 << base + "gallery.xml"
                               << "cat_1" << 0;
    QTest::newRow("podcast") << alphaId << "Alpha Cast" << 5 << base + "alpha.xml"
                             << "cat_1" << 1;
    QTest::newRow("rss feed last") << zetaId << "Zeta Wire" << 3 << base + "zeta.xml"
                                   << "cat_1" << 2;
    QTest::newRow("rss feed") << planetId << "Daily Planet" << 3 << base + "planet.xml"
                              << "cat_0" << 0;
}

void TestShellTree::treeFollowsCatalogue()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(int, image);
    QFETCH(QString, tag);
    QFETCH(QString, parentKey);
    QFETCH(int, position);

    QTreeWidgetItem *found = node(key);
    QVERIFY(found);
    QCOMPARE(found->text(0), text);
    QCOMPARE(found->data(0, Qt::UserRole + 2).toInt(), image);
    QCOMPARE(found->data(0, Qt::UserRole + 3).toString(), tag);
    QCOMPARE(found->icon(0).isNull(), false);
    QTreeWidgetItem *parent = found->parent();
    QCOMPARE(parent ? parent->data(0, Qt::UserRole + 1).toString() : QString(), parentKey);
    const int index = parent ? parent->indexOfChild(found) : tree()->indexOfTopLevelItem(found);
    QCOMPARE(index, position);
    QCOMPARE(tree()->topLevelItemCount(), 1);
    QVERIFY(tree()->topLevelItem(0)->isExpanded());
}

void TestShellTree::missingDatabaseLeavesRootOnly()
{
    QFile::remove(m_home->file(QStringLiteral("feeds.fdb")));
    bar()->LoadCategories();
    QCOMPARE(tree()->topLevelItemCount(), 1);
    QCOMPARE(tree()->topLevelItem(0)->childCount(), 0);
    QCOMPARE(m_messages->count(), 0);
    QVERIFY(catalogue().startsWith(QStringLiteral("<categories/>")));
}

void TestShellTree::refreshReloadsTree()
{
    node(QStringLiteral("cat_1"))->setExpanded(true);
    m_home->write(QStringLiteral("feeds.fdb"),
        "<categories><category name=\"Sport\"/><category name=\"arts\"/><category name=\"World\"/>"
        "</categories>");
    m_main->findChild<QAction *>(QStringLiteral("mnuCatRefresh"))->trigger();
    QCOMPARE(tree()->topLevelItem(0)->childCount(), 3);
    QCOMPARE(node(QStringLiteral("cat_0"))->text(0), QStringLiteral("Sport"));
    // Open categories stay open.
    QVERIFY(node(QStringLiteral("cat_1"))->isExpanded());
    QVERIFY(!node(QStringLiteral("cat_2"))->isExpanded());
}

void TestShellTree::renameNode_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<QString>("messageTitle");
    QTest::addColumn<QString>("storedName");

    QTest::newRow("blank") << "cat_2"
                           << "   " << false << ""
                           << "Business";
    QTest::newRow("same name, other case") << "cat_2"
                                           << "BUSINESS" << false << ""
                                           << "Business";
    QTest::newRow("name of another category") << "cat_2"
                                              << "world" << false << "Category Exists!"
                                              << "Business";
    QTest::newRow("feed named like a category") << planetId << "Arts" << false << "Category Exists!"
                                                << "Daily Planet";
    QTest::newRow("category") << "cat_2"
                              << "Commerce" << true << ""
                              << "Commerce";
    QTest::newRow("feed") << zetaId << "Zeta Wire Daily" << true << ""
                          << "Zeta Wire Daily";
}

void TestShellTree::renameNode()
{
    QFETCH(QString, key);
    QFETCH(QString, newText);
    QFETCH(bool, applied);
    QFETCH(QString, messageTitle);
    QFETCH(QString, storedName);

    const QString before = catalogue();
    QCOMPARE(bar()->renameNode(node(key), newText), applied);
    QCOMPARE(node(key)->text(0), storedName);
    QVERIFY(catalogue().contains(QStringLiteral("name=\"%1\"").arg(storedName)));
    if (!applied)
        QCOMPARE(catalogue(), before);
    if (messageTitle.isEmpty()) {
        QCOMPARE(m_messages->count(), 0);
    } else {
        QCOMPARE(m_messages->count(), 1);
        QCOMPARE(m_messages->last().icon, Messages::Icon::Exclamation);
        QCOMPARE(m_messages->last().title, messageTitle);
        QCOMPARE(m_messages->last().text,
            QStringLiteral("Category with same Name already exists. Try some other Category Name ..."));
    }
}

void TestShellTree::renameStaleCategoryIsRefused()
{
    // The category went from the file behind the tree's back.
    m_home->write(QStringLiteral("feeds.fdb"), "<categories><category name=\"World\"/></categories>");
    QVERIFY(!bar()->renameNode(node(QStringLiteral("cat_2")), QStringLiteral("Commerce")));
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, QStringLiteral("Alert!"));
    QCOMPARE(m_messages->last().text,
        QStringLiteral("Application failed to access Category named \"Business\" in database. Edit operation "
                       "failed. Please Refresh Category tree and try again ..."));
    QCOMPARE(node(QStringLiteral("cat_2"))->text(0), QStringLiteral("Business"));
}

void TestShellTree::renamedCategoryKeepsSortOrder()
{
    QVERIFY(bar()->renameNode(node(QStringLiteral("cat_2")), QStringLiteral("Zoo")));
    QTreeWidgetItem *root = tree()->topLevelItem(0);
    QStringList order;
    for (int i = 0; i < root->childCount(); ++i)
        order << root->child(i)->text(0);
    QCOMPARE(order, (QStringList {"arts", "World", "Zoo"}));
}

void TestShellTree::f2EditsLabelsButNotRoot()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));

    select(QStringLiteral("main"));
    QTest::keyClick(tree(), Qt::Key_F2);
    QVERIFY(!tree()->findChild<QLineEdit *>());

    select(QStringLiteral("cat_2"));
    QTest::keyClick(tree(), Qt::Key_F2);
    auto *editor = tree()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Commerce"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(node(QStringLiteral("cat_2"))->text(0), QStringLiteral("Commerce"));
    QVERIFY(catalogue().contains(QStringLiteral("name=\"Commerce\"")));
}

void TestShellTree::rightClickSelectsAndShowsMenu_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("defaultAction");

    QTest::newRow("feed") << zetaId << "mnuFeeds"
                          << "mnuFeedsCheck";
    QTest::newRow("category") << "cat_1"
                              << "mnuCat"
                              << "";
    QTest::newRow("root") << "main"
                          << ""
                          << "";
}

void TestShellTree::rightClickSelectsAndShowsMenu()
{
    QFETCH(QString, key);
    QFETCH(QString, menu);
    QFETCH(QString, defaultAction);

    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    node(QStringLiteral("cat_1"))->setExpanded(true);
    select(QStringLiteral("cat_0"));
    const QPoint at = tree()->visualItemRect(node(key)).center();
    QTest::mouseClick(tree()->viewport(), Qt::RightButton, {}, at);

    QCOMPARE(tree()->currentItem(), node(key));
    QWidget *popup = QApplication::activePopupWidget();
    QCOMPARE(popup ? popup->objectName() : QString(), menu);
    if (auto *shown = qobject_cast<QMenu *>(popup)) {
        if (!defaultAction.isEmpty())
            QCOMPARE(shown->defaultAction()->objectName(), defaultAction);
        shown->close();
    }
}

void TestShellTree::dropFeed_data()
{
    QTest::addColumn<QString>("extraFeed"); // a feed already in Business
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<QStringList>("titles");

    const QString question = QStringLiteral("Change Category?");
    const QString exists = QStringLiteral("Feed already Exists!");
    QTest::newRow("yes") << "" << QList<Answer> {Answer::Yes} << true << QStringList {question};
    QTest::newRow("no") << "" << QList<Answer> {Answer::No} << false << QStringList {question};
    QTest::newRow("same URL there")
        << "<feed name=\"Other\" type=\"0\" "
           "id=\"55555555-5555-4555-8555-555555555555\">HTTP://127.0.0.1:9/ZETA.xml</feed>"
        << QList<Answer> {Answer::Yes} << false << QStringList {question, exists};
    QTest::newRow("same name there") << "<feed name=\"zeta wire\" type=\"0\" "
                                        "id=\"55555555-5555-4555-8555-555555555555\">http://else/</feed>"
                                     << QList<Answer> {Answer::Yes} << false
                                     << QStringList {question, exists};
}

void TestShellTree::dropFeed()
{
    QFETCH(QString, extraFeed);
    QFETCH(QList<Answer>, answers);
    QFETCH(bool, moved);
    QFETCH(QStringList, titles);

    if (!extraFeed.isEmpty()) {
        QString text = catalogue();
        text.replace(QStringLiteral("<category name=\"Business\"/>"),
            QStringLiteral("<category name=\"Business\">%1</category>").arg(extraFeed));
        m_home->write(QStringLiteral("feeds.fdb"), text.toUtf8());
        bar()->LoadCategories();
    }
    const QString before = catalogue();
    m_messages->script(answers);

    QVERIFY(bar()->startDrag(node(zetaId)));
    QCOMPARE(bar()->dropFeed(node(QStringLiteral("cat_2"))), moved);

    QCOMPARE(m_messages->titles(), titles);
    QCOMPARE(m_messages->entries().first().text,
        QStringLiteral(
            "Are you sure you want to move selected Feed from \"arts\" to \"Business\" category?"));
    if (titles.size() > 1)
        QCOMPARE(m_messages->last().text,
            QStringLiteral("Feed with same URL already exists under category \"Business\"."));
    QTreeWidgetItem *feed = node(zetaId);
    QCOMPARE(feed->parent()->text(0), moved ? QStringLiteral("Business") : QStringLiteral("arts"));
    if (moved) {
        QCOMPARE(feed->parent()->indexOfChild(feed), feed->parent()->childCount() - 1);
        QVERIFY(catalogue().contains(QStringLiteral("<category name=\"Business\"><feed name=\"Zeta Wire\"")));
    } else {
        QCOMPARE(catalogue(), before);
    }
}

void TestShellTree::onlyFeedsCanBeDragged()
{
    QVERIFY(!bar()->startDrag(node(QStringLiteral("main"))));
    QVERIFY(!bar()->startDrag(node(QStringLiteral("cat_1"))));
    QVERIFY(bar()->startDrag(node(zetaId)));
    // Onto its own category, the root or another feed: nothing happens.
    QVERIFY(!bar()->dropFeed(node(QStringLiteral("cat_1"))));
    QVERIFY(!bar()->dropFeed(node(QStringLiteral("main"))));
    QVERIFY(!bar()->dropFeed(node(planetId)));
    QCOMPARE(m_messages->count(), 0);
}

void TestShellTree::deleteCategory_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::newRow("yes") << Answer::Yes;
    QTest::newRow("no") << Answer::No;
}

void TestShellTree::deleteCategory()
{
    QFETCH(Answer, answer);
    m_messages->script({answer});
    select(QStringLiteral("cat_1"));
    m_main->findChild<QAction *>(QStringLiteral("mnuCatDelete"))->trigger();

    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Question);
    QCOMPARE(m_messages->last().title, QStringLiteral("Delete arts"));
    QCOMPARE(m_messages->last().text,
        QStringLiteral("You are attempting to delete the arts category. All feeds subscribed under this "
                       "category will be deleted.\r\n\r\nContinue?"));
    const bool deleted = answer == Answer::Yes;
    QCOMPARE(node(QStringLiteral("cat_1")) == nullptr, deleted);
    QCOMPARE(catalogue().contains(QStringLiteral("name=\"arts\"")), !deleted);
}

void TestShellTree::deleteFeed_data()
{
    deleteCategory_data();
}

void TestShellTree::deleteFeed()
{
    QFETCH(Answer, answer);
    const QString dataFile = QStringLiteral("Data/%1.fdb").arg(zetaId);
    m_home->write(dataFile, "<data><items/></data>");
    m_messages->script({answer});
    select(zetaId);
    m_main->findChild<QAction *>(QStringLiteral("mnuFeedsDelete"))->trigger();

    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Question);
    QCOMPARE(m_messages->last().title, QStringLiteral("Delete "));
    QCOMPARE(m_messages->last().text, QStringLiteral("Are you sure you want to delete the selected item?"));
    const bool deleted = answer == Answer::Yes;
    QCOMPARE(node(zetaId) == nullptr, deleted);
    QCOMPARE(catalogue().contains(zetaId), !deleted);
    QCOMPARE(QFile::exists(m_home->file(dataFile)), !deleted);
}

void TestShellTree::deleteFeedClosesItsWindow()
{
    select(zetaId);
    m_main->openSelectedFeed(false);
    QCOMPARE(m_main->windowsShowing(zetaId).size(), 1);
    m_messages->script({Answer::Yes});
    m_main->findChild<QAction *>(QStringLiteral("mnuFeedsDelete"))->trigger();
    QTRY_VERIFY(m_main->windowsShowing(zetaId).isEmpty());
    QVERIFY(!QFile::exists(m_home->file(QStringLiteral("Data/%1.fdb").arg(zetaId))));
}

void TestShellTree::deleteCategoryIgnoresRootAndFeeds()
{
    m_messages->script({Answer::Yes, Answer::Yes});
    for (const QString &key : {QStringLiteral("main"), zetaId}) {
        select(key);
        m_main->findChild<QAction *>(QStringLiteral("mnuCatDelete"))->trigger();
    }
    QCOMPARE(m_messages->count(), 0);
    QVERIFY(node(zetaId));
}

// A change made through the catalogue, by anyone, reaches the tree, the open
// feed tab's caption and the Windows menu; a change another process made
// reaches them at the next reload.
void TestShellTree::treeAndWindowsFollowTheCatalogue()
{
    Catalogue *model = m_main->catalogue();
    select(planetId);
    m_main->openSelectedFeed(false);
    QMdiSubWindow *tab = m_main->windowsShowing(planetId).value(0);
    QVERIFY(tab);
    const auto entryTexts = [this] {
        QStringList texts;
        for (const QAction *entry : m_main->findChildren<QAction *>(QStringLiteral("mnuSubItem")))
            texts << entry->text();
        return texts;
    };

    QCOMPARE(model->renameFeed(*model->feed(planetId), QStringLiteral("Planet Daily")),
        Catalogue::Change::Applied);
    QCOMPARE(node(planetId)->text(0), QStringLiteral("Planet Daily"));
    QTRY_COMPARE(tab->windowTitle(), QStringLiteral("Planet Daily"));
    QVERIFY(entryTexts().contains(QStringLiteral("Planet Daily")));

    QCOMPARE(model->moveFeed(*model->feed(planetId), QStringLiteral("arts")), Catalogue::Change::Applied);
    QCOMPARE(node(planetId)->parent()->text(0), QStringLiteral("arts"));
    QCOMPARE(node(planetId)->parent()->indexOfChild(node(planetId)), 3);

    QCOMPARE(
        model->renameCategory(QStringLiteral("World"), QStringLiteral("Globe")), Catalogue::Change::Applied);
    QCOMPARE(node(QStringLiteral("cat_0"))->text(0), QStringLiteral("Globe"));

    // Another program renames the feed; the next reload brings it here.
    QString file = catalogue();
    file.replace(QStringLiteral("name=\"Planet Daily\""), QStringLiteral("name=\"Renamed Elsewhere\""));
    m_home->write(QStringLiteral("feeds.fdb"), file.toUtf8());
    m_main->findChild<QAction *>(QStringLiteral("mnuCatRefresh"))->trigger();
    QCOMPARE(node(planetId)->text(0), QStringLiteral("Renamed Elsewhere"));
    QTRY_COMPARE(tab->windowTitle(), QStringLiteral("Renamed Elsewhere"));
    QVERIFY(entryTexts().contains(QStringLiteral("Renamed Elsewhere")));
    QCOMPARE(m_messages->count(), 0);
}

// A data file of items, unread where the flag is false.
static QByteArray dataFile(const QList<bool> &read)
{
    QByteArray items;
    for (int i = 0; i < read.size(); ++i) {
        items += QStringLiteral("<item id=\"i%1\" status=\"%2\"><title>t%1</title><link></link>"
                                "<date>2003-Jun-01T12:00:00</date><desc></desc><media></media></item>")
                     .arg(i)
                     .arg(read.at(i) ? 1 : 0)
                     .toUtf8();
    }
    return "<data><items>" + items + "</items><latest>20030601120000</latest></data>";
}

// Counts are read after the window is up; a category shows the sum of its
// feeds; the label itself stays the bare name.
void TestShellTree::unreadCountsShowInTheTree()
{
    m_home->write(
        QStringLiteral("Data/") + galleryId + QStringLiteral(".fdb"), dataFile({false, false, true}));
    m_home->write(QStringLiteral("Data/") + alphaId + QStringLiteral(".fdb"), dataFile({false}));
    m_main = std::make_unique<frmMain>();
    m_main->Load();
    QTreeWidget *tree = m_main->optionBar()->tvCategories();
    QTRY_COMPARE(frmOptionBar::shownText(findNode(tree, galleryId)), QStringLiteral("Gallery Notes (2)"));
    QTRY_COMPARE(frmOptionBar::shownText(findNode(tree, alphaId)), QStringLiteral("Alpha Cast (1)"));
    QCOMPARE(frmOptionBar::shownText(findNode(tree, planetId)), QStringLiteral("Daily Planet"));
    QCOMPARE(frmOptionBar::shownText(m_main->optionBar()->categoryNode("arts")), QStringLiteral("arts (3)"));
    QCOMPARE(frmOptionBar::shownText(m_main->optionBar()->categoryNode("World")), QStringLiteral("World"));
    QCOMPARE(findNode(tree, galleryId)->text(0), QStringLiteral("Gallery Notes"));

    // A rebuild of the tree keeps the counts.
    QVERIFY(m_main->catalogue()->addCategory(QStringLiteral("Harbour")) == Catalogue::Change::Applied);
    QCOMPARE(frmOptionBar::shownText(m_main->optionBar()->categoryNode("arts")), QStringLiteral("arts (3)"));
}

// A feed window with nothing unread left asks for the next feed: the next
// one in the tree's order that has unread items opens.
void TestShellTree::nextUnreadGoesToTheNextFeed()
{
    m_home->write(QStringLiteral("Data/") + galleryId + QStringLiteral(".fdb"), dataFile({true}));
    m_home->write(QStringLiteral("Data/") + zetaId + QStringLiteral(".fdb"), dataFile({false, true}));
    m_main = std::make_unique<frmMain>();
    m_main->Load();
    QTreeWidget *tree = m_main->optionBar()->tvCategories();
    QTRY_COMPARE(frmOptionBar::unreadOf(findNode(tree, zetaId)), 1);
    m_main->OpenFeed(*m_main->catalogue()->feed(galleryId), false);
    frmViewFeed *gallery = m_main->activeFeedWindow();
    QVERIFY(gallery);
    emit gallery->nextFeedWithUnreadRequested();
    QVERIFY(m_main->activeFeedWindow());
    QCOMPARE(m_main->activeFeedWindow()->FeedID(), zetaId); // Alpha Cast has no unread items
    QCOMPARE(tree->currentItem(), findNode(tree, zetaId));
}

// "Mark All as Read" on a category marks every feed of it, and the counts
// follow.
void TestShellTree::categoryMarkedAllRead()
{
    m_home->write(QStringLiteral("Data/") + galleryId + QStringLiteral(".fdb"), dataFile({false, false}));
    m_home->write(QStringLiteral("Data/") + alphaId + QStringLiteral(".fdb"), dataFile({false}));
    m_home->write(QStringLiteral("Data/") + planetId + QStringLiteral(".fdb"), dataFile({false}));
    m_main = std::make_unique<frmMain>();
    m_main->Load();
    QTreeWidget *tree = m_main->optionBar()->tvCategories();
    QTRY_COMPARE(frmOptionBar::unreadOf(m_main->optionBar()->categoryNode("arts")), 3);
    tree->setCurrentItem(m_main->optionBar()->categoryNode("arts"));
    m_main->findChild<QAction *>(QStringLiteral("mnuCatAllRead"))->trigger();
    QTRY_COMPARE(frmOptionBar::unreadOf(m_main->optionBar()->categoryNode("arts")), 0);
    QCOMPARE(frmOptionBar::shownText(findNode(tree, galleryId)), QStringLiteral("Gallery Notes"));
    QCOMPARE(frmOptionBar::unreadOf(findNode(tree, planetId)), 1); // another category
    FeedFile::waitForRequests();
    QVERIFY(
        !m_home->read(QStringLiteral("Data/") + galleryId + QStringLiteral(".fdb")).contains("status=\"0\""));
}

// The tabs of the last session open again, each with its item selected;
// a feed deleted meanwhile is left out.
void TestShellTree::lastSessionTabsComeBack()
{
    m_home->write(QStringLiteral("Data/") + zetaId + QStringLiteral(".fdb"), dataFile({false, true, false}));
    {
        QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
        settings.beginGroup(QStringLiteral("Session"));
        settings.setValue(QStringLiteral("OpenFeeds"),
            QStringList {zetaId, QStringLiteral("99999999-9999-4999-8999-999999999999"), planetId});
        settings.setValue(QStringLiteral("SelectedItems"), QStringList {QStringLiteral("i1"), {}, {}});
    }
    m_main = std::make_unique<frmMain>();
    m_main->Load();
    QStringList open;
    for (const frmViewFeed *window : m_main->feedWindows())
        open << window->FeedID();
    QCOMPARE(open, QStringList({zetaId, planetId}));
    const frmViewFeed *zeta = m_main->feedWindows().first();
    QTRY_COMPARE(zeta->selectedItemId(), QStringLiteral("i1"));
    QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane")).remove(QStringLiteral("Session"));
}

QTEST_MAIN(TestShellTree)
#include "tst_gui_shell_tree.moc"
