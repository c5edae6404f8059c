#include "i18n/LocalizationFile.h"

namespace LocalizationFile
{

namespace
{

const QLatin1String groupStart("<LANGUAGE_GROUP");
const QLatin1String groupEnd("</LANGUAGE_GROUP>");
const QLatin1String nameStart("<LANGUAGE_NAME>");
const QLatin1String nameEnd("</LANGUAGE_NAME>");
const QLatin1String itemsStart("<TRANSLATION_ITEMS>");
const QLatin1String itemsEnd("</TRANSLATION_ITEMS>");

// The text between the first start marker and the next end marker after it;
// empty when either is missing.
QString between(const QString &text, QLatin1String start, QLatin1String end)
{
    const qsizetype from = text.indexOf(start, 0, Qt::CaseInsensitive);
    if (from < 0)
        return QString();
    const qsizetype to = text.indexOf(end, from + start.size(), Qt::CaseInsensitive);
    if (to < 0)
        return QString();
    return text.mid(from + start.size(), to - from - start.size());
}

} // namespace

QString fileName()
{
    return QStringLiteral("Localization.txt");
}

QList<Group> groups(const QString &text)
{
    QList<Group> found;
    qsizetype position = 0;
    for (;;) {
        const qsizetype start = text.indexOf(groupStart, position, Qt::CaseInsensitive);
        if (start < 0)
            break;
        const qsizetype end = text.indexOf(groupEnd, start, Qt::CaseInsensitive);
        if (end < 0)
            break;
        const QString group = text.mid(start, end - start);
        found.append({between(group, nameStart, nameEnd), between(group, itemsStart, itemsEnd)});
        position = end + groupEnd.size();
    }
    return found;
}

bool findItems(const QString &text, const QString &language, QString *items)
{
    for (const Group &group : groups(text)) {
        if (group.name.compare(language, Qt::CaseInsensitive) == 0) {
            *items = group.items;
            return true;
        }
    }
    return false;
}

QStringList lines(const QString &items)
{
    QStringList split = items.split(QLatin1Char('\n'));
    for (QString &line : split) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return split;
}

bool valueOf(const QString &line, const QString &key, QString *value)
{
    if (line.isEmpty())
        return false;
    QString name = line.left(line.indexOf(QLatin1Char('>')));
    if (name.size() > 2)
        name = name.mid(name.indexOf(QLatin1Char('<')) + 1);
    if (name.compare(key, Qt::CaseInsensitive) != 0)
        return false;
    const QString open = QLatin1Char('<') + key + QLatin1Char('>');
    const QString close = QStringLiteral("</") + key + QLatin1Char('>');
    const qsizetype from = line.indexOf(open, 0, Qt::CaseInsensitive);
    const qsizetype to = from < 0 ? -1 : line.indexOf(close, from + open.size(), Qt::CaseInsensitive);
    *value = to < 0 ? QString() : line.mid(from + open.size(), to - from - open.size());
    return true;
}

QByteArray write(const QList<QPair<QString, QString>> &items)
{
    QByteArray out;
    const auto line = [&out](const QByteArray &text) { out += text + "\r\n"; };
    line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    line("<XML_DIZ_INFO>");
    line("\t<LOCALIZATION_FILE_INFO>");
    line("\t\t<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>");
    line("\t</LOCALIZATION_FILE_INFO>");
    line("<LANGUAGE_GROUP xml:lang=\"en\">");
    line("\t<LANGUAGE_NAME>English</LANGUAGE_NAME>");
    line("\t<DESCRIPTION>This file contains various translations of program buttons, messages and menus in "
         "XML format.  The original document was created using translation software, and may sound strange "
         "when read by people.  We invite you to make modifications to existing languages and translate new "
         "languages.  Please send them to us so that we can update this file and make your translation "
         "available to all users.  Our current email address is located on our homepage which can be "
         "visited through the software or our program folder on your Start Menu.  Before making changes to "
         "a localization file please use the program to download the most recent localization file using "
         "the 'Check for Language Updates' button in the Languages window.</DESCRIPTION>");
    line("\t<TRANSLATION_ITEMS>");
    for (const auto &[key, text] : items) {
        const QByteArray name = key.toUpper().toUtf8();
        line("\t\t<" + name + ">" + text.toUtf8() + "</" + name + ">");
    }
    line("\t</TRANSLATION_ITEMS>");
    line("</LANGUAGE_GROUP>");
    line("</XML_DIZ_INFO>");
    return out;
}

QByteArray fromDownload(const QByteArray &body)
{
    if (!QString::fromUtf8(body).contains(itemsStart, Qt::CaseInsensitive))
        return QByteArray();
    const qsizetype first = body.indexOf('<');
    return body.mid(first) + "\r\n";
}

} // namespace LocalizationFile
