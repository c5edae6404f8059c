#include "i18n/Languages.h"

#include "i18n/DefaultTexts.h"
#include "i18n/LocalizationFile.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"
#include "util/AtomicSave.h"
#include "util/Utilities.h"
#include "util/UtilityTexts.h"

#include <QFile>
#include <QFileInfo>

namespace
{

QString filled(QString text, bool website)
{
    text.replace(QStringLiteral("[ProgramName]"), AppInfo::productName(), Qt::CaseInsensitive);
    text.replace(QStringLiteral("[CompanyName]"), AppInfo::companyName(), Qt::CaseInsensitive);
    if (website)
        text.replace(QStringLiteral("[Website]"), AppInfo::webAddress(), Qt::CaseInsensitive);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

void clsLanguages::setMessage(const QString &key, const QString &text)
{
    const QMutexLocker locker(&m_mutex);
    if (m_messages.size() < TableSize)
        m_messages.append({key, text});
}

QString clsLanguages::getMessages(const QString &key) const
{
    const QMutexLocker locker(&m_mutex);
    for (const Message &message : m_messages) {
        if (message.key.compare(key, Qt::CaseInsensitive) == 0)
            return filled(message.text, false);
    }
    return QString();
}

QString clsLanguages::getCaption(const QString &key) const
{
    return filled(rawCaption(key), true);
}

QString clsLanguages::rawCaption(const QString &key) const
{
    const QMutexLocker locker(&m_mutex);
    QString value;
    for (const QString &line : m_lines) {
        if (LocalizationFile::valueOf(line, key, &value))
            return value;
    }
    return QString();
}

bool clsLanguages::LangFileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QString clsLanguages::LangTrimPath(const QString &path)
{
    const qsizetype at = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(at + 1);
}

void clsLanguages::loadLanguage(const QString &language)
{
    QString items;
    const QString path = AppFolder::file(LocalizationFile::fileName());
    bool found = false;
    if (LangFileExists(path)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            found = LocalizationFile::findItems(mUtil::decodeStoredText(file.readAll()), language, &items);
    }
    const QMutexLocker locker(&m_mutex);
    m_current = language;
    if (found)
        m_lines = LocalizationFile::lines(items);
}

void clsLanguages::applyLanguage(const QString &language)
{
    loadLanguage(language);
    if (translationLineCount() <= 1)
        loadLanguage(QStringLiteral("English"));
    const QList<Message> current = messages();
    QList<QString> texts;
    texts.reserve(current.size());
    for (const Message &message : current) {
        // As written: getMessages fills and capitalises it when asked, and a
        // file written from the table keeps the language's own text.
        const QString text = rawCaption(message.key);
        texts.append(text.isEmpty() ? message.text : text);
    }
    const QMutexLocker locker(&m_mutex);
    for (qsizetype i = 0; i < texts.size() && i < m_messages.size(); ++i)
        m_messages[i].text = texts.at(i);
}

bool clsLanguages::makeLocalizationFile(
    const QList<QPair<QString, QString>> &windowItems, QString *error) const
{
    QList<QPair<QString, QString>> items = windowItems;
    for (const Message &message : messages())
        items.append({message.key, message.text});
    return mUtil::saveFileAtomically(
        AppFolder::file(LocalizationFile::fileName()), LocalizationFile::write(items), error);
}

QString clsLanguages::currentLanguage() const
{
    const QMutexLocker locker(&m_mutex);
    return m_current;
}

int clsLanguages::translationLineCount() const
{
    const QMutexLocker locker(&m_mutex);
    return int(m_lines.size());
}

QList<clsLanguages::Message> clsLanguages::messages() const
{
    const QMutexLocker locker(&m_mutex);
    return m_messages;
}

clsLanguages &Languages()
{
    static clsLanguages *languages = [] {
        auto *made = new clsLanguages;
        DefaultTexts::registerAll(*made);
        // The utilities' boxes speak the current language from now on.
        UtilityTexts::setSource(&getMessages);
        return made;
    }();
    return *languages;
}

QString CurrentLanguage()
{
    return Languages().currentLanguage();
}

QString getMessages(const QString &key)
{
    return Languages().getMessages(key);
}
