#include "viewer/ui/frmViewFeed.h"

#include "feeds/FeedDownload.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedStore.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "viewer/ItemRows.h"
#include "viewer/PreviewTemplate.h"
#include "viewer/ui/ItemListModel.h"
#include "viewer/ui/ItemListView.h"
#include "viewer/ui/PreviewWebPage.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
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

// Merges a finished download's entries when the window went away mid-cycle,
// so a completed download is never lost.
void mergeWithoutWindow(const QString &feedId, const FeedParser::Result &parsed)
{
    if (parsed.count > 0)
        FeedStore(feedId).UpdateItems(parsed.items);
}

} // namespace

frmViewFeed::frmViewFeed(QWidget *parent)
    : QWidget(parent),
      m_download(std::make_shared<FeedDownload>()),
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
    // A cycle waiting on the download holds its own reference; it returns as
    // soon as the wait is abandoned and touches nothing of this window.
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

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);

    m_delay = new QTimer(this);
    m_delay->setObjectName(QStringLiteral("tmrDelay"));
    m_delay->setSingleShot(true);
    m_delay->setInterval(kDefaultLoadDelay);
    m_timeout = new QTimer(this);
    m_timeout->setObjectName(QStringLiteral("tmrTimeout"));
    m_timeout->setSingleShot(true);
    m_timeout->setInterval(kDefaultDownloadTimeout);

    connect(m_delay, &QTimer::timeout, this, [this] { LoadFeedData(true); });
    connect(m_list, &ItemListView::itemPicked, this, &frmViewFeed::onItemPicked);
    connect(m_list, &ItemListView::menuRequested, this, &frmViewFeed::itemMenuRequested);
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
    QPointer<frmViewFeed> self(this);
    m_cycleRunning = true;
    runCycle(bLoadInbox);
    if (!self)
        return;
    m_cycleRunning = false;
    emit cycleFinished();
    if (self && m_rerunRequested) {
        const bool loadInbox = m_rerunLoadInbox;
        m_rerunRequested = m_rerunLoadInbox = false;
        QTimer::singleShot(0, this, [this, loadInbox] { LoadFeedData(loadInbox); });
    }
}

// Every step that lets events run may end with this window gone; after such
// a step nothing of it is touched.
void frmViewFeed::runCycle(bool bLoadInbox)
{
    if (bLoadInbox && (!captionStep(QStringLiteral(" (loading ...)")) || !LoadInbox()))
        return;
    if (!m_checkForNewItems) {
        showCaption(QString());
        pumpEvents();
        return;
    }
    if (!waitUntilOnline() || !captionStep(QStringLiteral(" (checking ...)")))
        return;

    QPointer<frmViewFeed> self(this);
    const std::shared_ptr<FeedDownload> download = m_download;
    download->FeedURL = m_feedURL;
    download->setTimeout(m_timeout->interval());
    const bool downloaded = download->DownloadFeed(); // a Cancel goes on with the previous data
    if (!self)
        return;
    if (!downloaded && download->failed()) {
        // Its box named the cause; there is nothing new to parse.
        showCaption(QString());
        pumpEvents();
        return;
    }

    const QString feedId = m_feedID;
    const int feedType = m_feedType;
    const QByteArray data = download->FeedData;
    const QString charset = download->FeedCharset;
    if (!captionStep(QStringLiteral(" (parsing ...)")))
        return mergeWithoutWindow(feedId, FeedParser::parseByType(feedType, data, charset));
    const FeedParser::Result parsed = FeedParser::parseByType(feedType, data, charset);
    if (parsed.failure != FeedParser::Failure::None) {
        FeedParser::reportFailure(parsed.failure);
        if (!self)
            return;
    }
    if (!captionStep(QStringLiteral(" (updating ...)")))
        return mergeWithoutWindow(feedId, parsed);
    if (parsed.count > 0)
        UpdateItems(parsed);
    showCaption(m_newItems ? QStringLiteral(" [new]") : QString());
    pumpEvents();
}

bool frmViewFeed::waitUntilOnline()
{
    QPointer<frmViewFeed> self(this);
    while (!m_isConnected()) {
        const Messages::Answer answer
            = Messages::show(Messages::Icon::Exclamation, QStringLiteral("Working Offline?"),
                QStringLiteral(
                    "Cannot check Feed URL for new Items, Application failed to access Internet on this "
                    "machine. Please make sure you're connected to Internet and Firewall application (if "
                    "any) is configured properly to grant Internet access for ")
                    + AppInfo::title(),
                Messages::Buttons::RetryCancel);
        if (!self)
            return false;
        if (answer != Messages::Answer::Retry) {
            showCaption(QString());
            pumpEvents();
            return false;
        }
    }
    return true;
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

bool frmViewFeed::captionStep(const QString &suffix)
{
    QPointer<frmViewFeed> self(this);
    showCaption(suffix);
    return self && pumpEvents();
}

bool frmViewFeed::pumpEvents()
{
    QPointer<frmViewFeed> self(this);
    QCoreApplication::processEvents();
    return !self.isNull();
}

bool frmViewFeed::LoadInbox()
{
    QPointer<frmViewFeed> self(this);
    m_loadingInbox = true;
    m_model->clear();
    QVector<FeedStore::Row> stored;
    FeedStore(m_feedID).LoadInbox(stored); // reports its own failures
    if (!self)
        return false;
    m_model->setRows(ItemRowBuilder().fromStored(stored));
    applySort();
    if (m_model->rowCount() > 0)
        m_list->scrollToTop();
    m_loadingInbox = false;
    return true;
}

void frmViewFeed::UpdateItems(const FeedParser::Result &parsed)
{
    const FeedStore::MergeResult merged = FeedStore(m_feedID).UpdateItems(parsed.items);
    m_newItems = merged.added > 0;
    const ItemRowBuilder builder;
    QVector<ItemRow> rows;
    rows.reserve(merged.addedItems.size());
    for (const FeedItem &item : merged.addedItems)
        rows.append(builder.fromMerged(item));
    m_model->insertAtTop(rows);
    m_sortColumn = ItemListModel::DateSortColumn;
    m_sortOrder = Qt::DescendingOrder;
    applySort();
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

void frmViewFeed::ShowPreview()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QString templateFile = AppFolder::file(QStringLiteral("view.tpl"));
    if (!mUtil::FileExists(templateFile)) {
        Messages::exclamation(QStringLiteral("Error!"),
            QStringLiteral("Required Preview object file is missing or hidden. Please reinstall "
                           "application to resolve this issue."));
        return;
    }
    QPointer<frmViewFeed> self(this);
    const QString templateText = mUtil::ReadTextFile(templateFile);
    if (!self)
        return;
    if (mUtil::IsBlank(templateText)) {
        Messages::exclamation(QStringLiteral("Invalid Preview data object!"),
            QStringLiteral("Invalid Item Preview object data. Either file is damaged or replaced "
                           "by another file. Please reinstall the Application to resolve this "
                           "issue."));
        return;
    }
    FeedItem item = m_currentItem;
    const bool unread = !m_model->row(row).read;
    const bool found
        = FeedStore(m_feedID).ItemAction(m_model->row(row).id, FeedStore::Action::GetInfo, unread, &item);
    if (!self)
        return;
    if (!found) {
        Messages::exclamation(QStringLiteral("Failed to locate item in Feed Data File!"),
            QStringLiteral("Application failed to access details for selected Feed Item. Either "
                           "item is deleted or Feed Data file is not accessible to application."));
        return;
    }
    m_currentItem = item;
    m_model->setRead(row);
    showPage(PreviewTemplate::render(templateText, m_currentItem), previewBaseUrl(m_currentItem));
}

void frmViewFeed::showPage(const QString &html, const QUrl &baseUrl)
{
    if (!m_pageFile.isEmpty())
        QFile::remove(m_pageFile);
    m_pageFile.clear();
    m_previewState = PreviewState::Loading;
    if (html.toUtf8().size() <= kInlinePageLimit) {
        m_preview->setHtml(html, baseUrl);
        return;
    }
    const QString file = AppFolder::file(QStringLiteral("~preview.htm"));
    if (!mUtil::WriteTextFile(file, html))
        return;
    m_pageFile = file;
    m_preview->load(QUrl::fromLocalFile(file));
}

void frmViewFeed::showBlank()
{
    m_previewState = PreviewState::Blank;
    m_preview->setUrl(blankPage());
}

void frmViewFeed::onPreviewLoaded()
{
    if (!m_pageFile.isEmpty() && mUtil::FileExists(m_pageFile))
        QFile::remove(m_pageFile);
    m_pageFile.clear();
    // A page is never blank: the end of the blank page that an item's page
    // replaced at once can come after the item's page started.
    if (m_previewState == PreviewState::Loading && m_preview->url() != blankPage())
        m_previewState = PreviewState::Shown;
    // A key pressed in the page hands the keyboard back to the list.
    QWidget *proxy = m_preview->focusProxy();
    if (proxy && proxy != m_previewFocusProxy) {
        proxy->installEventFilter(this);
        m_previewFocusProxy = proxy;
    }
    m_list->setFocus();
}

bool frmViewFeed::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_previewFocusProxy && event->type() == QEvent::KeyPress)
        m_list->setFocus();
    else if (watched == m_list->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QWidget::eventFilter(watched, event);
}

// The body of the page the preview shows: its text or its markup. Read in
// the page's isolated script world, which works while the page's own
// scripts are off. False when the window went away meanwhile.
bool frmViewFeed::previewBody(bool html, QString *body)
{
    body->clear();
    if (m_previewState == PreviewState::Blank)
        return true;
    QPointer<frmViewFeed> self(this);
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (m_previewState == PreviewState::Loading) {
        const QMetaObject::Connection finished
            = connect(m_preview, &QWebEngineView::loadFinished, &loop, &QEventLoop::quit);
        while (self && m_previewState == PreviewState::Loading)
            loop.exec();
        if (!self)
            return false;
        disconnect(finished);
    }
    auto result = std::make_shared<QString>();
    auto done = std::make_shared<bool>(false);
    const QString script = html ? QStringLiteral("document.body ? document.body.innerHTML : ''")
                                : QStringLiteral("document.body ? document.body.innerText : ''");
    QPointer<QEventLoop> waiting(&loop);
    m_preview->page()->runJavaScript(
        script, QWebEngineScript::ApplicationWorld, [result, done, waiting](const QVariant &value) {
            *result = value.toString();
            *done = true;
            if (waiting)
                waiting->quit();
        });
    if (!*done)
        loop.exec();
    if (!self)
        return false;
    *body = *result;
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
        }
        // "email" waits for the send dialog; other words do nothing.
    } catch (const std::exception &error) {
        Messages::runtimeError(QStringLiteral("HandlePopupMenu"), QString::fromUtf8(error.what()));
    }
}

void frmViewFeed::deleteSelected()
{
    const int row = requireSelectedRow();
    QPointer<frmViewFeed> self(this);
    const bool deleted
        = FeedStore(m_feedID).ItemAction(m_model->row(row).id, FeedStore::Action::Delete, true);
    if (!self || !deleted || row >= m_model->rowCount())
        return;
    m_model->removeItem(row);
    // The neighbour is selected (not shown), ready for the next command.
    if (m_model->rowCount() > 0) {
        const QModelIndex next = m_model->index(qMin(row, m_model->rowCount() - 1), 0);
        m_list->selectionModel()->setCurrentIndex(
            next, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    showBlank();
}

void frmViewFeed::exportPreview(bool html)
{
    QPointer<frmViewFeed> self(this);
    const QString fileName = html ? m_chooseSaveFile(this, QStringLiteral("Save As ..."),
                                 QStringLiteral("HTML Files (*.htm *.html)"), QStringLiteral("html"))
                                  : m_chooseSaveFile(this, QStringLiteral("Save As ..."),
                                      QStringLiteral("Text Files (*.txt)"), QStringLiteral("txt"));
    if (!self || mUtil::IsBlank(fileName))
        return;
    QString body;
    if (previewBody(html, &body))
        mUtil::WriteTextFile(fileName, html ? PreviewTemplate::exportPage(m_currentItem, body) : body);
}

void frmViewFeed::openOnline()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    QString target = m_model->row(row).link;
    if (mUtil::IsBlank(target)) {
        QPointer<frmViewFeed> self(this);
        FeedItem item;
        const bool found
            = FeedStore(m_feedID).ItemAction(m_model->row(row).id, FeedStore::Action::GetInfo, false, &item);
        if (!self || !found)
            return;
        target = item.Media;
    }
    if (PreviewTemplate::isWebLink(target))
        m_openLink(target.trimmed());
}
