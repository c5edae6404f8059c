#include "support/MessageRecorder.h"

#include <QStringList>

MessageRecorder::MessageRecorder()
{
    Messages::setBackend(this);
}

MessageRecorder::~MessageRecorder()
{
    Messages::setBackend(nullptr);
}

Messages::Answer MessageRecorder::ask(
    Messages::Icon icon, const QString &title, const QString &text, Messages::Buttons buttons)
{
    m_entries.append({icon, title, text, buttons});
    if (!m_script.isEmpty())
        return m_script.takeFirst();
    return Messages::cautiousAnswer(buttons);
}

QStringList MessageRecorder::titles() const
{
    QStringList out;
    for (const Entry &e : m_entries)
        out << e.title;
    return out;
}
