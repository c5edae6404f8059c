#include "catalogue/ui/frmCategory.h"

#include "catalogue/Catalogue.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace
{

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *made = new QPushButton(text, parent);
    made->setObjectName(name);
    made->setAutoDefault(false);
    return made;
}

} // namespace

frmCategory::frmCategory(Catalogue *catalogue, QWidget *parent) : QDialog(parent), m_catalogue(catalogue)
{
    setObjectName(QStringLiteral("frmCategory"));
    setWindowTitle(QStringLiteral("Add/Edit Category"));
    setModal(true);

    auto *label = new QLabel(QStringLiteral("Name of Category:"), this);
    label->setObjectName(QStringLiteral("lblCategoryName"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtCategoryName"));
    label->setBuddy(m_name);
    // Its caption follows the mode.
    m_ok = button(QStringLiteral("btnOK"), QStringLiteral("Add Category"), this);
    m_ok->setProperty("translated", false);
    // Enter in the name box is a click on it.
    m_ok->setDefault(true);
    auto *cancel = button(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), this);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_name);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(m_ok, &QPushButton::clicked, this, &frmCategory::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    ChangeLanguage(this, CurrentLanguage());
    setWindowTitle(getMessages(Msg::CAPTION_FRMCATEGORY));
}

void frmCategory::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        prepare();
    QDialog::showEvent(event);
}

void frmCategory::prepare()
{
    const bool edit = Mode == 1;
    m_ok->setText(getMessages(edit ? Msg::CATEGORY_SAVE : Msg::CATEGORY_ADD));
    m_tag = edit ? CategoryName : QString();
    m_name->setText(m_tag);
    backToName();
}

bool frmCategory::nameGiven()
{
    if (!mUtil::IsBlank(m_name->text()))
        return true;
    Messages::exclamation(getMessages(Msg::CATEGORY_NAME_TITLE), getMessages(Msg::CATEGORY_NAME));
    backToName();
    return false;
}

QString frmCategory::chosenName() const
{
    return m_name->text();
}

void frmCategory::backToName()
{
    m_name->setFocus();
    m_name->selectAll();
}

void frmCategory::save()
{
    if (!nameGiven())
        return;
    // The name as typed, blanks around it included. The catalogue says why
    // it refuses a name; a rename to the same name (letter case aside)
    // changes nothing and closes the dialog.
    const Catalogue::Change change = Mode == 1 ? m_catalogue->renameCategory(m_tag, m_name->text())
                                               : m_catalogue->addCategory(m_name->text());
    if (change == Catalogue::Change::Applied || change == Catalogue::Change::Unchanged) {
        accept();
        return;
    }
    backToName();
}
