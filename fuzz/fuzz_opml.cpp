// An OPML document of any content: read into a plan, and when it is read,
// the plan's feeds written out again and read back to the same feeds.
#include "catalogue/Catalogue.h"
#include "catalogue/Opml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Opml::Plan plan = Opml::parse(bytes, QStringLiteral("fuzz.opml"));
    if (!plan.error.isEmpty())
        return 0;
    QList<CatalogueCategory> categories;
    for (const FeedRecord &feed : plan.feeds) {
        auto it = std::find_if(categories.begin(), categories.end(),
            [&](const CatalogueCategory &category) { return category.name == feed.Category; });
        if (it == categories.end()) {
            categories.append(CatalogueCategory {feed.Category, {}});
            it = categories.end() - 1;
        }
        it->feeds.append(feed);
    }
    const Opml::Plan again = Opml::parse(Opml::exportDocument(categories), QStringLiteral("again.opml"));
    if (!again.error.isEmpty() || again.feeds.size() != plan.feeds.size())
        __builtin_trap(); // what was read must survive its own export
    return 0;
}
