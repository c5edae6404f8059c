#pragma once

class Catalogue;
class FeedTabs;

// The open feed tabs and the selected item of each, kept in the per-user
// settings (group "Session") when the program ends and opened again at the
// next start.
class SavedSession
{
public:
    SavedSession(FeedTabs &tabs, const Catalogue &catalogue);

    void save() const;
    // Feeds deleted meanwhile are left out.
    void restore();

private:
    FeedTabs &m_tabs;
    const Catalogue &m_catalogue;
};
