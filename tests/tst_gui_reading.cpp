#include "feeds/FeedFile.h"
#include "i18n/Languages.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "viewer/ItemRows.h"
#include "viewer/ui/ItemListModel.h"
#include "viewer/ui/frmViewFeed.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace
{

const QString kFeedId = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000B");
const QString kDataFile = QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb");

QByteArray fixture(const QString &name)
{
    return TempHome::fixture(QStringLiteral("viewer/") + name);
}

// Three unread items, newest first: a long one that takes several pages of
// the preview, then two short ones.
QByteArray walkFile()
{
    QByteArray longText;
    for (int i = 0; i < 150; ++i)
        longText += "&lt;p&gt;Paragraph " + QByteArray::number(i) + " of a long article.&lt;/p&gt;";
    const auto item = [](const char *id, const char *title, const char *date, const QByteArray &desc) {
        return QByteArray("<item id=\"") + id + "\" status=\"0\"><title>" + title
            + "</title><link>http://example.test/" + id + "</link><date>" + date + "</date><desc>" + desc
            + "</desc><media></media></item>";
    };
    return "<data><items>" + item("aaaa", "Long read", "2003-Jun-10T04:00:00", longText)
        + item("bbbb", "Short one", "2003-Jun-09T04:00:00", "Short body")
        + item("cccc", "Third one", "2003-Jun-08T04:00:00", "Third body")
        + "</items><latest>20030610040000</latest></data>";
}

ItemListModel::Rows modelRows(const QStringList &titles)
{
    QVector<ItemRow> rows;
    for (int i = 0; i < titles.size(); ++i) {
        ItemRow row;
        row.title = titles.at(i);
        row.id = QString::number(i);
        row.dateSort = QStringLiteral("200301010000%1").arg(i, 2, 10, QLatin1Char('0'));
        row.dateOrder = dateOrderOf(row.dateSort);
        row.filterText = filterTextOf(row.title);
        rows.append(row);
    }
    return ItemListModel::makeRows(rows);
}

QStringList modelTitles(const ItemListModel &model)
{
    QStringList titles;
    for (int row = 0; row < model.rowCount(); ++row)
        titles << model.row(row).title;
    return titles;
}

} // namespace

// Reading in the feed window: marks, the next unread item, the filter.
class tst_GuiReading : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void filterTexts_data();
    void filterTexts();
    void filteredModelFollowsChanges_data();
    void filteredModelFollowsChanges();
    void markAllRead();
    void markAsUnread();
    void unreadCountIsTold_data();
    void unreadCountIsTold();
    void markAllReadWithoutWindow();
    void openWindowFollowsMarkAllRead();
    void nextUnreadWithN_data();
    void nextUnreadWithN();
    void spacePagesThenMovesOn_data();
    void spacePagesThenMovesOn();
    void filterList_data();
    void filterList();
    void clearingFilterKeepsSelection();
    void actionsOnFilteredList();

private:
    frmViewFeed *openWindow(const QString &url = QString());
    QTreeView *list() const { return m_window->findChild<QTreeView *>(QStringLiteral("lstItems")); }
    ItemListModel *model() const { return qobject_cast<ItemListModel *>(list()->model()); }
    QStringList titles() const { return modelTitles(*model()); }
    QString selectedTitle() const;
    void select(const QString &title);
    bool waitForPreview();
    int storedUnread() const { return int(m_home->read(kDataFile).count("status=\"0\"")); }
    // The preview's vertical scroll position, asked of the page.
    int scrollY();

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<LoopbackServer> m_server;
    QPointer<frmViewFeed> m_window;
};

void tst_GuiReading::init()
{
    m_home = std::make_unique<TempHome>();
    m_home->write(QStringLiteral("view.tpl"), fixture(QStringLiteral("view.tpl")));
    m_home->write(kDataFile, fixture(QStringLiteral("stored.fdb")));
    m_messages = std::make_unique<MessageRecorder>();
    m_server = std::make_unique<LoopbackServer>();
    m_server->serve(QStringLiteral("/feed"), fixture(QStringLiteral("feed.xml")));
    FeedFile::setSaveDelay(20);
}

void tst_GuiReading::cleanup()
{
    delete m_window;
    FeedFile::saveAll();
    m_server.reset();
    m_messages.reset();
    m_home.reset();
}

frmViewFeed *tst_GuiReading::openWindow(const QString &url)
{
    auto *window = new frmViewFeed;
    window->setFeedID(kFeedId);
    window->setFeedURL(url);
    window->setFeedCaption(QStringLiteral("Feed"));
    window->setCheckForNewItems(false);
    window->setLoadDelay(1);
    window->setConnectionTest([] { return true; });
    window->resize(800, 600);
    m_window = window;
    QSignalSpy finished(window, &frmViewFeed::cycleFinished);
    window->show();
    if (!finished.wait(20000))
        return nullptr;
    return window;
}

QString tst_GuiReading::selectedTitle() const
{
    const QModelIndexList rows = list()->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : rows.constFirst().data().toString();
}

void tst_GuiReading::select(const QString &title)
{
    const int row = titles().indexOf(title);
    QVERIFY2(row >= 0, qPrintable(title));
    list()->selectionModel()->setCurrentIndex(
        model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool tst_GuiReading::waitForPreview()
{
    QSignalSpy shown(m_window.data(), &frmViewFeed::previewShown);
    return shown.wait(20000);
}

int tst_GuiReading::scrollY()
{
    int value = -1;
    auto *view = m_window->findChild<QWebEngineView *>(QStringLiteral("ucPreview"));
    view->page()->runJavaScript(QStringLiteral("window.scrollY"), QWebEngineScript::ApplicationWorld,
        [&value](const QVariant &answer) { value = answer.toInt(); });
    if (!QTest::qWaitFor([&] { return value >= 0; }, 10000))
        return -1;
    return value;
}

// What the filter looks in: the title and the description's words.

void tst_GuiReading::filterTexts_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("expected");
    QTest::newRow("title only") << "Big NEWS" << QString() << "big news";
    QTest::newRow("markup left out") << "T"
                                     << "<p>One <b>bold</b></p>two"
                                     << "t\n one  bold  two";
    QTest::newRow("entities kept") << "T"
                                   << "a &amp; b"
                                   << "t\na &amp; b";
    QTest::newRow("letters beyond ASCII")
        << "STRASSE Ärger" << QString() << QString::fromUtf8("strasse ärger");
    QTest::newRow("unclosed tag") << "T"
                                  << "text <b never closed"
                                  << "t\ntext ";
}

void tst_GuiReading::filterTexts()
{
    QFETCH(QString, title);
    QFETCH(QString, description);
    QFETCH(QString, expected);
    QCOMPARE(filterTextOf(title, description), expected);
}

// The filtered model under the changes the window makes while it filters.

void tst_GuiReading::filteredModelFollowsChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("none") << "" << QStringList {"apple pie", "Apple tart"};
    QTest::newRow("narrower") << "narrow" << QStringList {"Apple tart"};
    QTest::newRow("wider again") << "wider" << QStringList {"apple pie", "Apple tart", "apricot"};
    QTest::newRow("sorted") << "sort" << QStringList {"Apple tart", "apple pie"};
    QTest::newRow("inserted") << "insert" << QStringList {"apple crumble", "apple pie", "Apple tart"};
    QTest::newRow("removed") << "remove" << QStringList {"Apple tart"};
    QTest::newRow("cleared") << "clear" << QStringList {"apple pie", "banana", "Apple tart", "apricot"};
}

void tst_GuiReading::filteredModelFollowsChanges()
{
    QFETCH(QString, change);
    QFETCH(QStringList, expected);
    ItemListModel model;
    model.setRows(modelRows({"apple pie", "banana", "Apple tart", "apricot"}));
    model.setFilter(QStringLiteral("APPLE"));
    if (change == QLatin1String("narrow")) {
        model.setFilter(QStringLiteral("apple t"));
    } else if (change == QLatin1String("wider")) {
        model.setFilter(QStringLiteral("apple t"));
        model.setFilter(QStringLiteral("ap"));
    } else if (change == QLatin1String("sort")) {
        model.sort(ItemListModel::DateSortColumn, Qt::DescendingOrder);
    } else if (change == QLatin1String("insert")) {
        model.insertAtTop(modelRows({"cherry", "apple crumble"}));
    } else if (change == QLatin1String("remove")) {
        model.removeItem(0);
    } else if (change == QLatin1String("clear")) {
        model.setFilter(QString());
    }
    QCOMPARE(modelTitles(model), expected);
    // The rows shown are the rows asked for by number.
    for (int row = 0; row < model.rowCount(); ++row)
        QCOMPARE(model.index(row, 0).data().toString(), expected.at(row));
}

// Marks

void tst_GuiReading::markAllRead()
{
    QVERIFY(openWindow());
    QCOMPARE(storedUnread(), 4);
    select(QStringLiteral("Alpha release"));
    m_window->HandlePopupMenu(QStringLiteral("allread"));
    for (int row = 0; row < model()->rowCount(); ++row) {
        QVERIFY(model()->row(row).read);
        QVERIFY(!model()->index(row, 0).data(Qt::FontRole).value<QFont>().bold());
    }
    QTRY_COMPARE(storedUnread(), 0);
    QCOMPARE(m_messages->count(), 0);
}

void tst_GuiReading::markAsUnread()
{
    QVERIFY(openWindow());
    select(QStringLiteral("beta & <gamma>"));
    m_window->HandlePopupMenu(QStringLiteral("unread"));
    const int row = titles().indexOf(QStringLiteral("beta & <gamma>"));
    QVERIFY(!model()->row(row).read);
    QVERIFY(model()->index(row, 0).data(Qt::FontRole).value<QFont>().bold());
    QTRY_COMPARE(storedUnread(), 5);
    // Listed again from the file, it stays unread.
    delete m_window;
    QVERIFY(openWindow());
    QVERIFY(!model()->row(titles().indexOf(QStringLiteral("beta & <gamma>"))).read);
    // Without a selection there is nothing to mark: the box says so.
    list()->selectionModel()->clear();
    m_window->HandlePopupMenu(QStringLiteral("unread"));
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, QStringLiteral("HandlePopupMenu Function"));
}

void tst_GuiReading::unreadCountIsTold_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("expected");
    QTest::newRow("reading one") << "read" << 3;
    QTest::newRow("deleting an unread one") << "delete" << 3;
    QTest::newRow("merging new ones") << "merge" << 7;
    QTest::newRow("marking all read") << "allread" << 0;
    QTest::newRow("marking one unread") << "unread" << 5;
}

void tst_GuiReading::unreadCountIsTold()
{
    QFETCH(QString, change);
    QFETCH(int, expected);
    QSignalSpy told(FeedFile::notifier(), &FeedFileNotifier::unreadChanged);
    QVERIFY(openWindow(m_server->url(QStringLiteral("/feed"))));
    QTRY_VERIFY(!told.isEmpty());
    QCOMPARE(told.last().at(0).toString(), kFeedId);
    QCOMPARE(told.last().at(1).toInt(), 4); // as listed
    if (change == QLatin1String("read")) {
        select(QStringLiteral("Alpha release"));
        m_window->HandlePopupMenu(QStringLiteral("show"));
    } else if (change == QLatin1String("delete")) {
        select(QStringLiteral("Alpha release"));
        m_window->HandlePopupMenu(QStringLiteral("del"));
    } else if (change == QLatin1String("merge")) {
        m_window->setCheckForNewItems(true);
        QSignalSpy finished(m_window.data(), &frmViewFeed::cycleFinished);
        m_window->LoadFeedData(false);
        QVERIFY(finished.wait(20000));
    } else {
        select(QStringLiteral("beta & <gamma>"));
        m_window->HandlePopupMenu(change);
    }
    QTRY_COMPARE(told.last().at(1).toInt(), expected);
    QCOMPARE(told.last().at(0).toString(), kFeedId);
    // What was told is what the file holds.
    FeedFile::saveAll();
    QTRY_COMPARE(storedUnread(), expected);
}

// From the tree: no window, several feeds at once.
void tst_GuiReading::markAllReadWithoutWindow()
{
    const QString otherId = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000C");
    const QString otherFile = QStringLiteral("Data/") + otherId + QStringLiteral(".fdb");
    m_home->write(otherFile, walkFile());
    QSignalSpy told(FeedFile::notifier(), &FeedFileNotifier::unreadChanged);
    FeedFile::markAllRead({kFeedId, otherId, QStringLiteral("not a feed id")});
    QTRY_COMPARE(storedUnread(), 0);
    QTRY_COMPARE(m_home->read(otherFile).count("status=\"0\""), 0);
    QTRY_COMPARE(told.size(), 3); // the name that is no FeedID names an empty file
    for (const QList<QVariant> &one : std::as_const(told))
        QCOMPARE(one.at(1).toInt(), 0);
    // Asked for, a count is told even when it did not change.
    told.clear();
    FeedFile::announceUnread({otherId});
    QTRY_COMPARE(told.size(), 1);
    QCOMPARE(told.last(), (QList<QVariant> {otherId, 0}));
    // A window opened afterwards lists them read.
    QVERIFY(openWindow());
    for (int row = 0; row < model()->rowCount(); ++row)
        QVERIFY(model()->row(row).read);
}

// A window open while the tree marks its feed read shows the marks.
void tst_GuiReading::openWindowFollowsMarkAllRead()
{
    QVERIFY(openWindow());
    FeedFile::markAllRead({kFeedId});
    QTRY_VERIFY(!model()->index(0, 0).data(Qt::FontRole).value<QFont>().bold());
    for (int row = 0; row < model()->rowCount(); ++row)
        QVERIFY(model()->row(row).read);
}

// The next unread item

void tst_GuiReading::nextUnreadWithN_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("expected");
    // Listed newest first: Alpha, Charlie, beta (read), echo, then Delta
    // (no time, so no key).
    QTest::newRow("from no selection")
        << QString()
        << QStringList {"Alpha release", "Charlie has no link", "echo [[link]] odd", "Delta without time"};
    QTest::newRow("from the middle, wrapping")
        << "beta & <gamma>"
        << QStringList {"echo [[link]] odd", "Delta without time", "Alpha release", "Charlie has no link"};
}

void tst_GuiReading::nextUnreadWithN()
{
    QFETCH(QString, start);
    QFETCH(QStringList, expected);
    QVERIFY(openWindow());
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    if (!start.isEmpty())
        select(start);
    QSignalSpy nextFeed(m_window.data(), &frmViewFeed::nextFeedWithUnreadRequested);
    QStringList shown;
    for (int i = 0; i < expected.size(); ++i) {
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_N);
        QVERIFY(waitForPreview());
        shown << m_window->CurrentItem().Title;
        QCOMPARE(selectedTitle(), shown.last());
    }
    QCOMPARE(shown, expected);
    QCOMPARE(nextFeed.count(), 0);
    QTest::keyClick(list(), Qt::Key_N);
    QCOMPARE(nextFeed.count(), 1);
    QTRY_COMPARE(storedUnread(), 0);
}

void tst_GuiReading::spacePagesThenMovesOn_data()
{
    QTest::addColumn<bool>("inPreview");
    QTest::newRow("in the list") << false;
    QTest::newRow("in the preview") << true;
}

void tst_GuiReading::spacePagesThenMovesOn()
{
    QFETCH(bool, inPreview);
    m_home->write(kDataFile, walkFile());
    QVERIFY(openWindow());
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QSignalSpy nextFeed(m_window.data(), &frmViewFeed::nextFeedWithUnreadRequested);
    const auto press = [&] {
        QWidget *target = list();
        if (inPreview) {
            target = m_window->findChild<QWebEngineView *>(QStringLiteral("ucPreview"))->focusProxy();
            target->setFocus();
        }
        QTest::keyClick(target, Qt::Key_Space);
    };
    // Nothing shown yet: Space goes to the first unread item.
    QTest::keyClick(list(), Qt::Key_Space);
    QVERIFY(waitForPreview());
    QCOMPARE(selectedTitle(), QStringLiteral("Long read"));
    // Page by page down the long item, then on to the next one.
    int pages = 0;
    int position = scrollY();
    while (selectedTitle() == QLatin1String("Long read") && pages < 60) {
        press();
        QTRY_VERIFY(scrollY() > position || selectedTitle() != QLatin1String("Long read"));
        position = scrollY();
        ++pages;
    }
    QVERIFY2(pages > 2, qPrintable(QString::number(pages)));
    QCOMPARE(selectedTitle(), QStringLiteral("Short one"));
    QTRY_COMPARE(m_window->CurrentItem().Title, QStringLiteral("Short one"));
    // Short items end on their first page.
    press();
    QTRY_COMPARE(m_window->CurrentItem().Title, QStringLiteral("Third one"));
    press();
    QTRY_COMPARE(nextFeed.count(), 1);
    QCOMPARE(selectedTitle(), QStringLiteral("Third one"));
}

// The filter

void tst_GuiReading::filterList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("title") << "alpha" << QStringList {"Alpha release"};
    QTest::newRow("other case") << "ALPHA REL" << QStringList {"Alpha release"};
    QTest::newRow("description") << "body"
                                 << QStringList {
                                        "Charlie has no link", "echo [[link]] odd", "Delta without time"};
    QTest::newRow("word inside markup") << "BOLD" << QStringList {"Alpha release"};
    QTest::newRow("markup itself") << "img src" << QStringList {};
    QTest::newRow("no match") << "zzz" << QStringList {};
}

void tst_GuiReading::filterList()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QVERIFY(openWindow());
    auto *filter = m_window->findChild<QLineEdit *>(QStringLiteral("txtFilter"));
    QVERIFY(filter);
    QCOMPARE(filter->placeholderText(), getMessages(QStringLiteral("MSG_READ_FILTER")));
    const QStringList all = titles();
    // The descriptions join the titles shortly after the filter is first
    // used; "body" is only in descriptions.
    filter->setText(QStringLiteral("body"));
    QTRY_COMPARE(titles().size(), 3);
    filter->clear();
    QTest::keyClicks(filter, text);
    QCOMPARE(titles(), expected);
    filter->clear();
    QCOMPARE(titles(), all);
}

void tst_GuiReading::clearingFilterKeepsSelection()
{
    QVERIFY(openWindow());
    auto *filter = m_window->findChild<QLineEdit *>(QStringLiteral("txtFilter"));
    filter->setText(QStringLiteral("charlie"));
    QCOMPARE(titles(), QStringList {"Charlie has no link"});
    select(QStringLiteral("Charlie has no link"));
    filter->setText(QStringLiteral("charl"));
    QCOMPARE(selectedTitle(), QStringLiteral("Charlie has no link"));
    filter->clear();
    QCOMPARE(titles().size(), 5);
    QCOMPARE(selectedTitle(), QStringLiteral("Charlie has no link"));
    // Filtered away, it is no longer selected.
    filter->setText(QStringLiteral("alpha"));
    QCOMPARE(selectedTitle(), QString());
}

// Actions take the item selected in the filtered list, not the one at the
// same place in the whole list.
void tst_GuiReading::actionsOnFilteredList()
{
    QVERIFY(openWindow());
    auto *filter = m_window->findChild<QLineEdit *>(QStringLiteral("txtFilter"));
    filter->setText(QStringLiteral("echo"));
    QTRY_COMPARE(titles(), QStringList {"echo [[link]] odd"});
    select(QStringLiteral("echo [[link]] odd"));
    m_window->HandlePopupMenu(QStringLiteral("show"));
    QVERIFY(waitForPreview());
    QCOMPARE(m_window->CurrentItem().Title, QStringLiteral("echo [[link]] odd"));
    m_window->HandlePopupMenu(QStringLiteral("unread"));
    QVERIFY(!model()->row(0).read);
    QSignalSpy deleted(m_window.data(), &frmViewFeed::itemDeleted);
    m_window->HandlePopupMenu(QStringLiteral("del"));
    QVERIFY(deleted.wait(10000));
    QCOMPARE(titles(), QStringList {});
    QVERIFY(!m_home->read(kDataFile).contains("echo [[link]] odd"));
    QVERIFY(m_home->read(kDataFile).contains("Alpha release"));
    // Marking all read reaches the rows the filter hides.
    m_window->HandlePopupMenu(QStringLiteral("allread"));
    filter->clear();
    QCOMPARE(titles().size(), 4);
    for (int row = 0; row < model()->rowCount(); ++row)
        QVERIFY(model()->row(row).read);
    QTRY_COMPARE(storedUnread(), 0);
}

QTEST_MAIN(tst_GuiReading)
#include "tst_gui_reading.moc"
