#include "util/ui/ShellIcons.h"

#include "util/ui/CategoryNode.h"

#include <QHash>

namespace ShellIcons
{

QIcon named(const QString &name)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.insert(name, QIcon(QStringLiteral(":/icons/%1.svg").arg(name)));
    return *it;
}

QIcon appIcon()
{
    return named(QStringLiteral("quorvane"));
}

QIcon feedImage(int index)
{
    static const char *const names[] = {"root", "category", "rss", "atom", "podcast"};
    if (index < 1 || index > 5)
        return QIcon();
    return named(QString::fromLatin1(names[index - 1]));
}

} // namespace ShellIcons

QIcon ShellIcons::feedIcon(int feedType)
{
    return feedImage(CategoryNode::feedImage(feedType));
}
