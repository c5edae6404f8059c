#include "util/Messages.h"

#include "util/MessageKeys.h"
#include "util/UtilityTexts.h"

#include <cstdio>
#include <utility>

namespace Messages
{

namespace
{
Backend *installed = nullptr;
thread_local Capture *capturing = nullptr;
} // namespace

Capture::Capture() : m_outer(capturing)
{
    capturing = this;
}

Capture::~Capture()
{
    capturing = m_outer;
}

QList<Box> Capture::take()
{
    return std::exchange(m_boxes, {});
}

void Capture::replay(const QList<Box> &boxes)
{
    for (const Box &box : boxes)
        show(box.icon, box.title, box.text);
}

void setBackend(Backend *backend)
{
    installed = backend;
}

Backend *backend()
{
    return installed;
}

Answer cautiousAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::RetryCancel:
        return Answer::Cancel;
    case Buttons::Ok:
        break;
    }
    return Answer::Ok;
}

Answer show(Icon icon, const QString &title, const QString &text, Buttons buttons)
{
    if (capturing) {
        capturing->m_boxes.append({icon, title, text});
        return cautiousAnswer(buttons);
    }
    if (installed)
        return installed->ask(icon, title, text, buttons);
    const QByteArray line = (title + QStringLiteral(": ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return cautiousAnswer(buttons);
}

void runtimeError(const QString &procedure, const QString &description, int line)
{
    show(Icon::Critical, UtilityTexts::text(Msg::FUNCTION).arg(procedure),
        UtilityTexts::text(Msg::ERRORONLINE).arg(line) + QStringLiteral("\r\n\r\n") + description);
}

void utilityError(int number, const QString &description, const QString &title)
{
    show(Icon::Information, title.isEmpty() ? UtilityTexts::text(Msg::UTILITYERROR_TITLE) : title,
        QStringLiteral("%1 : \r\n\r\n%2").arg(number).arg(description));
}

} // namespace Messages
