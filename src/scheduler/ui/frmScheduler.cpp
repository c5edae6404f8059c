#include "scheduler/ui/frmScheduler.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "i18n/Languages.h"
#include "i18n/ui/WindowTexts.h"
#include "util/AppFolder.h"
#include "util/Messages.h"
#include "util/ui/CategoryNode.h"
#include "util/ui/ShellIcons.h"

#include "util/MessageKeys.h"
#include "util/ui/DialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

QGroupBox *frame(const QString &name, int index, const QString &title, QWidget *parent)
{
    auto *made = new QGroupBox(title, parent);
    made->setObjectName(name);
    if (index >= 0)
        made->setProperty("index", index);
    return made;
}

QLabel *label(const QString &name, int index, const QString &text, QWidget *parent)
{
    auto *made = new QLabel(text, parent);
    made->setObjectName(name);
    if (index >= 0)
        made->setProperty("index", index);
    made->setWordWrap(true);
    return made;
}

QCheckBox *checkBox(const QString &name, const QString &text, QWidget *parent)
{
    auto *made = new QCheckBox(text, parent);
    made->setObjectName(name);
    return made;
}

// A list of feeds with its one column as wide as the list.
QTreeWidget *feedList(const QString &name, QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setColumnCount(1);
    list->setHeaderLabels({QStringLiteral("Feed Source")});
    list->header()->setStretchLastSection(true);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setIconSize(QSize(16, 16));
    return list;
}

// The item a double-click works on: the selected one of a list that is
// not empty.
QTreeWidgetItem *selectedItem(QTreeWidget *list)
{
    if (list->topLevelItemCount() == 0)
        return nullptr;
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

int checkValue(const QCheckBox *box)
{
    return box->isChecked() ? 1 : 0;
}

} // namespace

frmScheduler::frmScheduler(Catalogue *catalogue, QWidget *parent) : QDialog(parent), m_catalogue(catalogue)
{
    setObjectName(QStringLiteral("frmScheduler"));
    setWindowTitle(QStringLiteral("Scheduler"));
    setModal(true);

    auto *step1
        = frame(QStringLiteral("fmScheduleOpt"), -1, QStringLiteral("Step 1: Enable Scheduler ..."), this);
    m_enable = checkBox(QStringLiteral("chkEnableScheduler"),
        QStringLiteral("Enable Scheduled Check of selected Feed Sources."), step1);
    (new QVBoxLayout(step1))->addWidget(m_enable);

    auto *step2
        = frame(QStringLiteral("fmContainer"), 0, QStringLiteral("Step 2: Select Feed Sources ..."), this);
    m_sources = feedList(QStringLiteral("lstSources"), step2);
    m_schedule = feedList(QStringLiteral("lstSchedule"), step2);
    auto *lists = new QGridLayout(step2);
    lists->addWidget(m_sources, 0, 0);
    lists->addWidget(m_schedule, 0, 1);
    lists->addWidget(label(QStringLiteral("lblHint"), 0,
                         QStringLiteral("Double-click to Add to list of Scheduled Sources."), step2),
        1, 0);
    lists->addWidget(label(QStringLiteral("lblHint"), 1,
                         QStringLiteral("Double-click to Remove from list of Scheduled Sources."), step2),
        1, 1);

    auto *step3
        = frame(QStringLiteral("fmContainer"), 1, QStringLiteral("Step 3: Configure Scheduler ..."), this);
    m_interval = new QComboBox(step3);
    m_interval->setObjectName(QStringLiteral("cmbInterval"));
    m_interval->addItems({QStringLiteral("Every 5 Min"), QStringLiteral("Every 10 Min"),
        QStringLiteral("Every 15 Min"), QStringLiteral("Every 30 Min"), QStringLiteral("Every 45 Min"),
        QStringLiteral("Every 1 Hour"), QStringLiteral("Every 3 Hour")});
    m_interval->setCurrentIndex(-1);
    m_notify = checkBox(QStringLiteral("chkNotify"), QStringLiteral("Show Notification Popup."), step3);
    m_sound = checkBox(QStringLiteral("chkSound"), QStringLiteral("Play Sound File."), step3);
    auto *options = new QGridLayout(step3);
    options->addWidget(
        label(QStringLiteral("lblInterval"), -1, QStringLiteral("Schedule Interval:"), step3), 0, 0);
    options->addWidget(m_interval, 0, 1);
    options->addWidget(
        label(QStringLiteral("lblNotify"), -1, QStringLiteral("When New Items Found ..."), step3), 1, 0);
    options->addWidget(m_notify, 1, 1);
    options->addWidget(m_sound, 2, 1);
    m_steps = {step2, step3};

    auto *ok = DialogParts::namedButton(QStringLiteral("btnOK"), QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto *cancel = DialogParts::namedButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), this);
    QHBoxLayout *buttons = DialogParts::buttonRow({ok, cancel});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(step1);
    layout->addWidget(step2, 1);
    layout->addWidget(step3);
    layout->addLayout(buttons);
    resize(560, 480);

    connect(m_enable, &QCheckBox::toggled, this, &frmScheduler::enableSteps);
    connect(m_notify, &QCheckBox::toggled, this, &frmScheduler::enableSteps);
    connect(m_sources, &QTreeWidget::itemDoubleClicked, this, &frmScheduler::addSelectedSource);
    connect(m_schedule, &QTreeWidget::itemDoubleClicked, this, &frmScheduler::removeSelectedSchedule);
    m_sources->installEventFilter(this);
    m_schedule->installEventFilter(this);
    connect(ok, &QPushButton::clicked, this, &frmScheduler::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    ChangeLanguage(this, CurrentLanguage());
    setWindowTitle(getMessages(Msg::CAPTION_FRMSCHEDULER));
    LoadFeedSources();
    LoadScheduleList();
}

QTreeWidgetItem *frmScheduler::feedItem(const FeedRecord &feed)
{
    auto *item = new QTreeWidgetItem({feed.FeedCaption});
    item->setData(0, CategoryNode::KeyRole, feed.FeedID);
    item->setData(0, CategoryNode::ImageRole, CategoryNode::feedImage(feed.FeedType));
    item->setData(0, CategoryNode::TagRole, feed.FeedURL);
    item->setIcon(0, ShellIcons::feedIcon(feed.FeedType));
    return item;
}

// Every feed of the catalogue, in the order of the category tree.
void frmScheduler::LoadFeedSources()
{
    m_sources->clear();
    if (!m_catalogue)
        return;
    for (const CatalogueCategory &category : m_catalogue->categories()) {
        for (const FeedRecord &feed : category.feeds)
            m_sources->addTopLevelItem(feedItem(feed));
    }
}

// A broken feed entry has been reported; the controls still show what was
// read, so a save keeps the stored choices.
void frmScheduler::LoadScheduleList()
{
    mSettings::LoadSchedulerSettings(true);
    const mSettings::SchedulerSettings &settings = mSettings::scheduler();
    m_enable->setChecked(settings.Enabled == 1);
    const bool known = settings.Interval >= 0 && settings.Interval < m_interval->count();
    m_interval->setCurrentIndex(known ? settings.Interval : -1);
    m_notify->setChecked(settings.Alert == 1);
    m_sound->setChecked(settings.Sound == 1);
    m_schedule->clear();
    for (const FeedRecord &feed : settings.Feeds)
        m_schedule->addTopLevelItem(feedItem(feed));
    enableSteps();
}

// Steps 2 and 3 only while scheduling is on; the sound only with the
// pop-up (the sound box keeps its value while disabled).
void frmScheduler::enableSteps()
{
    for (QGroupBox *step : std::as_const(m_steps))
        step->setEnabled(m_enable->isChecked());
    m_sound->setEnabled(m_notify->isChecked());
}

bool frmScheduler::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || (watched != m_sources && watched != m_schedule))
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == m_sources && enter)
        addSelectedSource();
    else if (watched == m_schedule && (enter || key == Qt::Key_Delete))
        removeSelectedSchedule();
    else
        return false;
    return true;
}

void frmScheduler::addSelectedSource()
{
    QTreeWidgetItem *selected = selectedItem(m_sources);
    if (!selected)
        return;
    const QString key = CategoryNode::key(selected);
    for (int i = 0; i < m_schedule->topLevelItemCount(); ++i) {
        if (CategoryNode::key(m_schedule->topLevelItem(i)) == key) {
            Messages::exclamation(
                getMessages(Msg::SCHEDULER_INLIST_TITLE), getMessages(Msg::SCHEDULER_INLIST));
            return;
        }
    }
    m_schedule->addTopLevelItem(feedItem(CategoryNode::record(selected)));
}

void frmScheduler::removeSelectedSchedule()
{
    QTreeWidgetItem *selected = selectedItem(m_schedule);
    if (!selected)
        return;
    if (Messages::askYesNo(getMessages(Msg::SCHEDULER_REMOVE_TITLE),
            getMessages(Msg::SCHEDULER_REMOVE).arg(selected->text(0))))
        delete selected;
}

bool frmScheduler::checksPass()
{
    if (!m_enable->isChecked())
        return Messages::askYesNo(
            getMessages(Msg::SCHEDULER_DISABLE_TITLE), getMessages(Msg::SCHEDULER_DISABLE));
    if (m_schedule->topLevelItemCount() == 0) {
        Messages::exclamation(
            getMessages(Msg::SCHEDULER_NOSOURCES_TITLE), getMessages(Msg::SCHEDULER_NOSOURCES));
        return false;
    }
    if (m_interval->currentIndex() < 0) {
        Messages::exclamation(
            getMessages(Msg::SCHEDULER_FREQUENCY_TITLE), getMessages(Msg::SCHEDULER_FREQUENCY));
        m_interval->setFocus();
        return false;
    }
    return true;
}

// A save that failed has been reported; the dialog stays for another try.
void frmScheduler::save()
{
    if (!checksPass())
        return;
    mSettings::SchedulerSettings settings;
    settings.Enabled = qint16(checkValue(m_enable));
    settings.Interval = qint16(m_interval->currentIndex());
    settings.Alert = qint16(checkValue(m_notify));
    settings.Sound = qint16(checkValue(m_sound));
    settings.SoundFile = AppFolder::file(QStringLiteral("notify.wav"));
    for (int i = 0; i < m_schedule->topLevelItemCount(); ++i) {
        FeedRecord feed = CategoryNode::record(m_schedule->topLevelItem(i));
        feed.Category.clear();
        settings.Feeds.append(feed);
    }
    mSettings::scheduler() = settings;
    if (mSettings::SaveSchedulerSettings(true))
        accept();
}
