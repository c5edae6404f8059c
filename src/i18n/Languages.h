#pragma once

#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QStringList>

// The texts of one language from Localization.txt and the table of program
// messages. One instance serves the whole program (Languages()); look-ups
// may come from any thread, changes come from the window thread.
class clsLanguages
{
public:
    // Room for every message the program registers; a registration past the
    // end is dropped.
    static constexpr int TableSize = 512;

    struct Message {
        QString key;
        QString text;
    };

    // Stores a message in the first free entry; nothing when the table is
    // full. An existing entry of the same key is not looked for.
    void setMessage(const QString &key, const QString &text);
    // The text of the first entry of key (letter case ignored), with
    // [ProgramName] and [CompanyName] filled in and its first character in
    // upper case; "" for an unknown key.
    QString getMessages(const QString &key) const;
    // The text of key in the loaded language, with the three placeholders
    // filled in and its first character in upper case; "" when the language
    // has no such item.
    QString getCaption(const QString &key) const;
    QString ListLanguages() const { return QString(); }
    // True when a file (hidden and read-only ones too, not a folder) exists
    // at path.
    static bool LangFileExists(const QString &path);
    // The part of path after its last backslash or slash.
    static QString LangTrimPath(const QString &path);

    // Loads the items of a language from the application folder's file
    // (and makes it the current language); a language not in the file, or
    // no file, leaves the loaded items as they were.
    void loadLanguage(const QString &language);
    // What ChangeLanguage does beside a window's controls: loads the
    // language, English instead when it has at most one line, and replaces
    // the text of every message the language defines.
    void applyLanguage(const QString &language);

    // Writes a new Localization.txt: the windows' items (key and current
    // text, in their order), then every message. False when it could not be
    // saved (error filled), the old file then stays.
    bool makeLocalizationFile(
        const QList<QPair<QString, QString>> &windowItems, QString *error = nullptr) const;

    QString currentLanguage() const;
    int translationLineCount() const;
    QList<Message> messages() const;

private:
    // The item text of key as the file has it.
    QString rawCaption(const QString &key) const;

    mutable QMutex m_mutex;
    QString m_current;
    QStringList m_lines;
    QList<Message> m_messages;
};

// The program's one instance, with the built-in default texts registered.
clsLanguages &Languages();

// The language last loaded: the one every window translates itself into.
QString CurrentLanguage();

// Languages().getMessages(key).
QString getMessages(const QString &key);
