// The scheduler settings dialog: loading the stored settings and the
// catalogue, its refusals and questions, and the save with the timer hook.

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "i18n/Languages.h"
#include "scheduler/ui/frmScheduler.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace ShellFixture;
using Messages::Answer;

namespace
{

QByteArray schdl(int ena, int frq, int alr, int snd, const QList<FeedRecord> &feeds)
{
    QByteArray text = QStringLiteral("[schdl]\r\nena=%1\r\nfrq=%2\r\nalr=%3\r\nsnd=%4\r\nsfl=x.wav\r\n")
                          .arg(ena)
                          .arg(frq)
                          .arg(alr)
                          .arg(snd)
                          .toUtf8();
    for (int k = 0; k < feeds.size(); ++k)
        text += QStringLiteral("s_%1=%2\r\n")
                    .arg(k + 1)
                    .arg(mSettings::feedRecordToText(feeds.at(k)))
                    .toUtf8();
    return text;
}

FeedRecord planet()
{
    return {QString(), QStringLiteral("http://127.0.0.1:9/planet.xml"), 0, planetId,
        QStringLiteral("Daily Planet")};
}

void doubleClick(QTreeWidget *list, int row)
{
    QTreeWidgetItem *item = list->topLevelItem(row);
    const QPoint at = list->visualItemRect(item).center();
    // A view takes a double-click only on the item the click before it pressed.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestGuiScheduler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(m_settings); }
    void init()
    {
        m_home = std::make_unique<TempHome>();
        writeCatalogue(*m_home);
        m_catalogue = std::make_unique<Catalogue>();
        m_catalogue->reload();
        m_messages = std::make_unique<MessageRecorder>();
        m_hookCalls = 0;
        mSettings::setSchedulerSavedHook([this] { ++m_hookCalls; });
    }
    void cleanup()
    {
        mSettings::setSchedulerSavedHook({});
        m_dialog.reset();
        m_messages.reset();
        m_catalogue.reset();
        m_home.reset();
    }

    void loadsSettingsAndFeeds_data()
    {
        QTest::addColumn<int>("ena");
        QTest::addColumn<int>("alr");
        QTest::newRow("on, pop-up") << 1 << 1;
        QTest::newRow("off, no pop-up") << 0 << 0;
    }
    void loadsSettingsAndFeeds()
    {
        QFETCH(int, ena);
        QFETCH(int, alr);
        m_home->write(QStringLiteral("AppCfg.cfg"), schdl(ena, 3, alr, 1, {planet()}));
        open();
        QCOMPARE(m_dialog->windowTitle(), getMessages(QStringLiteral("CAPTION_FRMSCHEDULER")));
        QCOMPARE(sources()->topLevelItemCount(), 4);
        QCOMPARE(sources()->topLevelItem(1)->text(0), QStringLiteral("Gallery Notes"));
        QCOMPARE(schedule()->topLevelItemCount(), 1);
        QCOMPARE(schedule()->topLevelItem(0)->text(0), QStringLiteral("Daily Planet"));
        QCOMPARE(box("chkEnableScheduler")->isChecked(), ena == 1);
        QCOMPARE(m_dialog->findChild<QComboBox *>(QStringLiteral("cmbInterval"))->currentIndex(), 3);
        for (QGroupBox *step : m_dialog->findChildren<QGroupBox *>(QStringLiteral("fmContainer")))
            QCOMPARE(step->isEnabled(), ena == 1);
        QCOMPARE(box("chkSound")->isEnabled(), alr == 1);
        QVERIFY(box("chkSound")->isChecked());
    }

    void addingTwiceIsRefused()
    {
        m_home->write(QStringLiteral("AppCfg.cfg"), schdl(1, 0, 1, 0, {}));
        open();
        doubleClick(sources(), 2);
        QCOMPARE(schedule()->topLevelItemCount(), 1);
        QCOMPARE(schedule()->topLevelItem(0)->data(0, Qt::UserRole + 1).toString(), alphaId);
        doubleClick(sources(), 2);
        QCOMPARE(schedule()->topLevelItemCount(), 1);
        QCOMPARE(m_messages->last().title, getMessages(QStringLiteral("MSG_SCHEDULER_INLIST_TITLE")));
    }

    // Enter adds and removes as a double-click does, and leaves OK alone.
    void keysAddAndRemove()
    {
        m_home->write(QStringLiteral("AppCfg.cfg"), schdl(1, 0, 1, 0, {}));
        open();
        sources()->setCurrentItem(sources()->topLevelItem(2));
        QTest::keyClick(sources(), Qt::Key_Return);
        QCOMPARE(schedule()->topLevelItemCount(), 1);
        QVERIFY(m_dialog->isVisible());
        m_messages->script({Answer::Yes});
        schedule()->setCurrentItem(schedule()->topLevelItem(0));
        QTest::keyClick(schedule(), Qt::Key_Delete);
        QCOMPARE(schedule()->topLevelItemCount(), 0);
        QCOMPARE(m_hookCalls, 0);
    }

    void removalAsksWithTheCaption()
    {
        FeedRecord quoted = planet();
        quoted.FeedCaption = QStringLiteral("The \"Big\" News");
        m_home->write(QStringLiteral("AppCfg.cfg"), schdl(1, 0, 1, 0, {quoted}));
        open();
        m_messages->script({Answer::No, Answer::Yes});
        doubleClick(schedule(), 0);
        QCOMPARE(m_messages->last().text,
            QStringLiteral("Are you sure you want to Remove \"The \"Big\" News\" from Schedule List?"));
        QCOMPARE(schedule()->topLevelItemCount(), 1);
        doubleClick(schedule(), 0);
        QCOMPARE(schedule()->topLevelItemCount(), 0);
    }

    // The refusals of OK leave the dialog open and nothing saved.
    void okRefusals_data()
    {
        QTest::addColumn<int>("frq");
        QTest::addColumn<bool>("withFeed");
        QTest::addColumn<QString>("titleKey");
        QTest::newRow("no sources") << 2 << false << "MSG_SCHEDULER_NOSOURCES_TITLE";
        QTest::newRow("no interval") << -1 << true << "MSG_SCHEDULER_FREQUENCY_TITLE";
    }
    void okRefusals()
    {
        QFETCH(int, frq);
        QFETCH(bool, withFeed);
        QFETCH(QString, titleKey);
        m_home->write(QStringLiteral("AppCfg.cfg"),
            schdl(1, frq, 1, 0, withFeed ? QList<FeedRecord> {planet()} : QList<FeedRecord> {}));
        open();
        const QByteArray before = m_home->read(QStringLiteral("AppCfg.cfg"));
        clickOk();
        QCOMPARE(m_messages->titles(), QStringList {getMessages(titleKey)});
        QCOMPARE(m_dialog->result(), 0);
        QCOMPARE(m_home->read(QStringLiteral("AppCfg.cfg")), before);
        QCOMPARE(m_hookCalls, 0);
    }

    // Disabling asks first; with an empty list it saves "ena" = 0, and the
    // sound box keeps its value while the pop-up is off.
    void disablingSaves_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("no") << Answer::No;
        QTest::newRow("yes") << Answer::Yes;
    }
    void disablingSaves()
    {
        QFETCH(Answer, answer);
        m_home->write(QStringLiteral("AppCfg.cfg"), schdl(0, 5, 0, 1, {}));
        open();
        m_messages->script({answer, Answer::Ok});
        clickOk();
        QCOMPARE(
            m_messages->entries().first().title, getMessages(QStringLiteral("MSG_SCHEDULER_DISABLE_TITLE")));
        QCOMPARE(m_hookCalls, answer == Answer::Yes ? 1 : 0);
        if (answer == Answer::No)
            return;
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_messages->last().text, getMessages(QStringLiteral("MSG_SCHEDULERSAVED")));
        const auto saved = mSettings::readSchedulerSettings(m_home->file("AppCfg.cfg"), m_home->path(), true);
        QCOMPARE(saved.Enabled, 0);
        QCOMPARE(saved.Interval, 5);
        QCOMPARE(saved.Alert, 0);
        QCOMPARE(saved.Sound, 1);
        QVERIFY(saved.Feeds.isEmpty());
    }

    void enabledSaveWritesTheListInOrder()
    {
        m_home->write(QStringLiteral("AppCfg.cfg"), schdl(1, 1, 1, 0, {planet()}));
        open();
        doubleClick(sources(), 3);
        doubleClick(sources(), 1);
        m_messages->script({Answer::Ok});
        clickOk();
        QCOMPARE(m_hookCalls, 1);
        const auto saved = mSettings::readSchedulerSettings(m_home->file("AppCfg.cfg"), m_home->path(), true);
        QCOMPARE(saved.Enabled, 1);
        QCOMPARE(saved.SoundFile, m_home->file(QStringLiteral("notify.wav")));
        QCOMPARE(saved.Feeds.size(), 3);
        QCOMPARE(saved.Feeds.at(0), planet());
        QCOMPARE(saved.Feeds.at(1).FeedID, zetaId);
        QCOMPARE(saved.Feeds.at(2).FeedType, qint16(1));
        QCOMPARE(saved.Feeds.at(2).FeedCaption, QStringLiteral("Gallery Notes"));
        QVERIFY(saved.Feeds.at(2).FeedURL.endsWith(QStringLiteral("/gallery.xml")));
    }

    void cancelSavesNothing()
    {
        open();
        doubleClick(sources(), 0);
        QTest::mouseClick(m_dialog->findChild<QPushButton *>(QStringLiteral("btnCancel")), Qt::LeftButton);
        QVERIFY(!QFile::exists(m_home->file(QStringLiteral("AppCfg.cfg"))));
        QCOMPARE(m_hookCalls, 0);
    }

private:
    void open()
    {
        m_dialog = std::make_unique<frmScheduler>(m_catalogue.get());
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }
    void clickOk()
    {
        QTest::mouseClick(m_dialog->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    }
    QTreeWidget *sources() { return m_dialog->findChild<QTreeWidget *>(QStringLiteral("lstSources")); }
    QTreeWidget *schedule() { return m_dialog->findChild<QTreeWidget *>(QStringLiteral("lstSchedule")); }
    QCheckBox *box(const char *name) { return m_dialog->findChild<QCheckBox *>(QLatin1String(name)); }

    QTemporaryDir m_settings;
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<Catalogue> m_catalogue;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<frmScheduler> m_dialog;
    int m_hookCalls = 0;
};

QTEST_MAIN(TestGuiScheduler)
#include "tst_gui_scheduler.moc"
