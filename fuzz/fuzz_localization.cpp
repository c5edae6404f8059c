// A localization file of any content: its languages listed, each one and an
// unknown one applied with the message table, every caption looked up, a
// download checked, and the file written anew and read back.
#include "FuzzHome.h"
#include "i18n/DefaultTexts.h"
#include "i18n/Languages.h"
#include "i18n/LocalizationFile.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzHome home;
    home.write(LocalizationFile::fileName(), data, size);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);

    clsLanguages languages;
    DefaultTexts::registerAll(languages);
    QStringList names;
    for (const LocalizationFile::Group &group : LocalizationFile::groups(text))
        names << group.name;
    names << QStringLiteral("English") << QStringLiteral("No such language");
    for (const QString &name : std::as_const(names).mid(0, 8)) {
        languages.applyLanguage(name);
        for (const clsLanguages::Message &message : languages.messages()) {
            if (languages.getMessages(message.key).isNull() && !message.text.isEmpty())
                __builtin_trap(); // a registered text cannot vanish
        }
        for (const QString &line : LocalizationFile::lines(text).mid(0, 64)) {
            const QString key = line.section(QLatin1Char('<'), 1, 1).section(QLatin1Char('>'), 0, 0);
            languages.getCaption(key);
        }
    }

    const QByteArray stored = LocalizationFile::fromDownload(bytes);
    if (!stored.isEmpty() && (stored.front() != '<' || !stored.endsWith("\r\n")))
        __builtin_trap();

    // What was read, written again, reads back the same.
    QList<QPair<QString, QString>> items;
    for (const QString &line : LocalizationFile::lines(text).mid(0, 64)) {
        const QString key = line.section(QLatin1Char('<'), 1, 1).section(QLatin1Char('>'), 0, 0).trimmed();
        const QString caption = languages.getCaption(key);
        static const QRegularExpression plainKey(QStringLiteral("^[A-Za-z0-9_]{3,}$"));
        // The file's own markers cannot be keys.
        const bool marker = key.startsWith(QLatin1String("LANGUAGE_"), Qt::CaseInsensitive)
            || key.compare(QLatin1String("TRANSLATION_ITEMS"), Qt::CaseInsensitive) == 0;
        if (!marker && plainKey.match(key).hasMatch() && !caption.contains(QLatin1Char('<'))
            && !caption.contains(QLatin1Char('\r')))
            items.append({key, caption});
    }
    clsLanguages written;
    if (written.makeLocalizationFile(items)) {
        written.loadLanguage(QStringLiteral("English"));
        for (const auto &[key, caption] : items) {
            if (written.getCaption(key) != caption)
                __builtin_trap();
        }
    }
    return 0;
}
