#include "shell/frmAbout.h"

#include "util/AppInfo.h"
#include "util/ui/ShellIcons.h"

#include <QGridLayout>
#include <QLabel>

namespace
{

QLabel *label(const QString &name, const QString &text, QWidget *parent)
{
    auto *out = new QLabel(text, parent);
    out->setObjectName(name);
    out->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return out;
}

// "major.minor" of "major.minor.patch".
QString shortVersion()
{
    return AppInfo::version().section(QLatin1Char('.'), 0, 1);
}

} // namespace

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + AppInfo::productName());
    setAttribute(Qt::WA_DeleteOnClose);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picIcon"));
    picture->setPixmap(ShellIcons::appIcon().pixmap(64, 64));

    auto *product = label(QStringLiteral("lblProductName"), AppInfo::productName(), this);
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    product->setFont(big);

    auto *layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);
    layout->addWidget(product, 0, 1);
    layout->addWidget(label(QStringLiteral("lblCompanyName"), AppInfo::companyName(), this), 1, 1);
    layout->addWidget(label(QStringLiteral("lblVersion"), shortVersion(), this), 2, 1);
    layout->addWidget(label(QStringLiteral("lblWebsite"), AppInfo::webAddress(), this), 3, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
