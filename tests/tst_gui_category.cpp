// The category dialog: adding a category and renaming one through the
// catalogue, with the refusals of the tree's own rename.

#include "catalogue/Catalogue.h"
#include "catalogue/ui/frmCategory.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "shell/frmMain.h"
#include "shell/frmOptionBar.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace ShellFixture;

class TestGuiCategory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(m_settings); }

    void init()
    {
        m_home = std::make_unique<TempHome>();
        writeCatalogue(*m_home);
        m_messages = std::make_unique<MessageRecorder>();
        m_catalogue = std::make_unique<Catalogue>();
        QVERIFY(m_catalogue->reload());
    }

    void cleanup()
    {
        m_catalogue.reset();
        m_messages.reset();
        m_home.reset();
    }

    void opensForItsMode();
    void designTextsAreTranslatable();
    void addCategory_data();
    void addCategory();
    void editCategory_data();
    void editCategory();
    void enterInTheNameBoxIsOk();
    void cancelChangesNothing();
    void newCategoryShowsInTheTreeInOrder();

private:
    // The categories in feeds.fdb, as a fresh read finds them.
    QStringList stored() const
    {
        Catalogue fresh;
        fresh.reload();
        QStringList names;
        for (const CatalogueCategory &category : fresh.categories())
            names << category.name;
        return names;
    }
    void enter(frmCategory &dialog, const QString &name) const
    {
        dialog.findChild<QLineEdit *>(QStringLiteral("txtCategoryName"))->setText(name);
        dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    }

    QTemporaryDir m_settings;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<Catalogue> m_catalogue;
};

// The dialog is filled anew at every showing, so an add after an edit
// starts empty.
void TestGuiCategory::opensForItsMode()
{
    frmCategory dialog(m_catalogue.get());
    QCOMPARE(dialog.objectName(), QStringLiteral("frmCategory"));
    QCOMPARE(dialog.windowTitle(), getMessages(QStringLiteral("CAPTION_FRMCATEGORY")));
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("txtCategoryName"));
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("btnOK"));
    QVERIFY(name && ok && dialog.findChild<QPushButton *>(QStringLiteral("btnCancel")));

    dialog.Mode = 1;
    dialog.CategoryName = QStringLiteral("World");
    dialog.show();
    QCOMPARE(ok->text(), getMessages(QStringLiteral("MSG_CATEGORY_SAVE")));
    QCOMPARE(name->text(), QStringLiteral("World"));
    dialog.hide();

    dialog.Mode = 0;
    dialog.show();
    QCOMPARE(ok->text(), getMessages(QStringLiteral("MSG_CATEGORY_ADD")));
    QCOMPARE(name->text(), QString());
}

// The button's caption follows the mode, so only the other texts go to the
// language file.
void TestGuiCategory::designTextsAreTranslatable()
{
    frmCategory dialog(m_catalogue.get());
    QStringList keys;
    for (const auto &item : WindowTexts::collect(&dialog))
        keys << item.first.toUpper();
    QCOMPARE(
        keys, (QStringList {"FRMCATEGORY_LBLCATEGORYNAME", "FRMCATEGORY_BTNCANCEL", "FRMCATEGORY_CAPTION"}));
}

void TestGuiCategory::addCategory_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("titleKey"); // of the box shown, "" for none
    QTest::addColumn<QStringList>("categories");
    const QStringList before {"World", "arts", "Business"};
    QTest::newRow("new") << "Travel"
                         << "" << before + QStringList {"Travel"};
    QTest::newRow("blanks kept") << "  Travel  "
                                 << "" << before + QStringList {"  Travel  "};
    QTest::newRow("empty") << ""
                           << "MSG_CATEGORY_NAME_TITLE" << before;
    QTest::newRow("blanks only") << "   "
                                 << "MSG_CATEGORY_NAME_TITLE" << before;
    // A second category of a name would be unreachable by name.
    QTest::newRow("existing name") << "arts"
                                   << "MSG_CATEGORYEXISTS_TITLE" << before;
    QTest::newRow("existing name, other case") << "BUSINESS"
                                               << "MSG_CATEGORYEXISTS_TITLE" << before;
}

void TestGuiCategory::addCategory()
{
    QFETCH(QString, name);
    QFETCH(QString, titleKey);
    QFETCH(QStringList, categories);
    frmCategory dialog(m_catalogue.get());
    dialog.Mode = 0;
    dialog.show();
    enter(dialog, name);

    QCOMPARE(m_messages->titles(), titleKey.isEmpty() ? QStringList() : QStringList {getMessages(titleKey)});
    QCOMPARE(stored(), categories);
    QCOMPARE(dialog.isVisible(), !titleKey.isEmpty());
    if (titleKey.isEmpty()) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(m_catalogue->categoryExists(name));
    } else {
        QCOMPARE(dialog.focusWidget(), dialog.findChild<QLineEdit *>(QStringLiteral("txtCategoryName")));
    }
}

void TestGuiCategory::editCategory_data()
{
    QTest::addColumn<QString>("oldName");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("titleKey"); // of the box shown, "" for none
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("categories");
    const QStringList before {"World", "arts", "Business"};
    QTest::newRow("renamed") << "World"
                             << "Globe"
                             << "" << true << QStringList {"Globe", "arts", "Business"};
    QTest::newRow("unchanged") << "World"
                               << "World"
                               << "" << true << before;
    // A change of letter case only is not applied.
    QTest::newRow("letter case only") << "World"
                                      << "WORLD"
                                      << "" << true << before;
    QTest::newRow("blanks only") << "World"
                                 << "   "
                                 << "MSG_CATEGORY_NAME_TITLE" << false << before;
    QTest::newRow("name of another category") << "World"
                                              << "Arts"
                                              << "MSG_CATEGORYEXISTS_TITLE" << false << before;
    QTest::newRow("category gone") << "Nowhere"
                                   << "Elsewhere"
                                   << "MSG_ALERT" << false << before;
}

void TestGuiCategory::editCategory()
{
    QFETCH(QString, oldName);
    QFETCH(QString, newName);
    QFETCH(QString, titleKey);
    QFETCH(bool, closes);
    QFETCH(QStringList, categories);
    frmCategory dialog(m_catalogue.get());
    dialog.Mode = 1;
    dialog.CategoryName = oldName;
    dialog.show();
    enter(dialog, newName);

    QCOMPARE(m_messages->titles(), titleKey.isEmpty() ? QStringList() : QStringList {getMessages(titleKey)});
    QCOMPARE(stored(), categories);
    QCOMPARE(dialog.isVisible(), !closes);
}

void TestGuiCategory::enterInTheNameBoxIsOk()
{
    frmCategory dialog(m_catalogue.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("txtCategoryName"));
    QTest::keyClicks(name, QStringLiteral("Travel"));
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QVERIFY(stored().contains(QStringLiteral("Travel")));
}

void TestGuiCategory::cancelChangesNothing()
{
    const QByteArray before = m_home->read(QStringLiteral("feeds.fdb"));
    frmCategory dialog(m_catalogue.get());
    dialog.Mode = 1;
    dialog.CategoryName = QStringLiteral("World");
    dialog.show();
    dialog.findChild<QLineEdit *>(QStringLiteral("txtCategoryName"))->setText(QStringLiteral("Globe"));
    dialog.findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(m_home->read(QStringLiteral("feeds.fdb")), before);
    QCOMPARE(m_messages->count(), 0);
}

void TestGuiCategory::newCategoryShowsInTheTreeInOrder()
{
    frmMain main;
    frmCategory dialog(main.catalogue(), &main);
    dialog.show();
    enter(dialog, QStringLiteral("Cooking"));
    QVERIFY(!dialog.isVisible());
    QTreeWidgetItem *root = main.optionBar()->tvCategories()->topLevelItem(0);
    QStringList order;
    for (int i = 0; i < root->childCount(); ++i)
        order << root->child(i)->text(0);
    QCOMPARE(order, (QStringList {"arts", "Business", "Cooking", "World"}));
}

QTEST_MAIN(TestGuiCategory)
#include "tst_gui_category.moc"
