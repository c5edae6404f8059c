#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

// The number of unread items of each feed, for the tree. The first counts
// are read from the data files on a worker, a batch at a time, so the
// window is never held up; after that the data files' owners tell every
// change (set()).
class UnreadCounts : public QObject
{
    Q_OBJECT
public:
    explicit UnreadCounts(QObject *parent = nullptr);

    // Reads the counts of these feeds again; changed() follows per batch.
    // A later recount makes the batches of an earlier one moot.
    void recount(const QStringList &feedIds);
    void set(const QString &feedId, int unread);
    // -1 while not known.
    int of(const QString &feedId) const { return m_counts.value(feedId, -1); }

signals:
    void changed(const QStringList &feedIds);

private:
    void countBatch(QStringList remaining, quint64 generation);

    QHash<QString, int> m_counts;
    // Feeds whose owner has told a count: a file read cannot know better.
    QSet<QString> m_told;
    quint64 m_generation = 0;
};
