#pragma once

#include "scheduler/ScheduledCheck.h"

#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QScreen;
class QSoundEffect;
class QSystemTrayIcon;
class QTimer;

// The pop-up that tells which feeds a scheduled run found new items in. It
// slides up out of the bottom-right corner of the screen's work area, stays
// on top without taking the keyboard, and closes by itself after its time
// to live or when the user closes it. Each announcement is a window of its
// own; it deletes itself once it has slid away.
//
// Heights and offsets are in twips (15 to a pixel at 96 dpi), so the slide
// has the same steps on every screen.
class frmNotification : public QWidget
{
    Q_OBJECT
public:
    enum { Opening = 0, Closing = 1 };

    explicit frmNotification(QWidget *parent = nullptr);

    // A new pop-up for a run's announcement, shown at once: it stays until
    // the user closes it, 10 percent transparent, with the sound when asked.
    static frmNotification *announce(const NewItemsNotification &note);

    // Set before the window is shown.
    qint16 TransparencyPercentage() const { return m_transparencyPercentage; }
    void setTransparencyPercentage(qint16 percent) { m_transparencyPercentage = percent; }
    QString SoundFilePath() const { return m_soundFilePath; }
    void setSoundFilePath(const QString &path) { m_soundFilePath = path; }
    bool PlaySound() const { return m_playSound; }
    void setPlaySound(bool play) { m_playSound = play; }
    bool AutoClose() const { return m_autoClose; }
    void setAutoClose(bool autoClose) { m_autoClose = autoClose; }
    int TimeToLive() const { return m_timeToLive; }
    void setTimeToLive(int milliseconds) { m_timeToLive = milliseconds; }
    bool MakeTransparent() const { return m_makeTransparent; }
    void setMakeTransparent(bool transparent) { m_makeTransparent = transparent; }
    bool CanGainFocus() const { return m_canGainFocus; }
    void setCanGainFocus(bool canGainFocus);

    // One line of lstResult; a click on it tells feedChosen(feedId) when it
    // has one.
    void addLine(const QString &text, const QString &feedId = QString());

    // The alpha of a window that is percent transparent: (100 - percent) /
    // 100 * 255, halves to the even neighbour, 1 for anything outside 0..255.
    static int transparencyAlpha(int percent);
    static void SetTransparency(QWidget *window, int percent);
    static double twipsPerPixel(const QScreen *screen);
    // The primary screen's available geometry; empty without a screen.
    static QRect GetWorkArea();
    // Right edge 75 twips left of the work area's right edge, bottom edge on
    // its bottom edge.
    void PositionWindow(const QRect &workArea);

    // One tick of tmrAnimate and of tmrWait, and a click on the close label
    // or picture.
    void animateStep();
    void waitElapsed();
    void closeWindow();

    int FullHeight() const { return m_fullHeight; }
    int heightTwips() const { return m_heightTwips; }
    int AnimationState() const { return m_animationState; }
    QRect workArea() const { return m_workArea; }
    // Whether the sound file was handed to the player.
    bool soundStarted() const { return m_sound != nullptr; }

signals:
    void feedChosen(const QString &feedId);

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Load();
    void PlaySoundFile(const QString &path);
    void setHeightTwips(int twips);
    int toPixels(double twips) const;

    qint16 m_transparencyPercentage = 0;
    QString m_soundFilePath;
    bool m_playSound = false;
    bool m_autoClose = false;
    int m_timeToLive = 0;
    bool m_makeTransparent = false;
    bool m_canGainFocus = false;

    QPointer<QWidget> m_previousForegroundWindow;
    int m_fullHeight = 0;
    int m_heightTwips = 0;
    int m_animationState = Opening;
    QRect m_workArea;
    double m_twipsPerPixel = 15.0;
    bool m_loaded = false;

    QWidget *m_content;
    QListWidget *m_lstResult;
    QLabel *m_lblClose;
    QLabel *m_picClose;
    QTimer *m_tmrAnimate;
    QTimer *m_tmrWait;
    QSoundEffect *m_sound = nullptr;
};

// Announces the lines as a message of the tray icon where the desktop shows
// such messages; false (nothing shown) where it does not.
bool announceInTray(QSystemTrayIcon *tray, const QStringList &lines);
