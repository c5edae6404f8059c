#include "shell/SavedSession.h"

#include "catalogue/Catalogue.h"
#include "config/UserSettings.h"
#include "shell/FeedTabs.h"
#include "viewer/ui/frmViewFeed.h"

SavedSession::SavedSession(FeedTabs &tabs, const Catalogue &catalogue) : m_tabs(tabs), m_catalogue(catalogue)
{
}

void SavedSession::save() const
{
    QStringList feeds;
    QStringList items;
    for (const frmViewFeed *window : m_tabs.feedWindows()) {
        feeds << window->FeedID();
        items << window->selectedItemId();
    }
    UserSettings::setValue(SettingsKeys::OpenFeeds, feeds);
    UserSettings::setValue(SettingsKeys::SelectedItems, items);
}

void SavedSession::restore()
{
    const QStringList feeds = UserSettings::value(SettingsKeys::OpenFeeds, QStringList()).toStringList();
    const QStringList items = UserSettings::value(SettingsKeys::SelectedItems, QStringList()).toStringList();
    for (qsizetype i = 0; i < feeds.size(); ++i) {
        const std::optional<FeedRecord> feed = m_catalogue.feed(feeds.at(i));
        if (!feed || m_tabs.IsFeedOpen(feed->FeedURL, false))
            continue;
        m_tabs.OpenFeed(*feed, false);
        // The window just opened is the newest.
        const QList<frmViewFeed *> windows = m_tabs.feedWindows();
        frmViewFeed *window = windows.isEmpty() ? nullptr : windows.last();
        if (!window || window->FeedID() != feed->FeedID)
            continue;
        window->selectItemWhenLoaded(items.value(i));
    }
}
