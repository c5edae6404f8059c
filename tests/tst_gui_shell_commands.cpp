// The main window's commands that open the catalogue and settings dialogs
// (menus, tool bar, tray, shortcuts) and the keyboard of the tree and the
// item list.

#include "catalogue/Catalogue.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "shell/Commands.h"
#include "shell/frmMain.h"
#include "shell/frmOptionBar.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"
#include "util/ui/CategoryNode.h"
#include "viewer/ui/frmViewFeed.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QWidgetAction>
#include <QtTest>

using namespace ShellFixture;
using Messages::Answer;

namespace
{

// Notes the modal dialogs that open and closes each at once.
class ModalCloser : public QObject
{
public:
    ModalCloser()
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                seen << dialog->objectName();
                dialog->reject();
            }
        });
        m_timer.start();
    }
    QStringList seen;

private:
    QTimer m_timer;
};

QAction *action(QObject *window, const QString &name)
{
    return window->findChild<QAction *>(name);
}

} // namespace

class TestShellCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(m_settings); }

    void init()
    {
        m_home = std::make_unique<TempHome>();
        writeCatalogue(*m_home);
        m_messages = std::make_unique<MessageRecorder>();
        m_main = std::make_unique<frmMain>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_messages.reset();
        m_home.reset();
    }

    void commandTableNamesAndKeysAreUnique();
    void commandTableIsWhatEachPlaceShows_data();
    void commandTableIsWhatEachPlaceShows();
    void commandsOpenTheirDialogs_data();
    void commandsOpenTheirDialogs();
    void shortcutsOpenTheirDialogs_data();
    void shortcutsOpenTheirDialogs();
    void copyWithSelectedTextIsNotTakenAway();
    void newFeedNeedsANodeOtherThanTheRoot();
    void trayOffersAddFeedOnlyWithASelection();
    void keyboardOfTheTree();
    void editCommandsNeedTheirKindOfNode();
    void addedCategoryIsSelected();
    void sendByEmailFollowsItemSelection();
    void opmlExportAndImport();

private:
    QTreeWidget *tree() const { return m_main->optionBar()->tvCategories(); }
    // A feed by its id, a category by its name, or the root ("main").
    void select(const QString &key) const
    {
        QTreeWidgetItem *node = key.contains(QLatin1Char('-')) || key == QLatin1String("main")
            ? findNode(tree(), key)
            : m_main->optionBar()->categoryNode(key);
        QVERIFY(node);
        tree()->setCurrentItem(node);
    }

    QTemporaryDir m_settings;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<frmMain> m_main;
};

// No two commands share a name (findChild would find either) or keys (Qt
// runs neither of two ambiguous shortcuts); the shortcut list is the
// table's.
void TestShellCommands::commandTableNamesAndKeysAreUnique()
{
    QSet<QString> names;
    QSet<QKeySequence> keys;
    QList<QPair<QString, QKeySequence>> withKeys;
    for (const Commands::Command &command : Commands::table()) {
        if (!command.name)
            continue;
        QVERIFY2(!names.contains(QLatin1String(command.name)), command.name);
        names.insert(QLatin1String(command.name));
        if (command.shortcut.isEmpty())
            continue;
        QVERIFY2(!keys.contains(command.shortcut), command.name);
        keys.insert(command.shortcut);
        withKeys.append({QString::fromUtf8(command.text), command.shortcut});
    }
    QCOMPARE(Commands::shortcuts(), withKeys);
    QVERIFY(withKeys.contains({QStringLiteral("Refresh"), QKeySequence(Qt::Key_F5)}));
}

// Each menu, the tool bar and the window hold exactly the table's commands
// of that place, in its order, with its shortcut, and each translated
// command has its localization key with its text.
void TestShellCommands::commandTableIsWhatEachPlaceShows_data()
{
    QTest::addColumn<QString>("place");
    for (const Commands::Place &place : Commands::places())
        QTest::newRow(place.name) << QString::fromLatin1(place.name);
}

void TestShellCommands::commandTableIsWhatEachPlaceShows()
{
    QFETCH(QString, place);
    QList<QAction *> shown;
    if (place == m_main->objectName())
        shown = m_main->actions();
    else if (auto *menu = m_main->findChild<QMenu *>(place))
        shown = menu->actions();
    else if (auto *bar = m_main->findChild<QToolBar *>(place))
        shown = bar->actions();
    QVERIFY(!shown.isEmpty());
    QStringList names;
    for (QAction *action : shown) {
        // The web-site button and the Windows menu's entries are no commands.
        if (qobject_cast<QWidgetAction *>(action) || action->objectName() == QLatin1String("mnuSubItem"))
            continue;
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    }

    QHash<QString, QString> texts;
    for (const auto &[key, text] : WindowTexts::collect(m_main.get()))
        texts.insert(key, text);
    QStringList expected;
    for (const Commands::Command &command : Commands::table()) {
        if (QLatin1String(command.place) != place)
            continue;
        expected << (command.name ? QString::fromLatin1(command.name) : QStringLiteral("-"));
        if (!command.name)
            continue;
        QAction *made = action(m_main.get(), QLatin1String(command.name));
        QCOMPARE(made->shortcut(), command.shortcut);
        if (command.textKey)
            QCOMPARE(texts.value(QLatin1String(command.textKey)), QString::fromUtf8(command.text));
        else
            QVERIFY2(!texts.contains(QStringLiteral("frmMain_") + QLatin1String(command.name))
                    && !texts.contains(QStringLiteral("frmMain_") + QLatin1String(command.name) + u'0'),
                command.name);
    }
    QCOMPARE(names, expected);
}

void TestShellCommands::commandsOpenTheirDialogs_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("menu add category") << "mnuCatNew"
                                       << "frmCategory";
    QTest::newRow("menu edit category") << "mnuCatEdit"
                                        << "frmCategory";
    QTest::newRow("menu add feed") << "mnuCatNewFeed"
                                   << "frmAddFeed";
    QTest::newRow("feeds add feed") << "mnuFeedsAdd"
                                    << "frmAddFeed";
    QTest::newRow("feeds edit feed") << "mnuFeedsEdit"
                                     << "frmAddFeed";
    QTest::newRow("menu scheduler") << "mnuToolsScheduler"
                                    << "frmScheduler";
    QTest::newRow("menu settings") << "mnuToolsAppSettings"
                                   << "frmAppSettings";
    QTest::newRow("menu email settings") << "mnuToolsEmailSettings"
                                         << "frmEmailSettings";
    QTest::newRow("tray email settings") << "mnuSysTrayEmailSettings"
                                         << "frmEmailSettings";
    QTest::newRow("button add category") << "cmdAddCategory"
                                         << "frmCategory";
    QTest::newRow("button add feed") << "cmdAddFeed"
                                     << "frmAddFeed";
    QTest::newRow("button schedule") << "cmdSchedule"
                                     << "frmScheduler";
    QTest::newRow("button settings") << "cmdSettings"
                                     << "frmAppSettings";
    QTest::newRow("tray add feed") << "mnuSysTrayAddFeed"
                                   << "frmAddFeed";
    QTest::newRow("tray scheduler") << "mnuSysTrayScheduler"
                                    << "frmScheduler";
    QTest::newRow("tray settings") << "mnuSysTrayAppSettings"
                                   << "frmAppSettings";
}

void TestShellCommands::commandsOpenTheirDialogs()
{
    QFETCH(QString, command);
    QFETCH(QString, dialog);
    // The edit commands need a node of their kind; the others take any.
    select(command == QLatin1String("mnuCatEdit") ? QStringLiteral("World") : planetId);
    ModalCloser closer;
    action(m_main.get(), command)->trigger();
    QCOMPARE(closer.seen, QStringList {dialog});
}

void TestShellCommands::shortcutsOpenTheirDialogs_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("Ctrl+C") << QKeySequence(Qt::CTRL | Qt::Key_C) << "frmCategory";
    QTest::newRow("Ctrl+N") << QKeySequence(Qt::CTRL | Qt::Key_N) << "frmAddFeed";
    QTest::newRow("Ctrl+F4") << QKeySequence(Qt::CTRL | Qt::Key_F4) << "frmScheduler";
    QTest::newRow("Ctrl+F3") << QKeySequence(Qt::CTRL | Qt::Key_F3) << "frmEmailSettings";
}

void TestShellCommands::shortcutsOpenTheirDialogs()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, dialog);
    select(planetId);
    tree()->setFocus();
    ModalCloser closer;
    QTest::keySequence(m_main.get(), keys);
    QCOMPARE(closer.seen, QStringList {dialog});
}

void TestShellCommands::copyWithSelectedTextIsNotTakenAway()
{
    auto *line = new QLineEdit(QStringLiteral("copy me"), m_main.get());
    line->show();
    line->setFocus();
    QTRY_VERIFY(line->hasFocus());
    QApplication::clipboard()->clear();
    line->selectAll();
    ModalCloser closer;
    QTest::keySequence(line, QKeySequence(Qt::CTRL | Qt::Key_C));
    QVERIFY(closer.seen.isEmpty());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copy me"));

    // Nothing selected: the shortcut is the command's again.
    line->deselect();
    QTest::keySequence(line, QKeySequence(Qt::CTRL | Qt::Key_C));
    QCOMPARE(closer.seen, QStringList {QStringLiteral("frmCategory")});
}

void TestShellCommands::newFeedNeedsANodeOtherThanTheRoot()
{
    QAction *newFeed = action(m_main.get(), QStringLiteral("mnuCatNewFeed"));
    QVERIFY(newFeed->isEnabled());
    const auto click = [this](const QString &key) {
        select(key);
        emit tree()->itemClicked(tree()->currentItem(), 0);
    };
    click(QStringLiteral("main"));
    QVERIFY(!newFeed->isEnabled());
    click(QStringLiteral("World"));
    QVERIFY(newFeed->isEnabled());
    click(QStringLiteral("main"));
    click(planetId);
    QVERIFY(newFeed->isEnabled());
}

void TestShellCommands::trayOffersAddFeedOnlyWithASelection()
{
    auto *tray = m_main->findChild<QMenu *>(QStringLiteral("mnuSysTray"));
    QAction *addFeed = action(m_main.get(), QStringLiteral("mnuSysTrayAddFeed"));
    tree()->setCurrentItem(nullptr);
    tree()->clearSelection();
    emit tray->aboutToShow();
    QVERIFY(!addFeed->isEnabled());
    select(QStringLiteral("World"));
    emit tray->aboutToShow();
    QVERIFY(addFeed->isEnabled());
}

void TestShellCommands::keyboardOfTheTree()
{
    tree()->setFocus();
    // Enter on a feed opens its window, as a double click does.
    select(planetId);
    QTest::keyClick(tree(), Qt::Key_Return);
    QTRY_VERIFY(m_main->activeFeedWindow());

    // Delete asks as the menu command does; No keeps the node.
    m_messages->script({Answer::No});
    QTest::keyClick(tree(), Qt::Key_Delete);
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, getMessages(QStringLiteral("MSG_DELETE4")));
    QVERIFY(findNode(tree(), planetId));
    select(QStringLiteral("Business"));
    m_messages->script({Answer::Yes});
    QTest::keyClick(tree(), Qt::Key_Delete);
    QVERIFY(m_messages->last().text.startsWith(
        getMessages(QStringLiteral("MSG_DELETE1")) + QStringLiteral("Business")));
    QTRY_VERIFY(!findNode(tree(), QStringLiteral("Business")));

    // Shift+F10 opens the node's menu.
    select(QStringLiteral("World"));
    auto *menu = m_main->findChild<QMenu *>(QStringLiteral("mnuCat"));
    QTest::keyClick(tree(), Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(menu->isVisible());
    menu->close();
}

void TestShellCommands::editCommandsNeedTheirKindOfNode()
{
    ModalCloser closer;
    select(QStringLiteral("main"));
    action(m_main.get(), QStringLiteral("mnuCatEdit"))->trigger();
    select(planetId);
    action(m_main.get(), QStringLiteral("mnuCatEdit"))->trigger();
    select(QStringLiteral("World"));
    action(m_main.get(), QStringLiteral("mnuFeedsEdit"))->trigger();
    QVERIFY(closer.seen.isEmpty());
}

void TestShellCommands::addedCategoryIsSelected()
{
    select(planetId);
    QTimer::singleShot(0, this, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>("txtCategoryName")->setText("Harbour");
        QTest::keyClick(dialog->findChild<QLineEdit *>("txtCategoryName"), Qt::Key_Return);
    });
    action(m_main.get(), "mnuCatNew")->trigger();
    QVERIFY(tree()->currentItem());
    QCOMPARE(tree()->currentItem()->text(0), QStringLiteral("Harbour"));
}

// "Send by Email" waits for a selected item; the e-mail commands without a
// feed window do nothing.
void TestShellCommands::sendByEmailFollowsItemSelection()
{
    QAction *send = action(m_main.get(), QStringLiteral("mnuToolsSendByEmail"));
    QVERIFY(!send->isEnabled());
    ModalCloser closer;
    for (const char *name : {"cmdEmail", "mnuFeedItemEmail"})
        action(m_main.get(), QLatin1String(name))->trigger();
    QVERIFY(closer.seen.isEmpty());
    QCOMPARE(m_messages->count(), 0);

    m_main->OpenFeed(*m_main->catalogue()->feed(planetId), false);
    frmViewFeed *feed = m_main->findChild<frmViewFeed *>();
    QVERIFY(feed);
    emit feed->itemSelected();
    QVERIFY(send->isEnabled());
}

// File -> Export and Import: the file the chooser names is written, and an
// import shows its report and its feeds in the tree.
void TestShellCommands::opmlExportAndImport()
{
    const QString exported = m_home->file(QStringLiteral("out.opml"));
    m_main->setOpmlFileChooser([&](QWidget *, bool save) {
        return save ? exported : QStringLiteral(QUORVANE_FIXTURES "/opml/newsboat.opml");
    });
    action(m_main.get(), QStringLiteral("mnuFileExport"))->trigger();
    QVERIFY(QFile(exported).size() > 0);
    QCOMPARE(m_messages->count(), 0);

    const auto feedNodes = [this] {
        int count = 0;
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            count += CategoryNode::isFeed(*it) ? 1 : 0;
        return count;
    };
    const int before = feedNodes();
    action(m_main.get(), QStringLiteral("mnuFileImport"))->trigger();
    QCOMPARE(m_messages->titles(), QStringList {getMessages(QStringLiteral("MSG_OPML_IMPORT_TITLE"))});
    QVERIFY(feedNodes() > before);
}

QTEST_MAIN(TestShellCommands)
#include "tst_gui_shell_commands.moc"
