#include "feeds/UnreadCounts.h"

#include "feeds/FeedDocument.h"
#include "util/AppFolder.h"
#include "util/Utilities.h"
#include "util/Worker.h"

#include <QPair>
#include <QVector>

namespace
{

constexpr int batchSize = 64;

using Counted = QVector<QPair<QString, int>>;

} // namespace

UnreadCounts::UnreadCounts(QObject *parent) : QObject(parent)
{
}

void UnreadCounts::recount(const QStringList &feedIds)
{
    countBatch(feedIds, ++m_generation);
}

void UnreadCounts::set(const QString &feedId, int unread)
{
    m_told.insert(feedId);
    if (m_counts.value(feedId, -1) == unread)
        return;
    m_counts.insert(feedId, unread);
    emit changed({feedId});
}

int UnreadCounts::countInFile(const QString &feedId)
{
    if (!mUtil::IsFeedId(feedId))
        return 0;
    FeedDocument document;
    if (document.load(AppFolder::file(QStringLiteral("Data/") + feedId + QStringLiteral(".fdb")))
        != FeedStore::FileState::Ready)
        return 0;
    int unread = 0;
    for (const FeedStore::Row &row : document.rows())
        unread += row.read ? 0 : 1;
    return unread;
}

void UnreadCounts::countBatch(QStringList remaining, quint64 generation)
{
    if (remaining.isEmpty() || generation != m_generation)
        return;
    const QStringList batch = remaining.mid(0, batchSize);
    remaining.remove(0, qMin<qsizetype>(batchSize, remaining.size()));
    Worker::run(
        this,
        [batch] {
            Counted counted;
            for (const QString &id : batch)
                counted.append({id, countInFile(id)});
            return counted;
        },
        [this, remaining, generation](const Counted &counted) {
            if (generation != m_generation)
                return;
            QStringList ids;
            for (const auto &[id, unread] : counted) {
                if (m_told.contains(id))
                    continue;
                m_counts.insert(id, unread);
                ids << id;
            }
            emit changed(ids);
            countBatch(remaining, generation);
        });
}
