#pragma once

#include "util/Messages.h"

#include <QList>
#include <QString>

// Records every message box and answers from a script (then with the
// cautious answer). Installs itself while it lives.
class MessageRecorder : public Messages::Backend
{
public:
    struct Entry {
        Messages::Icon icon;
        QString title;
        QString text;
        Messages::Buttons buttons;
    };

    MessageRecorder();
    ~MessageRecorder() override;

    Messages::Answer ask(
        Messages::Icon icon, const QString &title, const QString &text, Messages::Buttons buttons) override;

    // Answers to give, in order, before falling back to the cautious answer.
    void script(const QList<Messages::Answer> &answers) { m_script = answers; }
    void clear() { m_entries.clear(); }

    const QList<Entry> &entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }
    QStringList titles() const;
    Entry last() const { return m_entries.isEmpty() ? Entry {} : m_entries.last(); }

private:
    QList<Entry> m_entries;
    QList<Messages::Answer> m_script;
};
