#include "util/Messages.h"

#include "i18n/Languages.h"

#include <cstdio>

namespace Messages
{

namespace
{
Backend *installed = nullptr;
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
    if (installed)
        return installed->ask(icon, title, text, buttons);
    const QByteArray line = (title + QStringLiteral(": ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return cautiousAnswer(buttons);
}

void runtimeError(const QString &procedure, const QString &description, int line)
{
    show(Icon::Critical, getMessages(QStringLiteral("MSG_FUNCTION")).arg(procedure),
        getMessages(QStringLiteral("MSG_ERRORONLINE")).arg(line) + QStringLiteral("\r\n\r\n") + description);
}

void utilityError(int number, const QString &description, const QString &title)
{
    show(Icon::Information, title.isEmpty() ? getMessages(QStringLiteral("MSG_UTILITYERROR_TITLE")) : title,
        QStringLiteral("%1 : \r\n\r\n%2").arg(number).arg(description));
}

} // namespace Messages
