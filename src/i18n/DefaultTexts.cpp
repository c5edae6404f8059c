#include "i18n/DefaultTexts.h"

#include "util/AppInfo.h"

namespace DefaultTexts
{

const QList<QPair<QString, QString>> &table()
{
    static const QList<QPair<QString, QString>> texts = {
        {QStringLiteral("MSG_DELETE1"), QStringLiteral("You are attempting to delete the ")},
        {QStringLiteral("MSG_DELETE2"),
            QStringLiteral(" category. All feeds subscribed under this category will be deleted.")},
        {QStringLiteral("MSG_DELETE3"), QStringLiteral("Continue?")},
        {QStringLiteral("MSG_DELETE4"), QStringLiteral("Delete ")},
        {QStringLiteral("MSG_DELETE5"), QStringLiteral("Are you sure you want to delete the selected item?")},
        {QStringLiteral("MSG_BUSY"),
            QStringLiteral(
                "Application is currently busy in executing Feed Check process. Interface cannot be "
                "closed; please try again later.")},
        {QStringLiteral("CAPTION_FRMADDFEED"), QStringLiteral("Add New Feed")},
        {QStringLiteral("CAPTION_FRMAPPSETTINGS"), QStringLiteral("Application Settings")},
        {QStringLiteral("CAPTION_FRMCATEGORY"), QStringLiteral("Add/Edit Category")},
        {QStringLiteral("CAPTION_FRMCONFIRMCLOSE"), QStringLiteral("Confirm Close")},
        {QStringLiteral("CAPTION_FRMEMAILSETTINGS"), QStringLiteral("Email Settings")},
        {QStringLiteral("MSG_TITLELANGUAGE"), QStringLiteral("Change Language")},
        {QStringLiteral("CAPTION_FRMSCHEDULER"), QStringLiteral("Scheduler")},
        {QStringLiteral("CAPTION_FRMSENDEMAIL"), QStringLiteral("Send Email")},
        {QStringLiteral("MSG_MINIMIZED"), QStringLiteral("is minimized here!")},
        {QStringLiteral("MSG_TRAY"),
            QStringLiteral("Double-click this icon to show application interface or Right-click for more "
                           "options!\"")},
    };
    return texts;
}

} // namespace DefaultTexts

QString getMessages(const QString &key)
{
    for (const auto &[name, text] : DefaultTexts::table()) {
        if (name.compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString out = text;
        out.replace(QStringLiteral("[ProgramName]"), AppInfo::productName(), Qt::CaseInsensitive);
        out.replace(QStringLiteral("[CompanyName]"), AppInfo::companyName(), Qt::CaseInsensitive);
        if (!out.isEmpty())
            out[0] = out[0].toUpper();
        return out;
    }
    return QString();
}
