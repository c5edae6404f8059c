#include "viewer/ui/frmViewFeed.h"

#include "feeds/FeedFile.h"
#include "feeds/FeedStore.h"
#include "i18n/Languages.h"
#include "mail/ui/frmSendEmail.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/Worker.h"
#include "util/ui/PaneSplit.h"
#include "viewer/FeedRefresh.h"
#include "viewer/PreviewTemplate.h"
#include "viewer/ui/ItemListModel.h"
#include "viewer/ui/ItemListView.h"
#include "viewer/ui/PreviewPane.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <stdexcept>

namespace
{

const int kDefaultLoadDelay = 400;
const int kDefaultDownloadTimeout = 10000;

QString chooseSaveFile(QWidget *parent, const QString &title, const QString &filter, const QString &suffix)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void reportItemNotFound()
{
    Messages::exclamation(getMessages(Msg::ITEMNOTFOUND_TITLE), getMessages(Msg::ITEMNOTFOUND));
}

} // namespace

frmViewFeed::frmViewFeed(QWidget *parent)
    : QWidget(parent), m_chooseSaveFile(chooseSaveFile), m_openLink(mUtil::ShellOpen)
{
    setObjectName(QStringLiteral("frmViewFeed"));
    buildControls();
    connectRefresh();
    // What a closed window held goes back to the system, not only to the
    // allocator.
    connect(this, &QObject::destroyed, qApp, [] { QTimer::singleShot(0, qApp, mUtil::returnFreedMemory); });
}

// A download in progress ends with the refresh cycle; a parse or a merge
// already under way finishes without the window. The data file's owner
// saves what waits when its last user lets go.
frmViewFeed::~frmViewFeed() = default;

void frmViewFeed::buildControls()
{
    m_model = new ItemListModel(this);

    m_list = new ItemListView;
    m_list->setObjectName(QStringLiteral("lstItems"));
    m_list->setModel(m_model);
    m_list->setColumnHidden(ItemListModel::DateSortColumn, true);

    m_preview = new PreviewPane;
    m_preview->setKeyHandler([this](const QKeyEvent &key) { return onPreviewKey(key); });

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("picSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(5);
    m_splitter->addWidget(m_list);
    m_splitter->addWidget(m_preview);

    m_filter = new QLineEdit;
    m_filter->setObjectName(QStringLiteral("txtFilter"));
    m_filter->setProperty("translated", false);
    m_filter->setPlaceholderText(getMessages(Msg::READ_FILTER));
    m_filter->setClearButtonEnabled(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_filter);
    layout->addWidget(m_splitter);

    m_delay = new QTimer(this);
    m_delay->setObjectName(QStringLiteral("tmrDelay"));
    m_delay->setSingleShot(true);
    m_delay->setInterval(kDefaultLoadDelay);
    // The download's time-out, kept here by its name; the cycle runs it.
    m_timeout = new QTimer(this);
    m_timeout->setObjectName(QStringLiteral("tmrTimeout"));
    m_timeout->setSingleShot(true);
    m_timeout->setInterval(kDefaultDownloadTimeout);
    m_refresh = new FeedRefresh(this);
    m_refresh->setDownloadTimeout(kDefaultDownloadTimeout);

    connect(m_delay, &QTimer::timeout, this, [this] { LoadFeedData(true); });
    connect(m_list, &ItemListView::itemPicked, this, &frmViewFeed::onItemPicked);
    connect(m_list, &ItemListView::menuRequested, this, &frmViewFeed::itemMenuRequested);
    connect(m_list, &ItemListView::deleteRequested, this, &frmViewFeed::itemDeleteRequested);
    connect(m_list, &ItemListView::nextUnreadRequested, this, &frmViewFeed::showNextUnread);
    connect(m_list, &ItemListView::nextPageRequested, this, &frmViewFeed::showNextPage);
    connect(m_filter, &QLineEdit::textChanged, this, &frmViewFeed::applyFilter);
    // Marked read elsewhere (the tree), every item is read here too.
    connect(FeedFile::notifier(), &FeedFileNotifier::unreadChanged, this,
        [this](const QString &feedId, int unread) {
            if (unread == 0 && feedId == m_feedID)
                m_model->setAllRead();
        });
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { PaneSplit::keepInLimits(*m_splitter); });
    connect(m_preview, &PreviewPane::shown, this, &frmViewFeed::previewShown);
    connect(m_preview, &PreviewPane::loadEnded, m_list, [this] { m_list->setFocus(); });
    connect(m_preview, &PreviewPane::webLinkClicked, this,
        [this](const QUrl &url) { m_openLink(url.toString()); });
}

void frmViewFeed::connectRefresh()
{
    connect(m_refresh, &FeedRefresh::captionStep, this, &frmViewFeed::showCaption);
    connect(m_refresh, &FeedRefresh::listingStarted, this, [this] {
        m_filterTextsAsked = false;
        m_model->clear();
    });
    connect(m_refresh, &FeedRefresh::storedRowsRead, this, &frmViewFeed::listStoredRows);
    connect(m_refresh, &FeedRefresh::rowsAdded, this, &frmViewFeed::listAddedRows);
    connect(m_refresh, &FeedRefresh::feedTypeFound, this, [this](int type) {
        m_feedType = type;
        emit feedTypeFound(m_feedID, type);
    });
    connect(m_refresh, &FeedRefresh::addressChangeAccepted, this,
        [this](const QString &url) { emit addressChangeAccepted(m_feedID, url); });
    connect(m_refresh, &FeedRefresh::finished, this, &frmViewFeed::finishCycle);
}

bool frmViewFeed::StillExecuting() const
{
    return m_refresh->stillExecuting();
}

void frmViewFeed::setLoadDelay(int milliseconds)
{
    m_delay->setInterval(milliseconds);
}

void frmViewFeed::setDownloadTimeout(int milliseconds)
{
    m_timeout->setInterval(milliseconds);
    m_refresh->setDownloadTimeout(milliseconds);
}

void frmViewFeed::setConnectionTest(std::function<bool()> test)
{
    m_refresh->setConnectionTest(std::move(test));
}

// The owner of the feed's data file, for the FeedID the window has now.
FeedFile &frmViewFeed::file()
{
    if (!m_file || m_file->feedId() != m_feedID) {
        m_file = FeedFile::open(m_feedID);
        connect(
            m_file.get(), &FeedFile::saveFailed, this, &FeedStore::reportSaveFailure, Qt::QueuedConnection);
    }
    return *m_file;
}

// Opening and layout

void frmViewFeed::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_loaded)
        return;
    m_loaded = true;
    showCaption(QString());
    m_preview->showBlank();
    m_delay->start();
}

void frmViewFeed::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!isMinimized())
        PaneSplit::share(*m_splitter);
}

// The refresh cycle

void frmViewFeed::LoadFeedData(bool bLoadInbox)
{
    if (m_refresh->isRunning()) {
        // One cycle at a time per window; the request runs when this one ends.
        m_rerunRequested = true;
        m_rerunLoadInbox = m_rerunLoadInbox || bLoadInbox;
        return;
    }
    file();
    m_refresh->setRowOrder(
        [column = m_list->sortColumn(), order = m_list->sortOrder()](QVector<ItemRow> &rows) {
            ItemListModel::Rows made = ItemListModel::makeRows(std::move(rows));
            ItemListModel::sortRows(made, column, order);
            rows.clear();
            for (const std::unique_ptr<ItemRow> &row : made)
                rows.append(std::move(*row));
        });
    m_refresh->start({m_feedID, m_feedURL, m_feedType, m_file}, bLoadInbox, m_checkForNewItems);
}

// The stored rows come in the list's order; the list takes them whole.
void frmViewFeed::listStoredRows(const QVector<ItemRow> &rows)
{
    m_model->setRows(ItemListModel::makeRows(rows));
    m_list->showSortIndicator();
    if (m_model->rowCount() > 0)
        m_list->scrollToTop();
    selectRestoredItem();
    if (m_model->isFiltered())
        readFilterTexts();
}

void frmViewFeed::listAddedRows(const QVector<ItemRow> &rows)
{
    m_model->insertAtTop(ItemListModel::makeRows(rows));
    m_list->sortBy(ItemListModel::DateSortColumn, Qt::DescendingOrder);
}

void frmViewFeed::finishCycle()
{
    QPointer<frmViewFeed> self(this);
    emit cycleFinished();
    if (self && m_rerunRequested) {
        const bool loadInbox = m_rerunLoadInbox;
        m_rerunRequested = m_rerunLoadInbox = false;
        QTimer::singleShot(0, this, [this, loadInbox] { LoadFeedData(loadInbox); });
    }
}

void frmViewFeed::refreshCaption()
{
    showCaption(m_captionSuffix);
}

void frmViewFeed::showCaption(const QString &suffix)
{
    m_captionSuffix = suffix;
    const QString caption = m_feedCaption + suffix;
    setWindowTitle(caption);
    emit captionChanged(caption);
}

// Selection and preview

int frmViewFeed::requireSelectedRow() const
{
    const int row = m_list->selectedRow();
    if (row < 0)
        throw std::runtime_error("No item is selected.");
    return row;
}

void frmViewFeed::onItemPicked()
{
    if (m_list->selectedRow() < 0)
        return;
    QPointer<frmViewFeed> self(this);
    emit itemSelected();
    if (self)
        ShowPreview();
}

// The row is marked read at once; its owner saves the mark shortly after.
void frmViewFeed::ShowPreview()
{
    const int row = m_list->selectedRow();
    if (row < 0)
        return;
    // A box about the template may outlive the window.
    QPointer<frmViewFeed> self(this);
    const QString templateText = PreviewTemplate::readTemplate();
    if (!self || templateText.isEmpty())
        return;
    const QString id = m_model->row(row).id;
    const bool unread = !m_model->row(row).read;
    m_model->setRead(row);
    file().readItem(id, unread, this, [this, id, unread, templateText](const FeedFile::Item &found) {
        if (!found.found) {
            QPointer<frmViewFeed> self(this);
            FeedStore::reportFileState(found.state);
            if (self)
                reportItemNotFound();
            if (self && unread)
                m_model->setUnread(m_model->rowOf(id));
            return;
        }
        m_currentItem = found.item;
        m_preview->showItem(templateText, m_currentItem);
    });
}

// A key pressed in the page hands the keyboard back to the list. The
// reading keys work in the page as in the list; Space does not also scroll
// the page itself.
bool frmViewFeed::onPreviewKey(const QKeyEvent &key)
{
    m_list->setFocus();
    if (key.modifiers() != Qt::NoModifier)
        return false;
    if (key.key() == Qt::Key_N)
        showNextUnread();
    else if (key.key() == Qt::Key_Space)
        showNextPage();
    else
        return false;
    return true;
}

// Item actions

void frmViewFeed::HandlePopupMenu(const QString &sAction)
{
    try {
        if (sAction == QLatin1String("show")) {
            requireSelectedRow();
            ShowPreview();
        } else if (sAction == QLatin1String("del")) {
            deleteSelected();
        } else if (sAction == QLatin1String("txt") || sAction == QLatin1String("html")) {
            requireSelectedRow();
            exportPreview(sAction == QLatin1String("html"));
        } else if (sAction == QLatin1String("online")) {
            openOnline();
        } else if (sAction == QLatin1String("email")) {
            requireSelectedRow();
            emailCurrentItem();
        } else if (sAction == QLatin1String("unread")) {
            markSelectedUnread();
        } else if (sAction == QLatin1String("allread")) {
            markAllRead();
        }
        // Other words do nothing.
    } catch (const std::exception &error) {
        Messages::runtimeError(QStringLiteral("HandlePopupMenu"), QString::fromUtf8(error.what()));
    }
}

// Reading comfort

// The list shows the mark at once; the owner saves it.
void frmViewFeed::markSelectedUnread()
{
    const int row = requireSelectedRow();
    m_model->setUnread(row);
    file().markUnread(m_model->row(row).id);
}

void frmViewFeed::markAllRead()
{
    m_model->setAllRead();
    file().markAllRead();
}

QString frmViewFeed::selectedItemId() const
{
    const int row = m_list->selectedRow();
    return row >= 0 ? m_model->row(row).id : QString();
}

void frmViewFeed::selectItemWhenLoaded(const QString &id)
{
    m_itemToSelect = id;
}

// The item of the last session, selected (not shown) once the list has it.
void frmViewFeed::selectRestoredItem()
{
    const int row = m_itemToSelect.isEmpty() ? -1 : m_model->rowOf(m_itemToSelect);
    m_itemToSelect.clear();
    if (row < 0)
        return;
    m_list->selectRow(row);
}

// The next unread item is selected and shown; with none left the next feed
// is asked for.
void frmViewFeed::showNextUnread()
{
    const int row = m_model->nextUnread(m_list->selectedRow());
    if (row < 0) {
        emit nextFeedWithUnreadRequested();
        return;
    }
    m_list->selectRow(row);
    onItemPicked();
}

// A page further down the preview, or the next unread item when the page
// shows its end. The page tells its position by an answer, not a wait.
void frmViewFeed::showNextPage()
{
    if (m_list->selectedRow() < 0 || m_preview->state() == PreviewPane::State::Blank) {
        showNextUnread();
        return;
    }
    m_preview->whenReady([this] {
        if (m_preview->state() != PreviewPane::State::Shown) {
            showNextUnread();
            return;
        }
        // Quick presses at the end move on once: an answer about an item no
        // longer selected is dropped.
        m_preview->scrollPage([this, id = m_currentItem.ID](bool atEnd) {
            if (atEnd && m_list->selectedRow() >= 0 && selectedItemId() == id)
                showNextUnread();
        });
    });
}

void frmViewFeed::applyFilter(const QString &text)
{
    keepingSelection([this, &text] { m_model->setFilter(text); });
    if (m_model->isFiltered())
        readFilterTexts();
}

// The stored items' descriptions join the titles in what the filter looks
// in; they are read once per listing, when the filter is first used, and
// made ready on a worker.
void frmViewFeed::readFilterTexts()
{
    if (m_filterTextsAsked || m_refresh->loadingStored())
        return;
    m_filterTextsAsked = true;
    file().readDescriptions(this, [this](const QVector<FeedFile::Description> &descriptions) {
        Worker::run(
            this,
            [descriptions] {
                QHash<QString, QString> texts;
                texts.reserve(descriptions.size());
                for (const FeedFile::Description &one : descriptions)
                    texts.insert(one.id, filterTextOf(one.title, one.description));
                return texts;
            },
            [this](const QHash<QString, QString> &texts) {
                keepingSelection([this, &texts] { m_model->setFilterTexts(texts); });
            });
    });
}

void frmViewFeed::keepingSelection(const std::function<void()> &change)
{
    const int row = m_list->selectedRow();
    const QString id = row >= 0 ? m_model->row(row).id : QString();
    change();
    const int at = id.isEmpty() ? -1 : m_model->rowOf(id);
    if (at < 0)
        return;
    m_list->selectRow(at);
}

void frmViewFeed::emailCurrentItem()
{
    frmSendEmail::sendItem(window(), FeedCaption(), CurrentItem());
}

// Saved at once; the row goes when the file has it gone.
void frmViewFeed::deleteSelected()
{
    const int row = requireSelectedRow();
    const QString id = m_model->row(row).id;
    file().deleteItem(id, this, [this, id](const FeedFile::Saved &saved) {
        if (!saved.ok) {
            FeedStore::reportSaveFailure(file().fileName(), saved.error);
            return;
        }
        if (saved.state != FeedStore::FileState::Ready) {
            FeedStore::reportFileState(saved.state);
            return;
        }
        const int at = m_model->rowOf(id);
        if (!saved.changed || at < 0)
            return;
        m_model->removeItem(at);
        // The neighbour is selected (not shown), ready for the next command.
        if (m_model->rowCount() > 0) {
            const QModelIndex next = m_model->index(qMin(at, m_model->rowCount() - 1), 0);
            m_list->selectionModel()->setCurrentIndex(
                next, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        m_preview->showBlank();
        emit itemDeleted();
    });
}

// The body of the page the preview shows, its text or its markup.
void frmViewFeed::exportPreview(bool html)
{
    QPointer<frmViewFeed> self(this);
    const QString fileName = m_chooseSaveFile(this, getMessages(Msg::SAVEAS),
        getMessages(html ? Msg::HTMLFILES : Msg::TEXTFILES),
        html ? QStringLiteral("html") : QStringLiteral("txt"));
    if (!self || mUtil::IsBlank(fileName))
        return;
    m_preview->readBody(html, [this, fileName, html](const QString &body) {
        mUtil::WriteTextFile(fileName, html ? PreviewTemplate::exportPage(m_currentItem, body) : body);
        emit itemExported(fileName);
    });
}

void frmViewFeed::openOnline()
{
    const int row = m_list->selectedRow();
    if (row < 0)
        return;
    const QString link = m_model->row(row).link;
    const auto open = [this](const QString &target) {
        if (PreviewTemplate::isWebLink(target))
            m_openLink(target.trimmed());
    };
    if (!mUtil::IsBlank(link)) {
        open(link);
        return;
    }
    file().readItem(m_model->row(row).id, false, this, [open](const FeedFile::Item &found) {
        if (found.found)
            open(found.item.Media);
    });
}
