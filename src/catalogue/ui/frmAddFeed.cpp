#include "catalogue/ui/frmAddFeed.h"

#include "catalogue/Catalogue.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/ui/ComboAutoComplete.h"
#include "util/ui/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace
{

constexpr int WidthTwips = 5970;
constexpr int CompactTwips = 1605;
constexpr int TallTwips = 4170;

QString text(const QString &key)
{
    return getMessages(key);
}

int askForFeed(const QList<FeedLink> &links)
{
    QStringList items;
    for (const FeedLink &link : links)
        items.append(link.title.isEmpty() ? link.url : QStringLiteral("%1 (%2)").arg(link.title, link.url));
    bool ok = false;
    const QString item = QInputDialog::getItem(QApplication::activeWindow(), text(Msg::ADDFEED_CHOOSE_TITLE),
        text(Msg::ADDFEED_CHOOSE), items, 0, false, &ok);
    return ok ? int(items.indexOf(item)) : -1;
}

FeedCheck::Chooser &chooser()
{
    static FeedCheck::Chooser current = askForFeed;
    return current;
}

QLabel *label(const QString &name, const QString &caption, QWidget *buddy, QWidget *parent)
{
    auto *made = new QLabel(caption, parent);
    made->setObjectName(name);
    made->setBuddy(buddy);
    return made;
}

} // namespace

frmAddFeed::frmAddFeed(Catalogue *catalogue, QWidget *parent)
    : QDialog(parent), m_catalogue(catalogue), m_check(new FeedCheck(this))
{
    setObjectName(QStringLiteral("frmAddFeed"));
    setWindowTitle(QStringLiteral("Add New Feed"));
    setModal(true);

    m_url = new QLineEdit(this);
    m_url->setObjectName(QStringLiteral("txtURL"));
    m_details = new QWidget(this);
    m_channel = new QLineEdit(m_details);
    m_channel->setObjectName(QStringLiteral("txtChannel"));
    m_categories = new QComboBox(m_details);
    m_categories->setObjectName(QStringLiteral("cmbCategories"));
    m_categories->setEditable(true);
    m_categories->setInsertPolicy(QComboBox::NoInsert);
    m_categories->lineEdit()->installEventFilter(this);
    m_ok = new QPushButton(QStringLiteral("Proceed ..."), this);
    m_ok->setObjectName(QStringLiteral("btnOK"));
    m_ok->setProperty("translated", false);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("btnCancel"));
    m_cancel->setAutoDefault(false);

    auto *details = new QGridLayout(m_details);
    details->setContentsMargins(0, 0, 0, 0);
    details->addWidget(
        label(QStringLiteral("lblChannel"), QStringLiteral("Channel Name:"), m_channel, m_details), 0, 0);
    details->addWidget(m_channel, 1, 0);
    details->addWidget(
        label(QStringLiteral("lblCategory"), QStringLiteral("Category:"), m_categories, m_details), 2, 0);
    details->addWidget(m_categories, 3, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label(QStringLiteral("lblURL"), QStringLiteral("Feed URL:"), m_url, this));
    layout->addWidget(m_url);
    layout->addWidget(m_details);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &frmAddFeed::onOK);
    connect(m_cancel, &QPushButton::clicked, this, &frmAddFeed::reject);
    connect(m_check, &FeedCheck::finished, this, &frmAddFeed::checked);

    ChangeLanguage(this, CurrentLanguage());
    setWindowTitle(getMessages(Msg::CAPTION_FRMADDFEED));
}

void frmAddFeed::setChooser(FeedCheck::Chooser replacement)
{
    chooser() = replacement ? std::move(replacement) : FeedCheck::Chooser(askForFeed);
}

void frmAddFeed::setFeed(const FeedRecord &feed)
{
    m_channel->setText(feed.FeedCaption);
    m_url->setText(feed.FeedURL);
}

void frmAddFeed::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        prepare();
    QDialog::showEvent(event);
}

// Every opening starts at the URL, whatever the last one left behind.
void frmAddFeed::prepare()
{
    const bool edit = iDisplayMode == 1;
    setWindowTitle(text(edit ? Msg::ADDFEED_EDITCAPTION : Msg::ADDFEED_ADDCAPTION));
    m_categories->setEnabled(!edit);
    fillCategories();
    m_ok->setText(text(Msg::ADDFEED_START));
    m_ok->setProperty("tag", QStringLiteral("proceed"));
    m_url->setEnabled(true);
    setBusy(false);
    m_details->hide();
    m_typeOfFeed = -1;
    m_check->setChooser([](const QList<FeedLink> &links) { return chooser()(links); });
    setHeightTwips(CompactTwips);
    m_url->setFocus();
}

void frmAddFeed::fillCategories()
{
    m_categories->clear();
    for (const CatalogueCategory &category : m_catalogue->categories())
        m_categories->addItem(category.name);
    // Exact: a category differing in letter case is not this one.
    m_categories->setCurrentIndex(-1);
    for (int i = 0; i < m_categories->count(); ++i) {
        if (m_categories->itemText(i) == sCategory) {
            m_categories->setCurrentIndex(i);
            break;
        }
    }
    if (m_categories->currentIndex() < 0)
        m_categories->setEditText(QString());
}

void frmAddFeed::setHeightTwips(int twips)
{
    const double twipsPerPixel = Twips::perPixel(logicalDpiX());
    setFixedSize(Twips::toPixels(WidthTwips, twipsPerPixel), Twips::toPixels(twips, twipsPerPixel));
}

bool frmAddFeed::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_categories->lineEdit() || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    int code = 0;
    if (key->key() == Qt::Key_Backspace)
        code = 8;
    else if (key->key() == Qt::Key_Escape)
        code = 27;
    else if (key->text().size() == 1 && key->text().at(0).unicode() >= 32)
        code = key->text().at(0).unicode();
    if (code == 0)
        return false;
    mUtil::ComboAutoComplete(m_categories, code, false, false);
    return code == 0;
}

void frmAddFeed::onOK()
{
    if (m_ok->property("tag").toString() == QLatin1String("proceed"))
        proceed();
    else
        save();
}

void frmAddFeed::setBusy(bool busy)
{
    // Cancel stays usable: it ends a check that takes too long.
    m_url->setEnabled(!busy);
    m_ok->setEnabled(!busy);
}

void frmAddFeed::proceed()
{
    if (mUtil::IsBlank(m_url->text())) {
        Messages::exclamation(text(Msg::ADDFEED_URL_TITLE), text(Msg::ADDFEED_URL));
        m_url->setFocus();
        return;
    }
    setBusy(true);
    m_ok->setText(text(Msg::ADDFEED_VALIDATING));
    if (!m_check->start(m_url->text()))
        checked(-1, QString(), QString());
}

void frmAddFeed::checked(int type, const QString &title, const QString &url)
{
    m_typeOfFeed = qint16(type);
    setBusy(false);
    if (type < 0) {
        m_ok->setText(text(Msg::ADDFEED_PROCEED));
        m_url->selectAll();
        m_url->setFocus();
        return;
    }
    if (!url.isEmpty())
        m_url->setText(url);
    if (!title.isNull())
        m_channel->setText(title);
    // A box left blank proposes the first category: a nameless one could
    // only fail to be created.
    if (mUtil::IsBlank(m_categories->currentText()) && m_categories->count() > 0)
        m_categories->setCurrentIndex(0);
    m_url->setEnabled(false);
    m_ok->setText(text(Msg::ADDFEED_OK));
    m_ok->setProperty("tag", QStringLiteral("ok"));
    m_details->show();
    setHeightTwips(TallTwips);
    m_channel->setFocus();
    m_channel->selectAll();
}

bool frmAddFeed::categoryReady()
{
    const QString name = m_categories->currentText();
    if (m_catalogue->categoryExists(name) || m_catalogue->addCategory(name) == Catalogue::Change::Applied)
        return true;
    Messages::exclamation(text(Msg::ADDFEED_CATEGORYFAILED_TITLE), text(Msg::ADDFEED_CATEGORYFAILED));
    return false;
}

void frmAddFeed::save()
{
    if (!categoryReady())
        return;
    FeedRecord record;
    record.FeedCaption = m_channel->text();
    record.Category = m_categories->currentText();
    record.FeedType = m_typeOfFeed;
    record.FeedURL = m_url->text();
    const bool edit = iDisplayMode == 1;
    record.FeedID = edit ? sFeedID : mUtil::NewGUID();
    const Catalogue::Change change = edit ? m_catalogue->editFeed(record) : m_catalogue->addFeed(record);
    if (change != Catalogue::Change::Applied)
        return;
    m_savedFeedId = record.FeedID;
    accept();
}

void frmAddFeed::reject()
{
    m_check->cancel();
    QDialog::reject();
}
