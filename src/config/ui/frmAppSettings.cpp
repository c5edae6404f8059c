#include "config/ui/frmAppSettings.h"

#include "config/Autostart.h"
#include "config/Settings.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"

#include "util/MessageKeys.h"
#include "util/ui/DialogParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{

QGroupBox *group(const QString &name, const QString &title, QWidget *parent)
{
    auto *made = new QGroupBox(title, parent);
    made->setObjectName(name);
    return made;
}

} // namespace

frmAppSettings::frmAppSettings(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAppSettings"));
    setWindowTitle(QStringLiteral("Application Settings"));
    setModal(true);

    auto *startup = group(QStringLiteral("fraStartup"), QStringLiteral("Application Startup:"), this);
    m_startup = new QCheckBox(QStringLiteral("Start Application on Windows Startup."), startup);
    m_startup->setObjectName(QStringLiteral("chkStartup"));
    m_status = new QLabel(QStringLiteral("(Disabled)"), startup);
    m_status->setObjectName(QStringLiteral("lblRunAtStart"));
    m_status->setProperty("translated", false);
    auto *startupLayout = new QVBoxLayout(startup);
    startupLayout->addWidget(m_startup);
    startupLayout->addWidget(m_status);

    auto *closing = group(QStringLiteral("fraClosing"), QStringLiteral("Application Closing:"), this);
    auto *closingLayout = new QVBoxLayout(closing);
    auto *options = new QButtonGroup(this);
    const QStringList captions {
        QStringLiteral("Close Completely."), QStringLiteral("Minimize to System Tray.")};
    for (int index = 0; index < captions.size(); ++index) {
        auto *option = new QRadioButton(captions[index], closing);
        option->setObjectName(QStringLiteral("optClose"));
        option->setProperty("index", index);
        options->addButton(option, index);
        closingLayout->addWidget(option);
        m_close.append(option);
    }

    auto *ok = DialogParts::namedButton(QStringLiteral("btnOK"), QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto *cancel = DialogParts::namedButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), this);
    QHBoxLayout *buttons = DialogParts::buttonRow({ok, cancel});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(startup);
    layout->addWidget(closing);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(ok, &QPushButton::clicked, this, &frmAppSettings::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    ChangeLanguage(this, CurrentLanguage());
    setWindowTitle(getMessages(Msg::CAPTION_FRMAPPSETTINGS));
    fill();
}

void frmAppSettings::fill()
{
    mSettings::LoadAppSettings();
    const mSettings::AppSettings &app = mSettings::app();
    m_startup->setChecked(app.StartWithSystem == 1);
    // The option shown is what the close decision does: it exits only for
    // "close" = 1, whatever "mins" holds.
    m_close[app.CloseCompletely == 1 ? 0 : 1]->setChecked(true);
    m_status->setText(Autostart::startupStatus());
}

void frmAppSettings::save()
{
    // A start-up entry that could not be made or removed, or settings that
    // could not be stored, have been reported; the dialog stays for another
    // try or Cancel.
    const bool start = m_startup->isChecked();
    if (!Autostart::applyStartWithSystem(start))
        return;
    mSettings::AppSettings &app = mSettings::app();
    app.StartWithSystem = start ? 1 : 0;
    app.CloseCompletely = m_close[0]->isChecked() ? 1 : 0;
    app.MinimizeToTray = m_close[1]->isChecked() ? 1 : 0;
    if (mSettings::SaveAppSettings(true))
        accept();
}
