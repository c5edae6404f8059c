#include "catalogue/Opml.h"

#include "catalogue/Catalogue.h"
#include "i18n/Languages.h"
#include "util/AppInfo.h"
#include "util/AtomicSave.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/XmlDocument.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSet>
#include <QUrl>

namespace Opml
{

namespace
{

// How many skipped outlines a report lists by name.
constexpr int listedSkips = 50;

QString message(const QString &key)
{
    return getMessages(key);
}

// Readers differ in the letter case of attribute names (xmlUrl, xmlurl).
QString attribute(pugi::xml_node node, const char *name)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        if (QString::fromUtf8(a.name()).compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(a.value());
    }
    return QString();
}

bool hasAttribute(pugi::xml_node node, const char *name)
{
    return !attribute(node, name).isNull();
}

bool isOutline(pugi::xml_node node)
{
    return node.type() == pugi::node_element && qstrcmp(node.name(), "outline") == 0;
}

bool hasOutlines(pugi::xml_node node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (isOutline(child))
            return true;
    }
    return false;
}

// An outline's name: text, else title, on one line.
QString outlineName(pugi::xml_node node)
{
    const QString text = attribute(node, "text").simplified();
    return text.isEmpty() ? attribute(node, "title").simplified() : text;
}

bool isWebAddress(const QString &url)
{
    const QUrl parsed(url);
    const QString scheme = parsed.scheme().toLower();
    return parsed.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !parsed.host().isEmpty();
}

// A leaf outline without an xmlUrl that says it is a feed (by its type or a
// web page of its own) lacks its address; any other is an empty folder.
bool looksLikeFeed(pugi::xml_node node)
{
    const QString type = attribute(node, "type").trimmed().toLower();
    if (hasAttribute(node, "htmlUrl") || hasAttribute(node, "url"))
        return true;
    return !type.isEmpty() && type != QLatin1String("folder") && type != QLatin1String("category");
}

// Walks the outlines of a body in document order without recursion, with
// the names of the enclosing outlines (null for feeds, which enclose no
// category) beside it.
class Reader
{
public:
    explicit Reader(Plan &plan) : m_plan(plan) { }

    void read(pugi::xml_node body)
    {
        pugi::xml_node node = body.first_child();
        while (node) {
            if (isOutline(node) && visit(node) && hasOutlines(node)) {
                m_path.append(m_segment);
                node = node.first_child();
                continue;
            }
            while (node != body && !node.next_sibling()) {
                node = node.parent();
                if (node != body)
                    m_path.removeLast();
            }
            if (node == body)
                break;
            node = node.next_sibling();
        }
    }

private:
    // Takes an outline in; true to walk below it (m_segment then names what
    // it adds to the category path).
    bool visit(pugi::xml_node node)
    {
        const QString name = outlineName(node);
        const QString url = attribute(node, "xmlUrl").trimmed();
        if (m_path.size() >= MaxDepth) {
            skip(name.isEmpty() ? url : name, Reason::TooDeep);
            return false;
        }
        m_segment = QString();
        if (hasAttribute(node, "xmlUrl")) {
            addFeed(node, name, url);
            return true;
        }
        if (hasOutlines(node)) {
            m_segment = name;
            return true;
        }
        if (looksLikeFeed(node))
            skip(name.isEmpty() ? attribute(node, "htmlUrl").trimmed() : name, Reason::NoUrl);
        else if (name.isEmpty())
            skip(QString(), Reason::Empty);
        else
            note(category(name));
        return false;
    }

    void addFeed(pugi::xml_node node, const QString &name, const QString &url)
    {
        const QString label = name.isEmpty() ? url : name;
        if (url.isEmpty()) {
            skip(label, name.isEmpty() ? Reason::Empty : Reason::NoUrl);
            return;
        }
        if (!isWebAddress(url)) {
            skip(label, Reason::NotHttp);
            return;
        }
        FeedRecord record;
        record.Category = category(QString());
        note(record.Category);
        record.FeedURL = url;
        const bool atom
            = attribute(node, "type").trimmed().compare(QLatin1String("atom"), Qt::CaseInsensitive) == 0;
        record.FeedType = atom ? 1 : 0;
        record.FeedCaption = label;
        m_plan.feeds.append(record);
    }

    // The enclosing names (and one more) joined; blank ones leave no trace.
    QString category(const QString &last) const
    {
        QStringList names;
        for (const QString &segment : m_path) {
            if (!segment.isEmpty())
                names.append(segment);
        }
        if (!last.isEmpty())
            names.append(last);
        return names.isEmpty() ? importedCategory() : names.join(QStringLiteral(" / "));
    }

    // The categories in the order the document first fills them.
    void note(const QString &category)
    {
        const QString key = category.toLower();
        if (m_noted.contains(key))
            return;
        m_noted.insert(key);
        m_plan.categories.append(category);
    }

    void skip(const QString &label, Reason reason) { m_plan.skipped.append({label, reason, QString()}); }

    Plan &m_plan;
    QStringList m_path;
    QString m_segment;
    QSet<QString> m_noted;
};

QString fileName(const QString &name)
{
    return QDir::toNativeSeparators(name);
}

Plan failure(const QString &text)
{
    Plan plan;
    plan.error = text;
    return plan;
}

// Text the XML of an export can carry: no control characters but tab and
// line ends.
QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            out.append(c);
    }
    return out;
}

void setAttribute(pugi::xml_node node, const char *name, const QString &value)
{
    node.append_attribute(name).set_value(xmlSafe(value).toUtf8().constData());
}

struct ByteWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void *data, size_t size) override
    {
        bytes.append(static_cast<const char *>(data), qsizetype(size));
    }
};

} // namespace

QString importedCategory()
{
    return QStringLiteral("Imported");
}

Plan parse(const QByteArray &bytes, const QString &name)
{
    XmlDocument document;
    if (!document.loadBytes(bytes)) {
        return failure(message(Msg::OPML_MALFORMED)
                           .arg(fileName(name), QString::number(document.parseErrorLine()),
                               document.parseErrorReason()));
    }
    const pugi::xml_node root = document.raw().document_element();
    if (qstrcmp(root.name(), "opml") != 0)
        return failure(message(Msg::OPML_NOTOPML).arg(fileName(name), QString::fromUtf8(root.name())));
    const pugi::xml_node body = root.child("body");
    if (!body)
        return failure(message(Msg::OPML_NOBODY).arg(fileName(name)));
    Plan plan;
    Reader(plan).read(body);
    return plan;
}

Plan readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(message(Msg::OPML_UNREADABLE).arg(fileName(path), file.errorString()));
    if (file.size() > MaxFileSize)
        return failure(message(Msg::OPML_TOOBIG).arg(fileName(path), QString::number(MaxFileSize >> 20)));
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize)
        return failure(message(Msg::OPML_TOOBIG).arg(fileName(path), QString::number(MaxFileSize >> 20)));
    if (file.error() != QFileDevice::NoError)
        return failure(message(Msg::OPML_UNREADABLE).arg(fileName(path), file.errorString()));
    return parse(bytes, path);
}

ImportResult apply(Catalogue &catalogue, const Plan &plan)
{
    ImportResult result;
    if (!plan.error.isEmpty()) {
        result.error = plan.error;
        return result;
    }
    QList<FeedRecord> feeds = plan.feeds;
    for (FeedRecord &feed : feeds)
        feed.FeedID = mUtil::NewGUID();
    const std::optional<QList<Catalogue::Addition>> answers = catalogue.addFeeds(feeds, plan.categories);
    if (!answers) {
        result.error = message(Msg::OPML_NOTIMPORTED);
        return result;
    }
    result.skipped = plan.skipped;
    for (qsizetype i = 0; i < answers->size(); ++i) {
        switch (answers->at(i)) {
        case Catalogue::Addition::Added:
            ++result.imported;
            break;
        case Catalogue::Addition::UrlPresent:
            ++result.present;
            break;
        case Catalogue::Addition::NamePresent:
            result.skipped.append({feeds.at(i).FeedCaption, Reason::NameTaken,
                catalogue.categories().at(catalogue.categoryIndex(feeds.at(i).Category)).name});
            break;
        }
    }
    return result;
}

ImportResult importFile(Catalogue &catalogue, const QString &path)
{
    return apply(catalogue, readFile(path));
}

ImportResult importAndReport(Catalogue &catalogue, const QString &path)
{
    const ImportResult result = importFile(catalogue, path);
    const QString title = message(Msg::OPML_IMPORT_TITLE);
    if (result.ok())
        Messages::information(title, reportText(result));
    else
        Messages::exclamation(title, reportText(result));
    return result;
}

QString reasonText(const Skipped &skipped)
{
    switch (skipped.reason) {
    case Reason::NoUrl:
        return message(Msg::OPML_NOXMLURL);
    case Reason::NotHttp:
        return message(Msg::OPML_NOTHTTP);
    case Reason::Empty:
        return message(Msg::OPML_EMPTY);
    case Reason::TooDeep:
        return message(Msg::OPML_TOODEEP);
    case Reason::NameTaken:
        return message(Msg::OPML_NAMETAKEN).arg(skipped.category);
    }
    return QString();
}

QString reportText(const ImportResult &result)
{
    if (!result.ok())
        return result.error;
    QStringList lines {message(Msg::OPML_SUMMARY)
                           .arg(QString::number(result.imported), QString::number(result.present),
                               QString::number(result.skipped.size()))};
    const qsizetype listed = std::min<qsizetype>(result.skipped.size(), listedSkips);
    for (qsizetype i = 0; i < listed; ++i) {
        const Skipped &skipped = result.skipped.at(i);
        const QString label = skipped.label.isEmpty() ? QStringLiteral("<outline>") : skipped.label;
        lines.append(message(Msg::OPML_SKIPPEDLINE).arg(label, reasonText(skipped)));
    }
    if (result.skipped.size() > listed)
        lines.append(message(Msg::OPML_MORESKIPPED).arg(QString::number(result.skipped.size() - listed)));
    return lines.join(QStringLiteral("\r\n"));
}

QByteArray exportDocument(const QList<CatalogueCategory> &categories)
{
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    pugi::xml_node opml = document.append_child("opml");
    opml.append_attribute("version").set_value("2.0");
    pugi::xml_node head = opml.append_child("head");
    head.append_child("title").text().set(AppInfo::title().toUtf8().constData());
    const QString created = QLocale::c().toString(
        QDateTime::currentDateTimeUtc(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    head.append_child("dateCreated").text().set(created.toUtf8().constData());
    pugi::xml_node body = opml.append_child("body");
    for (const CatalogueCategory &category : categories) {
        pugi::xml_node folder = body.append_child("outline");
        setAttribute(folder, "text", category.name);
        setAttribute(folder, "title", category.name);
        for (const FeedRecord &feed : category.feeds) {
            pugi::xml_node outline = folder.append_child("outline");
            setAttribute(
                outline, "type", feed.FeedType == 1 ? QStringLiteral("atom") : QStringLiteral("rss"));
            setAttribute(outline, "text", feed.FeedCaption);
            setAttribute(outline, "title", feed.FeedCaption);
            setAttribute(outline, "xmlUrl", feed.FeedURL);
        }
    }
    ByteWriter writer;
    document.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
    return writer.bytes;
}

bool exportFile(const QList<CatalogueCategory> &categories, const QString &path, QString *error)
{
    QString why;
    if (mUtil::saveFileAtomically(path, exportDocument(categories), &why))
        return true;
    if (error)
        *error = message(Msg::OPML_EXPORTFAILED).arg(fileName(path), why);
    return false;
}

bool exportAndReport(const Catalogue &catalogue, const QString &path)
{
    QString error;
    if (exportFile(catalogue.categories(), path, &error))
        return true;
    Messages::exclamation(message(Msg::OPML_EXPORT_TITLE), error);
    return false;
}

QString fileFilter()
{
    return message(Msg::OPML_FILTER);
}

} // namespace Opml
