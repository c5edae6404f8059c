#pragma once

#include "feeds/FeedItem.h"

#include <QWidget>

class FeedDownload;
class QTimer;

// The window of one open feed: the item list over the HTML preview, the
// refresh cycle and the item actions.
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

    QString FeedID() const;
    void setFeedID(const QString &sFeedID);
    QString FeedURL() const;
    void setFeedURL(const QString &sFeedURL);
    QString FeedCaption() const;
    void setFeedCaption(const QString &sFeedCaption);
    int FeedType() const;
    void setFeedType(int iFeedType);
    bool CheckForNewItems() const;
    void setCheckForNewItems(bool bCheckForNewItems);
    bool StillExecuting() const;

    // The refresh cycle: stored items, connection test, download, parse, merge.
    void LoadFeedData(bool bLoadInbox);
    // "show", "del", "txt", "html", "email", "online"; anything else does nothing.
    void HandlePopupMenu(const QString &sAction);

    // The item last shown in the preview.
    FeedItem CurrentItem() const;

    // Settable intervals (tests): the delay before the first load, the
    // download time-out.
    void setLoadDelay(int milliseconds);
    void setDownloadTimeout(int milliseconds);

signals:
    // The caption changed; the tab strip should show it.
    void captionChanged(const QString &caption);
    // An item was selected: "Send by Email" can be enabled.
    void itemSelected();
    // The item menu is wanted at a global position.
    void itemMenuRequested(const QPoint &globalPos);
};
