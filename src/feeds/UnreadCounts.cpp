#include "feeds/UnreadCounts.h"

#include "feeds/FeedFile.h"
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
                counted.append({id, FeedFile::storedUnread(id)});
            return counted;
        },
        [this, remaining, generation](const Counted &counted) {
            if (generation != m_generation)
                return;
            QStringList ids;
            for (const auto &[id, unread] : counted) {
                // An open owner tells its count itself.
                if (unread < 0 || m_told.contains(id))
                    continue;
                m_counts.insert(id, unread);
                ids << id;
            }
            emit changed(ids);
            countBatch(remaining, generation);
        });
}
