#include "shell/frmSplash.h"

#include "config/UserSettings.h"
#include "util/AppInfo.h"
#include "util/ui/ShellIcons.h"

#include <QLabel>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowIcon(ShellIcons::appIcon());
    setAttribute(Qt::WA_ShowWithoutActivating);
    setStyleSheet(QStringLiteral("frmSplash { background: #ffffff; border: 1px solid #2f6db5; }"));
    setAttribute(Qt::WA_StyledBackground);

    auto *picture = new QLabel(this);
    picture->setPixmap(ShellIcons::appIcon().pixmap(96, 96));
    picture->setAlignment(Qt::AlignCenter);
    auto *product = new QLabel(AppInfo::productName(), this);
    product->setObjectName(QStringLiteral("lblProductName"));
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    product->setFont(big);
    product->setAlignment(Qt::AlignCenter);
    auto *company = new QLabel(AppInfo::companyName(), this);
    company->setObjectName(QStringLiteral("lblCompanyName"));
    company->setAlignment(Qt::AlignCenter);
    auto *version = new QLabel(AppInfo::version(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setAlignment(Qt::AlignCenter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 28, 40, 28);
    layout->addWidget(picture);
    layout->addWidget(product);
    layout->addWidget(company);
    layout->addWidget(version);

    m_timer->setObjectName(QStringLiteral("Timer2"));
    m_timer->setInterval(2);
    connect(m_timer, &QTimer::timeout, this, &frmSplash::tick);
}

bool frmSplash::hiddenByMachineSetting()
{
    return UserSettings::machineValue(SettingsKeys::HideSplash).toString() == QLatin1String("1");
}

void frmSplash::start()
{
    intTemp = 0;
    if (!hiddenByMachineSetting())
        show();
    m_timer->start();
}

void frmSplash::tick()
{
    intTemp += 2;
    if (intTemp < 150)
        return;
    m_timer->stop();
    emit finished();
    hide();
}
