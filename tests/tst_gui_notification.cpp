// The notification pop-up: transparency, its place in the work area, the
// slide by steps, several at once, a click on a line, and the focus left
// where it was.

#include "scheduler/ui/frmNotification.h"
#include "support/TempHome.h"
#include "tst_gui_shell_fixture.h"

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace
{

// A pop-up whose timers never fire by themselves: the test steps it.
frmNotification *steppedPopup()
{
    auto *popup = new frmNotification;
    popup->show();
    popup->findChild<QTimer *>(QStringLiteral("tmrAnimate"))->setInterval(24 * 3600 * 1000);
    return popup;
}

void openFully(frmNotification *popup)
{
    for (int i = 0; i < 1000 && popup->heightTwips() < popup->FullHeight(); ++i)
        popup->animateStep();
    popup->animateStep();
}

} // namespace

class TestGuiNotification : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ShellFixture::isolateSettings(m_settings); }
    void init() { m_home = std::make_unique<TempHome>(); }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            delete qobject_cast<frmNotification *>(w);
        m_home.reset();
    }

    void alphaRule_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("alpha");
        QTest::newRow("opaque") << 0 << 255;
        QTest::newRow("scheduled run") << 10 << 230;
        QTest::newRow("fully transparent") << 100 << 0;
        QTest::newRow("below zero") << 150 << 1;
    }
    void alphaRule()
    {
        QFETCH(int, percent);
        QFETCH(int, alpha);
        QCOMPARE(frmNotification::transparencyAlpha(percent), alpha);
        frmNotification popup;
        popup.setMakeTransparent(true);
        popup.setTransparencyPercentage(qint16(percent));
        popup.show();
        QCOMPARE(qRound(popup.windowOpacity() * 255), alpha);
    }

    void positionAtBottomRight_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::newRow("origin") << QRect(0, 0, 800, 600);
        QTest::newRow("offset") << QRect(100, 40, 1024, 700);
    }
    void positionAtBottomRight()
    {
        QFETCH(QRect, area);
        frmNotification popup;
        popup.PositionWindow(area);
        const double tpp = frmNotification::twipsPerPixel(QGuiApplication::primaryScreen());
        QCOMPARE(popup.x() + popup.width(), area.x() + area.width() - qRound(75 / tpp));
        QCOMPARE(popup.y() + popup.height(), area.y() + area.height());
    }

    // Grows by 100 twips a step with its bottom on the work area's, stops at
    // the full height rounded up to a step, and shrinks away on close.
    void slidesBySteps()
    {
        QPointer<frmNotification> popup = steppedPopup();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(popup->workArea(), area);
        QCOMPARE(popup->heightTwips(), 0);
        popup->animateStep();
        popup->animateStep();
        QCOMPARE(popup->heightTwips(), 200);
        QCOMPARE(popup->y() + popup->height(), area.y() + area.height());
        openFully(popup);
        QCOMPARE(popup->heightTwips(), (popup->FullHeight() + 99) / 100 * 100);
        QVERIFY(!popup->findChild<QTimer *>(QStringLiteral("tmrAnimate"))->isActive());
        QVERIFY(!popup->findChild<QTimer *>(QStringLiteral("tmrWait"))->isActive());
        QTest::mouseClick(popup->findChild<QLabel *>(QStringLiteral("lblClose")), Qt::LeftButton);
        QCOMPARE(popup->AnimationState(), int(frmNotification::Closing));
        const int open = popup->heightTwips();
        popup->animateStep();
        QCOMPARE(popup->heightTwips(), open - 100);
        for (int i = 0; i < 1000 && popup && popup->isVisible(); ++i)
            popup->animateStep();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(popup.isNull());
    }

    void closeWhileGrowingReverses()
    {
        frmNotification *popup = steppedPopup();
        popup->animateStep();
        popup->animateStep();
        QTest::mouseClick(popup->findChild<QLabel *>(QStringLiteral("picClose")), Qt::LeftButton);
        popup->animateStep();
        QCOMPARE(popup->heightTwips(), 100);
    }

    void autoClose_data()
    {
        QTest::addColumn<int>("timeToLive");
        QTest::addColumn<bool>("waits");
        QTest::newRow("time to live") << 5000 << true;
        QTest::newRow("zero never closes") << 0 << false;
    }
    void autoClose()
    {
        QFETCH(int, timeToLive);
        QFETCH(bool, waits);
        auto *popup = new frmNotification;
        popup->setAutoClose(true);
        popup->setTimeToLive(timeToLive);
        popup->show();
        popup->findChild<QTimer *>(QStringLiteral("tmrAnimate"))->setInterval(24 * 3600 * 1000);
        QVERIFY(popup->findChild<QLabel *>(QStringLiteral("lblClose"))->isHidden());
        openFully(popup);
        QCOMPARE(popup->findChild<QTimer *>(QStringLiteral("tmrWait"))->isActive(), waits);
    }

    void severalAtOnceAndLineClicks()
    {
        NewItemsNotification note;
        note.feeds = {{QStringLiteral("Tech News"), 3, ShellFixture::planetId},
            {QStringLiteral("Arts"), 1, ShellFixture::galleryId}};
        frmNotification *first = frmNotification::announce(note);
        frmNotification *second = frmNotification::announce(note);
        QVERIFY(first != second);
        QVERIFY(first->isVisible() && second->isVisible());
        QCOMPARE(first->windowOpacity() * 255, 230.0);
        auto *list = second->findChild<QListWidget *>(QStringLiteral("lstResult"));
        QCOMPARE(list->item(0)->text(), QStringLiteral("Tech News -- 3 New Items"));
        QSignalSpy chosen(second, &frmNotification::feedChosen);
        QSignalSpy other(first, &frmNotification::feedChosen);
        openFully(second);
        second->resize(second->width(), 400);
        list->scrollToItem(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.first().first().toString(), ShellFixture::galleryId);
        QCOMPARE(other.count(), 0);
    }

    void takesNoFocus()
    {
        QWidget user;
        user.show();
        user.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&user));
        frmNotification *popup = steppedPopup();
        QVERIFY(popup->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(popup->windowFlags() & Qt::WindowStaysOnTopHint);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), &user);
        // Even when activated, it hands the keyboard back.
        popup->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &user);
    }

    void soundFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("started");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("broken") << QByteArray("not a wave file") << true;
    }
    void soundFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, started);
        if (!bytes.isEmpty())
            m_home->write(QStringLiteral("notify.wav"), bytes);
        frmNotification popup;
        popup.setPlaySound(true);
        popup.setSoundFilePath(m_home->file(QStringLiteral("notify.wav")));
        popup.show();
        QCOMPARE(popup.soundStarted(), started);
        QTest::qWait(50); // the player reports the broken file; nothing falls over
    }

private:
    QTemporaryDir m_settings;
    std::unique_ptr<TempHome> m_home;
};

QTEST_MAIN(TestGuiNotification)
#include "tst_gui_notification.moc"
