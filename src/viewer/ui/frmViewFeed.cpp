#include "viewer/ui/frmViewFeed.h"

#include "feeds/FeedFile.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedStore.h"
#include "feeds/PoliteFetch.h"
#include "i18n/Languages.h"
#include "mail/ItemMailer.h"
#include "mail/ui/frmEmailSettings.h"
#include "mail/ui/frmSendEmail.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/Worker.h"
#include "viewer/ItemRows.h"
#include "viewer/PreviewTemplate.h"
#include "viewer/ui/ItemListModel.h"
#include "viewer/ui/ItemListView.h"
#include "viewer/ui/PreviewWebPage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <stdexcept>

namespace
{

const int kDefaultLoadDelay = 400;
const int kDefaultDownloadTimeout = 10000;
// setHtml hands the page over as a data URL, which the view limits to 2 MB
// (base64 grows the page by a third); larger pages go through a file.
const qsizetype kInlinePageLimit = 1500 * 1024;

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

QUrl blankPage()
{
    return QUrl(QStringLiteral("about:blank"));
}

QUrl previewBaseUrl(const FeedItem &item)
{
    // Relative addresses in a description belong to the item's site.
    const QString link = PreviewTemplate::itemLink(item).trimmed();
    return PreviewTemplate::isWebLink(link) ? QUrl(link) : QUrl(QStringLiteral("about:blank"));
}

void reportItemNotFound()
{
    Messages::exclamation(getMessages(QStringLiteral("MSG_ITEMNOTFOUND_TITLE")),
        getMessages(QStringLiteral("MSG_ITEMNOTFOUND")));
}

} // namespace

frmViewFeed::frmViewFeed(QWidget *parent)
    : QWidget(parent),
      m_sortColumn(ItemListModel::DateSortColumn),
      m_chooseSaveFile(chooseSaveFile),
      m_isConnected(mUtil::IsConnected),
      m_openLink(mUtil::ShellOpen)
{
    setObjectName(QStringLiteral("frmViewFeed"));
    buildControls();
    // What a closed window held goes back to the system, not only to the
    // allocator.
    connect(this, &QObject::destroyed, qApp, [] { QTimer::singleShot(0, qApp, mUtil::ReturnFreedMemory); });
}

frmViewFeed::~frmViewFeed()
{
    // A download in progress ends here; a parse or a merge already under way
    // finishes without the window. The data file's owner saves what waits
    // when its last user lets go.
    m_download->abandon();
    if (!m_pageFile.isEmpty())
        QFile::remove(m_pageFile);
}

void frmViewFeed::buildControls()
{
    m_model = new ItemListModel(this);

    m_list = new ItemListView;
    m_list->setObjectName(QStringLiteral("lstItems"));
    m_list->setModel(m_model);
    m_list->setColumnHidden(ItemListModel::DateSortColumn, true);
    m_list->header()->setSortIndicatorShown(true);
    m_list->setAlternatingRowColors(true);
    m_list->viewport()->installEventFilter(this);

    auto *page = new PreviewWebPage(this);
    m_preview = new QWebEngineView;
    m_preview->setObjectName(QStringLiteral("ucPreview"));
    m_preview->setPage(page);
    m_preview->setContextMenuPolicy(Qt::NoContextMenu);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("picSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(5);
    m_splitter->addWidget(m_list);
    m_splitter->addWidget(m_preview);

    m_filter = new QLineEdit;
    m_filter->setObjectName(QStringLiteral("txtFilter"));
    m_filter->setProperty("translated", false);
    m_filter->setPlaceholderText(getMessages(QStringLiteral("MSG_READ_FILTER")));
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
    m_timeout = new QTimer(this);
    m_timeout->setObjectName(QStringLiteral("tmrTimeout"));
    m_timeout->setSingleShot(true);
    m_timeout->setInterval(kDefaultDownloadTimeout);
    m_download = new FeedDownload(this);
    connect(m_download, &FeedDownload::finished, this, &frmViewFeed::onDownloaded);

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
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &frmViewFeed::onHeaderClicked);
    connect(m_splitter, &QSplitter::splitterMoved, this, &frmViewFeed::keepSplitInLimits);
    connect(m_preview, &QWebEngineView::loadFinished, this, &frmViewFeed::onPreviewLoaded);
    connect(
        page, &PreviewWebPage::webLinkClicked, this, [this](const QUrl &url) { m_openLink(url.toString()); });
}

// Properties

QString frmViewFeed::FeedID() const
{
    return m_feedID;
}

void frmViewFeed::setFeedID(const QString &sFeedID)
{
    m_feedID = sFeedID;
}

QString frmViewFeed::FeedURL() const
{
    return m_feedURL;
}

void frmViewFeed::setFeedURL(const QString &sFeedURL)
{
    m_feedURL = sFeedURL;
}

QString frmViewFeed::FeedCaption() const
{
    return m_feedCaption;
}

void frmViewFeed::setFeedCaption(const QString &sFeedCaption)
{
    m_feedCaption = sFeedCaption;
}

int frmViewFeed::FeedType() const
{
    return m_feedType;
}

void frmViewFeed::setFeedType(int iFeedType)
{
    m_feedType = iFeedType;
}

bool frmViewFeed::CheckForNewItems() const
{
    return m_checkForNewItems;
}

void frmViewFeed::setCheckForNewItems(bool bCheckForNewItems)
{
    m_checkForNewItems = bCheckForNewItems;
}

bool frmViewFeed::StillExecuting() const
{
    return m_loadingInbox || m_download->StillExecuting;
}

FeedItem frmViewFeed::CurrentItem() const
{
    return m_currentItem;
}

void frmViewFeed::setLoadDelay(int milliseconds)
{
    m_delay->setInterval(milliseconds);
}

void frmViewFeed::setDownloadTimeout(int milliseconds)
{
    m_timeout->setInterval(milliseconds);
}

void frmViewFeed::setSaveFileChooser(SaveFileChooser chooser)
{
    m_chooseSaveFile = std::move(chooser);
}

void frmViewFeed::setConnectionTest(std::function<bool()> test)
{
    m_isConnected = std::move(test);
}

void frmViewFeed::setLinkOpener(std::function<bool(const QString &)> opener)
{
    m_openLink = std::move(opener);
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
    showBlank();
    m_delay->start();
}

void frmViewFeed::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!isMinimized())
        layoutPanes();
}

void frmViewFeed::layoutPanes()
{
    const int inner = m_splitter->height() - m_splitter->handleWidth();
    if (inner > 0)
        m_splitter->setSizes({inner / 2, inner - inner / 2});
}

void frmViewFeed::fitColumns()
{
    const int width = m_list->viewport()->width();
    m_list->setColumnWidth(ItemListModel::TitleColumn, width * 70 / 100);
    m_list->setColumnWidth(ItemListModel::PublishedColumn, width - width * 70 / 100);
}

void frmViewFeed::keepSplitInLimits()
{
    const int height = m_splitter->height();
    const int top = m_splitter->sizes().value(0);
    const int lowest = height * 20 / 100;
    const int highest = height * 80 / 100;
    if (top >= lowest && top <= highest)
        return;
    const int clamped = qBound(lowest, top, highest);
    m_splitter->setSizes({clamped, height - m_splitter->handleWidth() - clamped});
}

// The refresh cycle

void frmViewFeed::LoadFeedData(bool bLoadInbox)
{
    if (m_cycleRunning) {
        // One cycle at a time per window; the request runs when this one ends.
        m_rerunRequested = true;
        m_rerunLoadInbox = m_rerunLoadInbox || bLoadInbox;
        return;
    }
    m_cycleRunning = true;
    if (bLoadInbox)
        loadInbox();
    else
        checkForNewItems();
}

void frmViewFeed::loadInbox()
{
    if (!captionStep(getMessages(QStringLiteral("MSG_LOADING"))))
        return;
    m_loadingInbox = true;
    m_filterTextsAsked = false;
    m_model->clear();
    file().loadRows(this, [this](const FeedFile::Loaded &loaded) {
        QPointer<frmViewFeed> self(this);
        if (loaded.state != FeedStore::FileState::Missing)
            FeedStore::reportFileState(loaded.state);
        if (!self)
            return;
        // Rows are made and put in order on a worker; the list takes them whole.
        Worker::run(
            this,
            [rows = loaded.rows, column = m_sortColumn, order = m_sortOrder] {
                ItemListModel::Rows built = ItemListModel::makeRows(ItemRowBuilder().fromStored(rows));
                ItemListModel::sortRows(built, column, order);
                return built;
            },
            [this](ItemListModel::Rows rows) {
                m_loadingInbox = false;
                m_model->setRows(std::move(rows));
                showSortIndicator();
                if (m_model->rowCount() > 0)
                    m_list->scrollToTop();
                selectRestoredItem();
                if (m_model->isFiltered())
                    readFilterTexts();
                checkForNewItems();
            });
    });
}

void frmViewFeed::checkForNewItems()
{
    if (!m_checkForNewItems) {
        showCaption(QString());
        finishCycle();
        return;
    }
    if (!waitUntilOnline() || !captionStep(getMessages(QStringLiteral("MSG_CHECKING"))))
        return;
    download();
}

// The question repeats while the machine is offline; false (the cycle
// ended) when the user gives up or the window went away meanwhile.
bool frmViewFeed::waitUntilOnline()
{
    QPointer<frmViewFeed> self(this);
    while (!m_isConnected()) {
        const Messages::Answer answer
            = Messages::show(Messages::Icon::Exclamation, getMessages(QStringLiteral("MSG_OFFLINE_TITLE")),
                getMessages(QStringLiteral("MSG_OFFLINE")), Messages::Buttons::RetryCancel);
        if (!self)
            return false;
        if (answer != Messages::Answer::Retry) {
            showCaption(QString());
            finishCycle();
            return false;
        }
    }
    return true;
}

void frmViewFeed::download()
{
    m_download->FeedURL = m_feedURL;
    m_download->FeedID = m_feedID;
    m_download->setTimeout(m_timeout->interval());
    m_download->start();
}

void frmViewFeed::onDownloaded(FeedDownload::Outcome outcome)
{
    switch (outcome) {
    case FeedDownload::Outcome::Abandoned:
        return;
    case FeedDownload::Outcome::Failed: {
        // Its box names the cause; there is nothing new to parse.
        const FetchFailure failure = *m_download->failure();
        QPointer<frmViewFeed> self(this);
        Messages::exclamation(failure.title, failure.text);
        if (self) {
            showCaption(QString());
            finishCycle();
        }
        return;
    }
    case FeedDownload::Outcome::TimedOut: {
        QPointer<frmViewFeed> self(this);
        const Messages::Answer answer
            = Messages::show(Messages::Icon::Exclamation, getMessages(QStringLiteral("MSG_TIMEOUT_TITLE")),
                getMessages(QStringLiteral("MSG_TIMEOUT")), Messages::Buttons::RetryCancel);
        if (!self)
            return;
        if (answer == Messages::Answer::Retry) {
            download();
            return;
        }
        break; // a Cancel goes on with the previous data
    }
    case FeedDownload::Outcome::NotModified:
        // Nothing to parse and nothing to save: the stored items stand.
        if (offerAddressChange()
            && captionStep(QStringLiteral(" (%1)").arg(PoliteFetch::notModifiedText(getMessages))))
            finishCycle();
        return;
    case FeedDownload::Outcome::Deferred:
    case FeedDownload::Outcome::Gone: {
        QPointer<frmViewFeed> self(this);
        if (outcome == FeedDownload::Outcome::Gone)
            Messages::exclamation(getMessages(QStringLiteral("MSG_FETCH_GONE_TITLE")),
                PoliteFetch::goneText(m_download->host(), getMessages));
        else
            Messages::exclamation(getMessages(QStringLiteral("MSG_FETCH_RETRYLATER_TITLE")),
                PoliteFetch::retryLaterText(m_download->host(), m_download->answer().retryAt, getMessages));
        if (self) {
            showCaption(QString());
            finishCycle();
        }
        return;
    }
    case FeedDownload::Outcome::Complete:
        if (!offerAddressChange())
            return;
        break;
    }
    parse();
}

// A permanent redirect is offered as the feed's new address; false when
// the window went away meanwhile. (The main window changes the catalogue.)
bool frmViewFeed::offerAddressChange()
{
    const QUrl movedTo = m_download->answer().movedTo;
    if (movedTo.isEmpty())
        return true;
    QPointer<frmViewFeed> self(this);
    const QString text = PoliteFetch::movedText(QUrl(m_feedURL.trimmed()), movedTo, getMessages)
        + QStringLiteral("\r\n\r\n") + getMessages(QStringLiteral("MSG_FETCH_MOVED_ASK"));
    const bool change = Messages::askYesNo(getMessages(QStringLiteral("MSG_FETCH_MOVED_TITLE")), text);
    if (!self)
        return false;
    if (change)
        emit addressChangeAccepted(m_feedID, movedTo.toString());
    return !self.isNull();
}

// Parsed on a worker. A window closed meanwhile still has the entries
// merged: a completed download is never lost.
void frmViewFeed::parse()
{
    const std::shared_ptr<FeedFile> owner = FeedFile::open(m_feedID);
    QPointer<frmViewFeed> window(this);
    Worker::run(
        qApp,
        [type = m_feedType, data = m_download->FeedData, charset = m_download->feedCharset] {
            int corrected = -1;
            FeedParser::Result parsed = FeedParser::parseCorrecting(type, data, charset, &corrected);
            return std::make_pair(std::move(parsed), corrected);
        },
        [window, owner, validators = m_download->feedValidators](
            const std::pair<FeedParser::Result, int> &result) {
            const FeedParser::Result &parsed = result.first;
            if (window && result.second >= 0) {
                window->m_feedType = result.second;
                emit window->feedTypeFound(window->m_feedID, result.second);
            }
            if (window)
                window->onParsed(parsed);
            else if (parsed.count > 0)
                owner->merge(parsed.items, validators, qApp, [owner](const FeedStore::MergeResult &) {});
        });
    showCaption(getMessages(QStringLiteral("MSG_PARSING")));
}

void frmViewFeed::onParsed(const FeedParser::Result &parsed)
{
    QPointer<frmViewFeed> self(this);
    FeedParser::reportFailure(parsed.failure);
    if (!self)
        return;
    if (parsed.count <= 0) {
        if (captionStep(getMessages(QStringLiteral("MSG_UPDATING")))
            && captionStep(m_newItems ? getMessages(QStringLiteral("MSG_NEW")) : QString()))
            finishCycle();
        return;
    }
    // Asked before the caption changes: the merge is done even when the
    // window goes meanwhile.
    const FetchState &validators = m_download->feedValidators;
    file().merge(parsed.items, validators, this, [this](const FeedStore::MergeResult &merged) {
        m_newItems = merged.added > 0;
        // The new rows are made on a worker.
        Worker::run(
            this,
            [merged] {
                const ItemRowBuilder builder;
                QVector<ItemRow> rows;
                rows.reserve(merged.addedIndexes.size());
                for (const FeedItem &item : merged.addedItems())
                    rows.append(builder.fromMerged(item));
                return ItemListModel::makeRows(std::move(rows));
            },
            [this](ItemListModel::Rows rows) {
                m_model->insertAtTop(std::move(rows));
                m_sortColumn = ItemListModel::DateSortColumn;
                m_sortOrder = Qt::DescendingOrder;
                applySort();
                if (captionStep(m_newItems ? getMessages(QStringLiteral("MSG_NEW")) : QString()))
                    finishCycle();
            });
    });
    captionStep(getMessages(QStringLiteral("MSG_UPDATING")));
}

void frmViewFeed::finishCycle()
{
    m_cycleRunning = false;
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

// A caption step: the one who watches the caption may close the window;
// false when it is gone.
bool frmViewFeed::captionStep(const QString &suffix)
{
    QPointer<frmViewFeed> self(this);
    showCaption(suffix);
    return !self.isNull();
}

void frmViewFeed::showCaption(const QString &suffix)
{
    m_captionSuffix = suffix;
    const QString caption = m_feedCaption + suffix;
    setWindowTitle(caption);
    emit captionChanged(caption);
}

// Sorting

void frmViewFeed::onHeaderClicked(int section)
{
    m_sortColumn
        = section == ItemListModel::TitleColumn ? ItemListModel::TitleColumn : ItemListModel::DateSortColumn;
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    applySort();
}

void frmViewFeed::applySort()
{
    m_model->sort(m_sortColumn, m_sortOrder);
    showSortIndicator();
}

void frmViewFeed::showSortIndicator()
{
    const int section = m_sortColumn == ItemListModel::TitleColumn ? ItemListModel::TitleColumn
                                                                   : ItemListModel::PublishedColumn;
    m_list->header()->setSortIndicator(section, m_sortOrder);
}

// Selection and preview

int frmViewFeed::selectedRow() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

int frmViewFeed::requireSelectedRow() const
{
    const int row = selectedRow();
    if (row < 0)
        throw std::runtime_error("No item is selected.");
    return row;
}

void frmViewFeed::onItemPicked()
{
    if (selectedRow() < 0)
        return;
    QPointer<frmViewFeed> self(this);
    emit itemSelected();
    if (self)
        ShowPreview();
}

// The row is marked read at once; its owner saves the mark shortly after.
void frmViewFeed::ShowPreview()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QString templateFile = AppFolder::file(QStringLiteral("view.tpl"));
    if (!mUtil::FileExists(templateFile)) {
        Messages::exclamation(
            getMessages(QStringLiteral("MSG_ERROR")), getMessages(QStringLiteral("MSG_PREVIEWMISSING")));
        return;
    }
    QPointer<frmViewFeed> self(this);
    const QString templateText = mUtil::ReadTextFile(templateFile);
    if (!self)
        return;
    if (mUtil::IsBlank(templateText)) {
        Messages::exclamation(getMessages(QStringLiteral("MSG_PREVIEWINVALID_TITLE")),
            getMessages(QStringLiteral("MSG_PREVIEWINVALID")));
        return;
    }
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
        showPage(PreviewTemplate::render(templateText, m_currentItem), previewBaseUrl(m_currentItem));
    });
}

void frmViewFeed::showPage(const QString &html, const QUrl &baseUrl)
{
    m_previewState = PreviewState::Loading;
    navigate({false, html, baseUrl});
}

void frmViewFeed::showBlank()
{
    m_previewState = PreviewState::Blank;
    navigate({true, QString(), QUrl()});
}

// One navigation of the view at a time: a page asked for while another
// loads waits for it (the view would drop one given in the middle), and
// only the last one asked for is shown.
void frmViewFeed::navigate(const PreviewPage &page)
{
    if (m_navigating) {
        m_pendingPage = page;
        return;
    }
    m_navigating = true;
    if (!m_pageFile.isEmpty())
        QFile::remove(m_pageFile);
    m_pageFile.clear();
    if (page.blank) {
        m_preview->setUrl(blankPage());
        return;
    }
    if (page.html.toUtf8().size() <= kInlinePageLimit) {
        m_preview->setHtml(page.html, page.baseUrl);
        return;
    }
    const QString file = AppFolder::file(QStringLiteral("~preview.htm"));
    if (!mUtil::WriteTextFile(file, page.html)) {
        m_navigating = false;
        return;
    }
    m_pageFile = file;
    m_preview->load(QUrl::fromLocalFile(file));
}

void frmViewFeed::onPreviewLoaded()
{
    m_navigating = false;
    if (m_pendingPage) {
        const PreviewPage next = *std::exchange(m_pendingPage, std::nullopt);
        navigate(next);
        return;
    }
    if (!m_pageFile.isEmpty() && mUtil::FileExists(m_pageFile))
        QFile::remove(m_pageFile);
    m_pageFile.clear();
    if (m_previewState == PreviewState::Loading) {
        m_previewState = PreviewState::Shown;
        emit previewShown();
    }
    // A key pressed in the page hands the keyboard back to the list.
    QWidget *proxy = m_preview->focusProxy();
    if (proxy && proxy != m_previewFocusProxy) {
        proxy->installEventFilter(this);
        m_previewFocusProxy = proxy;
    }
    m_list->setFocus();
    const QList<std::function<void()>> waiting = std::exchange(m_whenPreviewReady, {});
    for (const std::function<void()> &then : waiting)
        then();
}

void frmViewFeed::whenPreviewReady(std::function<void()> then)
{
    if (m_previewState == PreviewState::Loading)
        m_whenPreviewReady.append(std::move(then));
    else
        then();
}

bool frmViewFeed::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_previewFocusProxy && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        m_list->setFocus();
        // The reading keys work in the page as in the list; Space does not
        // also scroll the page itself.
        if (key->modifiers() == Qt::NoModifier && key->key() == Qt::Key_N) {
            showNextUnread();
            return true;
        }
        if (key->modifiers() == Qt::NoModifier && key->key() == Qt::Key_Space) {
            showNextPage();
            return true;
        }
    } else if (watched == m_list->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QWidget::eventFilter(watched, event);
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
    const int row = selectedRow();
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
    const QModelIndex index = m_model->index(row, 0);
    m_list->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_list->scrollTo(index);
}

// The next unread item is selected and shown; with none left the next feed
// is asked for.
void frmViewFeed::showNextUnread()
{
    const int row = m_model->nextUnread(selectedRow());
    if (row < 0) {
        emit nextFeedWithUnreadRequested();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    m_list->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_list->scrollTo(index);
    onItemPicked();
}

// A page further down the preview, or the next unread item when the page
// shows its end. The page tells its position by an answer, not a wait.
void frmViewFeed::showNextPage()
{
    if (selectedRow() < 0 || m_previewState == PreviewState::Blank) {
        showNextUnread();
        return;
    }
    whenPreviewReady([this] {
        if (m_previewState != PreviewState::Shown) {
            showNextUnread();
            return;
        }
        const QString script = QStringLiteral(
            "(function () {"
            " var page = document.scrollingElement || document.documentElement;"
            " if (!page || page.scrollTop + window.innerHeight >= page.scrollHeight - 1) return true;"
            " window.scrollBy(0, Math.max(1, window.innerHeight - 40));"
            " return false; })()");
        // Quick presses at the end move on once: an answer about an item no
        // longer selected is dropped.
        QPointer<frmViewFeed> window(this);
        const QString id = m_currentItem.ID;
        m_preview->page()->runJavaScript(
            script, QWebEngineScript::ApplicationWorld, [window, id](const QVariant &atEnd) {
                if (window && atEnd.toBool() && window->selectedRow() >= 0
                    && window->m_model->row(window->selectedRow()).id == id)
                    window->showNextUnread();
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
    if (m_filterTextsAsked || m_loadingInbox)
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
    const int row = selectedRow();
    const QString id = row >= 0 ? m_model->row(row).id : QString();
    change();
    const int at = id.isEmpty() ? -1 : m_model->rowOf(id);
    if (at < 0)
        return;
    const QModelIndex index = m_model->index(at, 0);
    m_list->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_list->scrollTo(index);
}

void frmViewFeed::emailCurrentItem()
{
    const ItemMailer::Readiness readiness = ItemMailer::readiness();
    if (readiness == ItemMailer::Readiness::NoServer
        && Messages::askYesNo(getMessages(QStringLiteral("MSG_EMAIL_NOTCONFIGURED_TITLE")),
            getMessages(QStringLiteral("MSG_EMAIL_NOTCONFIGURED")))) {
        frmEmailSettings settings(window());
        settings.exec();
        return;
    }
    if (readiness != ItemMailer::Readiness::Ready) {
        ItemMailer::refuse(readiness);
        return;
    }
    const MailComposer::ItemMail mail = MailComposer::itemMail(FeedCaption(), CurrentItem());
    frmSendEmail dialog(window());
    dialog.ChannelName = mail.channelName;
    dialog.FeedTitle = mail.feedTitle;
    dialog.ItemDescription = mail.itemDescription;
    dialog.ItemLink = mail.itemLink;
    dialog.exec();
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
        showBlank();
        emit itemDeleted();
    });
}

// The body of the page the preview shows, its text or its markup, read in
// the page's isolated script world (which works while the page's own
// scripts are off) once the page has loaded.
void frmViewFeed::exportPreview(bool html)
{
    QPointer<frmViewFeed> self(this);
    const QString fileName = m_chooseSaveFile(this, getMessages(QStringLiteral("MSG_SAVEAS")),
        getMessages(html ? QStringLiteral("MSG_HTMLFILES") : QStringLiteral("MSG_TEXTFILES")),
        html ? QStringLiteral("html") : QStringLiteral("txt"));
    if (!self || mUtil::IsBlank(fileName))
        return;
    const auto write = [this, fileName, html](const QString &body) {
        mUtil::WriteTextFile(fileName, html ? PreviewTemplate::exportPage(m_currentItem, body) : body);
        emit itemExported(fileName);
    };
    whenPreviewReady([this, html, write] {
        if (m_previewState == PreviewState::Blank) {
            write(QString());
            return;
        }
        const QString script = html ? QStringLiteral("document.body ? document.body.innerHTML : ''")
                                    : QStringLiteral("document.body ? document.body.innerText : ''");
        QPointer<frmViewFeed> window(this);
        m_preview->page()->runJavaScript(
            script, QWebEngineScript::ApplicationWorld, [window, write](const QVariant &value) {
                if (window)
                    write(value.toString());
            });
    });
}

void frmViewFeed::openOnline()
{
    const int row = selectedRow();
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
