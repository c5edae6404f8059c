#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of importing and exporting the catalogue as OPML.
QList<QPair<QString, QString>> opmlTexts()
{
    return {
        {QStringLiteral("MSG_OPML_IMPORT_TITLE"), QStringLiteral("Import Feeds (OPML)")},
        {QStringLiteral("MSG_OPML_EXPORT_TITLE"), QStringLiteral("Export Feeds (OPML)")},
        {QStringLiteral("MSG_OPML_SUMMARY"),
            QStringLiteral("%1 feeds imported, %2 already present, %3 skipped")},
        {QStringLiteral("MSG_OPML_SKIPPEDLINE"), QStringLiteral("%1: %2")},
        {QStringLiteral("MSG_OPML_MORESKIPPED"), QStringLiteral("... and %1 more skipped")},
        {QStringLiteral("MSG_OPML_NOXMLURL"), QStringLiteral("no xmlUrl")},
        {QStringLiteral("MSG_OPML_NOTHTTP"), QStringLiteral("not an http(s) URL")},
        {QStringLiteral("MSG_OPML_EMPTY"), QStringLiteral("empty")},
        {QStringLiteral("MSG_OPML_TOODEEP"), QStringLiteral("nested too deeply")},
        {QStringLiteral("MSG_OPML_NAMETAKEN"),
            QStringLiteral("another feed of that name is already in category \"%1\"")},
        {QStringLiteral("MSG_OPML_UNREADABLE"), QStringLiteral("The file \"%1\" could not be read: %2")},
        {QStringLiteral("MSG_OPML_TOOBIG"),
            QStringLiteral("The file \"%1\" is not imported: it is larger than %2 MB.")},
        {QStringLiteral("MSG_OPML_MALFORMED"),
            QStringLiteral("The file \"%1\" is not an OPML file: it is not well-formed XML (line %2: %3).")},
        {QStringLiteral("MSG_OPML_NOTOPML"),
            QStringLiteral("The file \"%1\" is not an OPML file: its root element is \"%2\", not \"opml\".")},
        {QStringLiteral("MSG_OPML_NOBODY"),
            QStringLiteral("The file \"%1\" is not an OPML file: it has no \"body\" element.")},
        {QStringLiteral("MSG_OPML_NOTIMPORTED"), QStringLiteral("No feeds were imported.")},
        {QStringLiteral("MSG_OPML_EXPORTFAILED"),
            QStringLiteral("The feeds could not be exported to \"%1\": %2")},
        {QStringLiteral("MSG_OPML_FILTER"), QStringLiteral("OPML files (*.opml *.xml);;All files (*)")},
    };
}

} // namespace DefaultTexts
