#pragma once

#include "util/FeedRecord.h"

#include <QDialog>
#include <QList>

class Catalogue;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QTreeWidget;
class QTreeWidgetItem;

// Edits the "schdl" settings: whether scheduled checking is on, which feeds
// it checks and in what order, its interval, and whether a run that found
// new items shows the pop-up and plays the sound.
class frmScheduler : public QDialog
{
    Q_OBJECT
public:
    explicit frmScheduler(Catalogue *catalogue, QWidget *parent = nullptr);

    // One list item for a feed: key FeedID, text FeedCaption, tag FeedURL
    // and the image FeedType + 3, as the category tree gives them.
    static QTreeWidgetItem *feedItem(const FeedRecord &feed);

protected:
    // Enter in a list does what a double-click does (Delete also removes),
    // rather than pressing OK.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadFeedSources();
    void LoadScheduleList();
    void enableSteps();
    void addSelectedSource();
    void removeSelectedSchedule();
    void save();
    bool checksPass();

    Catalogue *m_catalogue;
    QCheckBox *m_enable;
    QList<QGroupBox *> m_steps;
    QTreeWidget *m_sources;
    QTreeWidget *m_schedule;
    QComboBox *m_interval;
    QCheckBox *m_notify;
    QCheckBox *m_sound;
};
