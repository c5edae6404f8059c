#pragma once

#include "feeds/FeedItem.h"
#include "viewer/ItemRows.h"

#include <QWidget>

#include <functional>
#include <memory>

class FeedFile;
class FeedRefresh;
class ItemListModel;
class ItemListView;
class PreviewPane;
class QKeyEvent;
class QLineEdit;
class QSplitter;
class QTimer;

// The window of one open feed: the item list over the HTML preview, and
// the item actions. Its refresh cycle (FeedRefresh) and its preview
// (PreviewPane) do their own work; nothing here waits: the feed's data file
// is read and written by its owner on the store thread, each step going on
// when the one before has answered.
class frmViewFeed : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString FeedID READ FeedID WRITE setFeedID)
    Q_PROPERTY(QString FeedURL READ FeedURL WRITE setFeedURL)
    Q_PROPERTY(QString FeedCaption READ FeedCaption WRITE setFeedCaption)
    Q_PROPERTY(int FeedType READ FeedType WRITE setFeedType)
    Q_PROPERTY(bool CheckForNewItems READ CheckForNewItems WRITE setCheckForNewItems)
    Q_PROPERTY(bool StillExecuting READ StillExecuting)
public:
    explicit frmViewFeed(QWidget *parent = nullptr);
    ~frmViewFeed() override;

    QString FeedID() const { return m_feedID; }
    void setFeedID(const QString &sFeedID) { m_feedID = sFeedID; }
    QString FeedURL() const { return m_feedURL; }
    void setFeedURL(const QString &sFeedURL) { m_feedURL = sFeedURL; }
    QString FeedCaption() const { return m_feedCaption; }
    void setFeedCaption(const QString &sFeedCaption) { m_feedCaption = sFeedCaption; }
    int FeedType() const { return m_feedType; }
    void setFeedType(int iFeedType) { m_feedType = iFeedType; }
    bool CheckForNewItems() const { return m_checkForNewItems; }
    void setCheckForNewItems(bool bCheckForNewItems) { m_checkForNewItems = bCheckForNewItems; }
    bool StillExecuting() const;

    // The refresh cycle: stored items, connection test, download, parse,
    // merge. It runs on after the call returns; cycleFinished() ends it.
    void LoadFeedData(bool bLoadInbox);
    // "show", "del", "txt", "html", "email", "online", "unread" (the
    // selected item), "allread" (every item of the feed); anything else does
    // nothing. Actions that need the data file or the preview finish after
    // the call returns.
    void HandlePopupMenu(const QString &sAction);

    // Shows the caption again with the present FeedCaption (after a rename).
    void refreshCaption();

    // The item last shown in the preview.
    FeedItem CurrentItem() const { return m_currentItem; }
    // The id of the selected item, "" for none; and the item to select
    // once the stored items are listed (a restored tab).
    QString selectedItemId() const;
    void selectItemWhenLoaded(const QString &id);

    // Settable intervals (tests): the delay before the first load, the
    // download time-out.
    void setLoadDelay(int milliseconds);
    void setDownloadTimeout(int milliseconds);

    // Seams for the outside world (tests replace them).
    // Asks for a file to save to; "" when cancelled.
    using SaveFileChooser = std::function<QString(
        QWidget *parent, const QString &title, const QString &filter, const QString &defaultSuffix)>;
    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseSaveFile = std::move(chooser); }
    // Tells whether the machine is online.
    void setConnectionTest(std::function<bool()> test);
    // Opens a web address in the default browser.
    void setLinkOpener(std::function<bool(const QString &)> opener) { m_openLink = std::move(opener); }

signals:
    // The caption changed; the tab strip should show it.
    void captionChanged(const QString &caption);
    // An item was selected: "Send by Email" can be enabled.
    void itemSelected();
    // The item menu is wanted at a global position.
    void itemMenuRequested(const QPoint &globalPos);
    // The Delete key on a selected item: the main window asks, then deletes.
    void itemDeleteRequested();
    // The document showed the feed to be of another type (0 RSS, 1 Atom).
    void feedTypeFound(const QString &feedId, int feedType);
    // A refresh cycle has ended (the window still exists).
    void cycleFinished();
    // The preview shows an item (its page has loaded).
    void previewShown();
    // An item was deleted, or an export written (its file name).
    void itemDeleted();
    void itemExported(const QString &fileName);
    // The feed has moved for good and the user accepted its new address:
    // the catalogue should store newUrl as the URL of the feed feedId.
    void addressChangeAccepted(const QString &feedId, const QString &newUrl);
    // N or Space found no unread item left in the list: the next feed with
    // unread items should open.
    void nextFeedWithUnreadRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void connectRefresh();
    void selectRestoredItem();
    FeedFile &file();

    // What the refresh cycle reports.
    void listStoredRows(const QVector<ItemRow> &rows);
    void listAddedRows(const QVector<ItemRow> &rows);
    void finishCycle();
    void showCaption(const QString &suffix);

    void ShowPreview();
    bool onPreviewKey(const QKeyEvent &key);

    void deleteSelected();
    void exportPreview(bool html);
    void openOnline();
    int requireSelectedRow() const;
    // "email": the send dialog for the current item, once the server is set.
    void emailCurrentItem();

    void onItemPicked();

    // Reading comfort: marks, the next unread item, the filter.
    void markSelectedUnread();
    void markAllRead();
    void showNextUnread();
    void showNextPage();
    void applyFilter(const QString &text);
    void readFilterTexts();
    // Runs change, then selects again the item selected before, when it is
    // still listed.
    void keepingSelection(const std::function<void()> &change);

    QString m_feedID;
    QString m_feedURL;
    QString m_feedCaption;
    QString m_captionSuffix;
    int m_feedType = 0;
    bool m_checkForNewItems = false;
    bool m_rerunRequested = false;
    bool m_rerunLoadInbox = false;
    bool m_loaded = false;
    FeedItem m_currentItem;
    FeedRefresh *m_refresh = nullptr;
    std::shared_ptr<FeedFile> m_file;

    SaveFileChooser m_chooseSaveFile;
    std::function<bool(const QString &)> m_openLink;

    ItemListModel *m_model = nullptr;
    ItemListView *m_list = nullptr;
    QLineEdit *m_filter = nullptr;
    bool m_filterTextsAsked = false; // the descriptions are asked once per listing
    PreviewPane *m_preview = nullptr;
    QSplitter *m_splitter = nullptr;
    QTimer *m_delay = nullptr;
    QTimer *m_timeout = nullptr;
    QString m_itemToSelect;
};
