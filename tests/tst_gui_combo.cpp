#include "util/ui/ComboAutoComplete.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

class TestComboAutoComplete : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void typingCompletesAndHighlightsRest();
    void backspaceStepsBack();
    void enterWithNothingSelectedTakesFirstEntry();
    void enterWithSelectionSelectsAll();
    void escapeAndFullStopEmpty_data();
    void escapeAndFullStopEmpty();
    void noMatch_data();
    void noMatch();

private:
    void type(const QString &text, int cursor);
    std::unique_ptr<QComboBox> m_combo;
};

void TestComboAutoComplete::init()
{
    m_combo = std::make_unique<QComboBox>();
    m_combo->setEditable(true);
    m_combo->addItems({"News", "Podcasts", "Technology", "Tech Blogs"});
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(QString());
}

void TestComboAutoComplete::type(const QString &text, int cursor)
{
    m_combo->setEditText(text);
    m_combo->lineEdit()->setCursorPosition(cursor);
}

void TestComboAutoComplete::typingCompletesAndHighlightsRest()
{
    type("Te", 2);
    int key = 'c';
    mUtil::ComboAutoComplete(m_combo.get(), key, false, false);
    QCOMPARE(key, 0);
    QCOMPARE(m_combo->currentIndex(), 2);
    QCOMPARE(m_combo->currentText(), QStringLiteral("Technology"));
    QCOMPARE(m_combo->lineEdit()->cursorPosition(), 3);
    QCOMPARE(m_combo->lineEdit()->selectedText(), QStringLiteral("hnology"));
}

void TestComboAutoComplete::backspaceStepsBack()
{
    type("Pod", 3);
    int key = 8;
    mUtil::ComboAutoComplete(m_combo.get(), key, false, false);
    QCOMPARE(key, 0);
    QCOMPARE(m_combo->currentText(), QStringLiteral("Podcasts"));
    QCOMPARE(m_combo->lineEdit()->selectedText(), QStringLiteral("dcasts"));

    type("P", 1);
    key = 8;
    mUtil::ComboAutoComplete(m_combo.get(), key, false, false);
    QCOMPARE(key, 0);
    QCOMPARE(m_combo->currentText(), QString());
}

void TestComboAutoComplete::enterWithNothingSelectedTakesFirstEntry()
{
    int key = 13;
    mUtil::ComboAutoComplete(m_combo.get(), key, false, false);
    QCOMPARE(m_combo->currentIndex(), 0);
    QCOMPARE(m_combo->lineEdit()->selectedText(), QStringLiteral("News"));
}

void TestComboAutoComplete::enterWithSelectionSelectsAll()
{
    m_combo->setCurrentIndex(1);
    int key = 13;
    mUtil::ComboAutoComplete(m_combo.get(), key, true, false);
    QCOMPARE(key, 13);
    QCOMPARE(m_combo->lineEdit()->selectedText(), QStringLiteral("Podcasts"));
}

void TestComboAutoComplete::escapeAndFullStopEmpty_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("escape") << 27;
    QTest::newRow("full stop") << 46;
}

void TestComboAutoComplete::escapeAndFullStopEmpty()
{
    QFETCH(int, key);
    type("Tech", 4);
    mUtil::ComboAutoComplete(m_combo.get(), key, false, false);
    QCOMPARE(key, 0);
    QCOMPARE(m_combo->currentText(), QString());
}

void TestComboAutoComplete::noMatch_data()
{
    QTest::addColumn<bool>("limitToList");
    QTest::addColumn<int>("expectedKey");
    QTest::newRow("free text") << false << int('z');
    QTest::newRow("limited") << true << 0;
}

void TestComboAutoComplete::noMatch()
{
    QFETCH(bool, limitToList);
    QFETCH(int, expectedKey);
    type("Ne", 2);
    int key = 'z';
    mUtil::ComboAutoComplete(m_combo.get(), key, limitToList, false);
    QCOMPARE(key, expectedKey);
    QCOMPARE(m_combo->currentText(), QStringLiteral("Ne"));
}

QTEST_MAIN(TestComboAutoComplete)
#include "tst_gui_combo.moc"
