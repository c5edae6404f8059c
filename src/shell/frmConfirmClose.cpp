#include "shell/frmConfirmClose.h"

#include "config/Settings.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "util/MessageKeys.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QLabel *infoLabel(int index, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("lblInfo"));
    label->setProperty("index", index);
    label->setWordWrap(true);
    return label;
}

} // namespace

frmConfirmClose::frmConfirmClose(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConfirmClose"));
    setWindowTitle(getMessages(Msg::CAPTION_FRMCONFIRMCLOSE));
    setModal(true);

    auto *note = infoLabel(0, QStringLiteral("Note:"), this);
    QFont bold = note->font();
    bold.setBold(true);
    note->setFont(bold);
    auto *heading = infoLabel(3, QStringLiteral("Application will be minimized to System Tray"), this);
    heading->setFont(bold);

    m_alwaysClose = new QCheckBox(
        QStringLiteral("Always Exit completely when I close program; don't execute scheduled Tasks."), this);
    m_alwaysClose->setObjectName(QStringLiteral("chkAlwaysClose"));
    m_dontShow = new QCheckBox(QStringLiteral("Don't show this Reminder again."), this);
    m_dontShow->setObjectName(QStringLiteral("chkDontShow"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    const QStringList captions {QStringLiteral("Close Now!"), QStringLiteral("Keep Running")};
    for (int index = 0; index < captions.size(); ++index) {
        auto *button = new QPushButton(captions[index], this);
        button->setObjectName(QStringLiteral("btnOK"));
        button->setProperty("index", index);
        connect(button, &QPushButton::clicked, this, [this, index] { choose(index == 0); });
        buttons->addWidget(button);
        m_buttons.append(button);
    }
    m_buttons[1]->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(infoLabel(2,
        QStringLiteral("This software can continue running in your System Tray, so that scheduled tasks will "
                       "be executed in time."),
        this));
    layout->addSpacing(6);
    layout->addWidget(note);
    layout->addWidget(infoLabel(
        1, QStringLiteral("You can change this behavior anytime from Application Settings Panel."), this));
    layout->addSpacing(6);
    layout->addWidget(m_alwaysClose);
    layout->addWidget(m_dontShow);
    layout->addLayout(buttons);
    setMinimumWidth(440);

    ChangeLanguage(this, CurrentLanguage());
    setWindowTitle(getMessages(Msg::CAPTION_FRMCONFIRMCLOSE));
    mSettings::LoadAppSettings();
    m_alwaysClose->setChecked(mSettings::app().CloseCompletely == 1);
}

void frmConfirmClose::choose(bool closeNow)
{
    mSettings::WriteConfirmOnClose(!m_dontShow->isChecked());
    mSettings::LoadAppSettings();
    mSettings::AppSettings &app = mSettings::app();
    app.CloseCompletely = m_alwaysClose->isChecked() ? 1 : 0;
    app.MinimizeToTray = app.CloseCompletely == 1 ? 0 : 1;
    mSettings::SaveAppSettings(false);
    m_close = closeNow;
    accept();
}

bool closeDecision(QWidget *owner)
{
    if (mSettings::ReadConfirmOnClose()) {
        frmConfirmClose dialog(owner);
        dialog.exec();
        return dialog.bClose();
    }
    return mSettings::ReadCloseCompletely();
}
