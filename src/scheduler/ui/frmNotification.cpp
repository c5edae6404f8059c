#include "scheduler/ui/frmNotification.h"

#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "util/MessageKeys.h"
#include "util/ui/ShellIcons.h"
#include "util/ui/Twips.h"

#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QSoundEffect>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

#include <cmath>

namespace
{

constexpr int StepTwips = 100;
constexpr int RightMarginTwips = 75;
constexpr int FeedIdRole = Qt::UserRole + 1;

QLabel *label(const QString &name, const QString &text, QWidget *parent)
{
    auto *made = new QLabel(text, parent);
    made->setObjectName(name);
    return made;
}

QLabel *picture(const QString &name, const QPixmap &pixmap, QWidget *parent)
{
    auto *made = new QLabel(parent);
    made->setObjectName(name);
    made->setPixmap(pixmap);
    return made;
}

QTimer *timer(const QString &name, int interval, QObject *parent)
{
    auto *made = new QTimer(parent);
    made->setObjectName(name);
    made->setInterval(interval);
    return made;
}

} // namespace

frmNotification::frmNotification(QWidget *parent)
    : QWidget(
        parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("frmNotification"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);

    // The content keeps its designed size; the window shows as much of it
    // as its height allows, from the top.
    m_content = new QWidget(this);
    m_content->setFont(QFont(QStringLiteral("Verdana"), 8));
    auto *side = picture(
        QStringLiteral("picSide"), ShellIcons::named(QStringLiteral("schedule")).pixmap(48, 48), m_content);
    side->setAlignment(Qt::AlignTop);
    auto *heading = label(QStringLiteral("lblHeading"), QStringLiteral("New Feed Items Found!!!"), m_content);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto *info = label(QStringLiteral("lblInfo"), QStringLiteral("Following Feeds Updated:"), m_content);
    m_lstResult = new QListWidget(m_content);
    m_lstResult->setObjectName(QStringLiteral("lstResult"));
    m_lstResult->setFocusPolicy(Qt::NoFocus);
    m_lstResult->setProperty("translated", false);
    m_lblClose = label(QStringLiteral("lblClose"), QStringLiteral("Close Window"), m_content);
    m_lblClose->setCursor(Qt::PointingHandCursor);
    m_picClose = picture(QStringLiteral("picClose"),
        style()->standardIcon(QStyle::SP_TitleBarCloseButton).pixmap(12, 12), m_content);
    m_picClose->setCursor(Qt::PointingHandCursor);
    m_lblClose->installEventFilter(this);
    m_picClose->installEventFilter(this);

    auto *layout = new QGridLayout(m_content);
    layout->addWidget(side, 0, 0, 4, 1);
    layout->addWidget(heading, 0, 1, 1, 2);
    layout->addWidget(info, 1, 1, 1, 2);
    layout->addWidget(m_lstResult, 2, 1, 1, 2);
    layout->addWidget(m_lblClose, 3, 1, Qt::AlignRight);
    layout->addWidget(m_picClose, 3, 2);
    m_content->setFixedSize(QSize(300, 170).expandedTo(m_content->sizeHint()));
    setFixedWidth(m_content->width());
    resize(m_content->size());

    m_tmrAnimate = timer(QStringLiteral("tmrAnimate"), 10, this);
    m_tmrWait = timer(QStringLiteral("tmrWait"), 4000, this);
    connect(m_tmrAnimate, &QTimer::timeout, this, &frmNotification::animateStep);
    connect(m_tmrWait, &QTimer::timeout, this, &frmNotification::waitElapsed);
    connect(m_lstResult, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        const QString feedId = item->data(FeedIdRole).toString();
        if (!feedId.isEmpty())
            emit feedChosen(feedId);
    });

    if (const QScreen *primary = QGuiApplication::primaryScreen())
        m_twipsPerPixel = twipsPerPixel(primary);
    ChangeLanguage(this, CurrentLanguage());
}

frmNotification *frmNotification::announce(const NewItemsNotification &note)
{
    auto *popup = new frmNotification;
    popup->setAutoClose(false);
    popup->setCanGainFocus(false);
    popup->setMakeTransparent(true);
    popup->setTransparencyPercentage(10);
    popup->setPlaySound(note.playSound);
    if (note.playSound)
        popup->setSoundFilePath(note.soundFile);
    for (const NewItemsCount &entry : note.feeds)
        popup->addLine(ScheduledCheck::notificationLine(entry), entry.FeedID);
    popup->show();
    return popup;
}

// The window's flags can change only while it is hidden.
void frmNotification::setCanGainFocus(bool canGainFocus)
{
    m_canGainFocus = canGainFocus;
    if (!isVisible())
        setWindowFlag(Qt::WindowDoesNotAcceptFocus, !canGainFocus);
}

void frmNotification::addLine(const QString &text, const QString &feedId)
{
    auto *item = new QListWidgetItem(text, m_lstResult);
    item->setData(FeedIdRole, feedId);
}

int frmNotification::transparencyAlpha(int percent)
{
    // std::nearbyint rounds halves to the even neighbour in the default
    // rounding mode.
    const int alpha = int(std::nearbyint((100.0 - percent) / 100.0 * 255.0));
    return alpha < 0 || alpha > 255 ? 1 : alpha;
}

// Where the platform has no window opacity the window simply stays opaque.
void frmNotification::SetTransparency(QWidget *window, int percent)
{
    window->setWindowOpacity(transparencyAlpha(percent) / 255.0);
}

double frmNotification::twipsPerPixel(const QScreen *screen)
{
    return Twips::perPixel(screen ? screen->logicalDotsPerInchY() : 0.0);
}

QRect frmNotification::GetWorkArea()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry() : QRect();
}

int frmNotification::toPixels(double twips) const
{
    return Twips::toPixels(twips, m_twipsPerPixel);
}

void frmNotification::PositionWindow(const QRect &workArea)
{
    // The work area's right and bottom edges lie just outside it.
    const double right = (workArea.x() + workArea.width()) * m_twipsPerPixel;
    const double bottom = (workArea.y() + workArea.height()) * m_twipsPerPixel;
    const int left = toPixels(right - width() * m_twipsPerPixel - RightMarginTwips);
    move(left, toPixels(bottom) - height());
}

// A window cannot be less than a pixel high; the height in twips goes on
// from 0 all the same.
void frmNotification::setHeightTwips(int twips)
{
    m_heightTwips = twips;
    resize(width(), qMax(1, toPixels(twips)));
}

void frmNotification::showEvent(QShowEvent *event)
{
    if (!m_loaded) {
        m_loaded = true;
        Load();
    }
    QWidget::showEvent(event);
}

void frmNotification::Load()
{
    m_previousForegroundWindow = QApplication::activeWindow();
    if (m_makeTransparent)
        SetTransparency(this, m_transparencyPercentage);
    m_lblClose->setVisible(!m_autoClose);
    m_workArea = GetWorkArea();
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        m_twipsPerPixel = twipsPerPixel(primary);
    m_fullHeight = int(std::lround(m_content->height() * m_twipsPerPixel));
    setHeightTwips(0);
    PositionWindow(m_workArea);
    m_animationState = Opening;
    if (m_playSound)
        PlaySoundFile(m_soundFilePath);
    m_tmrAnimate->start();
}

// A file that is missing is not played; one the player cannot read stays
// silent.
void frmNotification::PlaySoundFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    m_sound = new QSoundEffect(this);
    m_sound->setSource(QUrl::fromLocalFile(path));
    m_sound->play();
}

void frmNotification::animateStep()
{
    if (m_animationState == Opening) {
        // The test comes before the growth: the final height is the full
        // height rounded up to a whole step.
        if (m_heightTwips >= m_fullHeight) {
            m_tmrAnimate->stop();
            // A wait of 0 would never end, as a timer of interval 0 never
            // fires there.
            m_tmrWait->setInterval(m_timeToLive);
            if (m_autoClose && m_timeToLive > 0)
                m_tmrWait->start();
            return;
        }
        setHeightTwips(m_heightTwips + StepTwips);
        PositionWindow(m_workArea);
        return;
    }
    if (m_heightTwips > StepTwips) {
        setHeightTwips(m_heightTwips - StepTwips);
        PositionWindow(m_workArea);
        return;
    }
    m_tmrAnimate->stop();
    close();
}

void frmNotification::waitElapsed()
{
    m_tmrWait->stop();
    m_animationState = Closing;
    m_tmrAnimate->start();
}

void frmNotification::closeWindow()
{
    m_tmrWait->stop();
    m_animationState = Closing;
    m_tmrAnimate->start();
}

// Each activation brings the current language; the keyboard goes back to
// the window that had it unless this one may keep it.
bool frmNotification::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        ChangeLanguage(this, CurrentLanguage());
        if (!m_canGainFocus && m_previousForegroundWindow && m_previousForegroundWindow != this)
            m_previousForegroundWindow->activateWindow();
    }
    return QWidget::event(event);
}

bool frmNotification::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_lblClose || watched == m_picClose) && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        closeWindow();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool announceInTray(QSystemTrayIcon *tray, const QStringList &lines)
{
    if (!tray || !tray->isVisible() || !QSystemTrayIcon::supportsMessages() || lines.isEmpty())
        return false;
    tray->showMessage(
        getMessages(Msg::NOTIFY_TRAYTITLE), lines.join(QLatin1Char('\n')), QSystemTrayIcon::Information);
    return true;
}
