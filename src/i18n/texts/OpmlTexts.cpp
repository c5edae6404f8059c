#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of importing and exporting the catalogue as OPML.
QList<QPair<QString, QString>> opmlTexts()
{
    return {
        {Msg::OPML_IMPORT_TITLE, QStringLiteral("Import Feeds (OPML)")},
        {Msg::OPML_EXPORT_TITLE, QStringLiteral("Export Feeds (OPML)")},
        {Msg::OPML_SUMMARY, QStringLiteral("%1 feeds imported, %2 already present, %3 skipped")},
        {Msg::OPML_SKIPPEDLINE, QStringLiteral("%1: %2")},
        {Msg::OPML_MORESKIPPED, QStringLiteral("... and %1 more skipped")},
        {Msg::OPML_NOXMLURL, QStringLiteral("no xmlUrl")},
        {Msg::OPML_NOTHTTP, QStringLiteral("not an http(s) URL")},
        {Msg::OPML_EMPTY, QStringLiteral("empty")},
        {Msg::OPML_TOODEEP, QStringLiteral("nested too deeply")},
        {Msg::OPML_NAMETAKEN, QStringLiteral("another feed of that name is already in category \"%1\"")},
        {Msg::OPML_UNREADABLE, QStringLiteral("The file \"%1\" could not be read: %2")},
        {Msg::OPML_TOOBIG, QStringLiteral("The file \"%1\" is not imported: it is larger than %2 MB.")},
        {Msg::OPML_MALFORMED,
            QStringLiteral("The file \"%1\" is not an OPML file: it is not well-formed XML (line %2: %3).")},
        {Msg::OPML_NOTOPML,
            QStringLiteral("The file \"%1\" is not an OPML file: its root element is \"%2\", not \"opml\".")},
        {Msg::OPML_NOBODY,
            QStringLiteral("The file \"%1\" is not an OPML file: it has no \"body\" element.")},
        {Msg::OPML_NOTIMPORTED, QStringLiteral("No feeds were imported.")},
        {Msg::OPML_EXPORTFAILED, QStringLiteral("The feeds could not be exported to \"%1\": %2")},
        {Msg::OPML_FILTER, QStringLiteral("OPML files (*.opml *.xml);;All files (*)")},
    };
}

} // namespace DefaultTexts
