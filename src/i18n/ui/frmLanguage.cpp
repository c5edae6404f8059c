#include "i18n/ui/frmLanguage.h"

#include "config/UserSettings.h"
#include "i18n/LanguageUpdate.h"
#include "i18n/Languages.h"
#include "i18n/LocalizationFile.h"
#include "i18n/ui/WindowTexts.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include "util/MessageKeys.h"
#include "util/ui/DialogParts.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

QString storedLanguage(const QString &fallback)
{
    return UserSettings::value(SettingsKeys::Language, fallback).toString();
}

void storeLanguage(const QString &language)
{
    UserSettings::setValue(SettingsKeys::Language, language);
}

namespace
{

} // namespace

frmLanguage::frmLanguage(QWidget *mainWindow, QWidget *parent)
    : QDialog(parent), m_mainWindow(mainWindow), m_update(new LanguageUpdate(this))
{
    setObjectName(QStringLiteral("frmLanguage"));
    setWindowTitle(QStringLiteral("Language Selection"));

    auto *label = new QLabel(
        QStringLiteral("Choose the language of the program's menus, buttons and messages."), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    m_list = new QComboBox(this);
    m_list->setObjectName(QStringLiteral("Combo1"));
    m_list->setMinimumContentsLength(24);
    m_check = DialogParts::namedButton(
        QStringLiteral("Command1"), QStringLiteral("Check for language updates"), this);
    auto *ok = DialogParts::namedButton(QStringLiteral("Command2"), QStringLiteral("OK"), this);
    auto *translateButton = DialogParts::namedButton(
        QStringLiteral("Command3"), QStringLiteral("Translate this program"), this);
    ok->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_check);
    buttons->addWidget(translateButton);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    connect(m_list, &QComboBox::activated, this, &frmLanguage::chooseLanguage);
    connect(m_check, &QPushButton::clicked, this, &frmLanguage::checkForUpdates);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(translateButton, &QPushButton::clicked, this, &frmLanguage::translate);
    connect(m_update, &LanguageUpdate::finished, this, &frmLanguage::onUpdated);

    ChangeLanguage(this, CurrentLanguage());
    setWindowTitle(getMessages(Msg::TITLELANGUAGE));
    FillLanguageList();
}

void frmLanguage::FillLanguageList()
{
    m_list->clear();
    m_list->setPlaceholderText(getMessages(Msg::CHOOSELANGUAGE));
    const QString path = AppFolder::file(LocalizationFile::fileName());
    if (!clsLanguages::LangFileExists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    for (const LocalizationFile::Group &group :
        LocalizationFile::groups(mUtil::decodeStoredText(file.readAll())))
        m_list->addItem(group.name);
    m_list->setCurrentIndex(m_list->findText(storedLanguage(), Qt::MatchFixedString));
}

void frmLanguage::chooseLanguage(int index)
{
    if (index < 0 || index >= m_list->count())
        return;
    const QString language = m_list->itemText(index);
    storeLanguage(language);
    if (m_mainWindow)
        ChangeLanguageMDI(m_mainWindow, language);
    ChangeLanguage(this, language);
    setWindowTitle(getMessages(Msg::TITLELANGUAGE));
    m_list->setPlaceholderText(getMessages(Msg::CHOOSELANGUAGE));
    emit languageChanged(language);
}

void frmLanguage::checkForUpdates()
{
    // One download at a time; the button waits for the answer.
    m_check->setEnabled(false);
    m_update->start();
}

void frmLanguage::onUpdated(const QString &problem)
{
    m_check->setEnabled(true);
    if (!problem.isEmpty()) {
        Messages::exclamation(AppInfo::title(), problem);
        return;
    }
    FillLanguageList();
    Messages::information(AppInfo::title(), getMessages(Msg::DOWNLOADED));
}

void frmLanguage::translate()
{
    const QString path = AppFolder::file(LocalizationFile::fileName());
    if (clsLanguages::LangFileExists(path))
        mUtil::ShellOpen(path);
}
