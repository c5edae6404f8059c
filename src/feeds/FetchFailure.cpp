#include "feeds/FetchFailure.h"

#include "util/HttpRequest.h"

#include <algorithm>

namespace
{

bool isBlank(const QByteArray &body)
{
    return std::all_of(body.begin(), body.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

QString hostOf(const HttpRequest &request)
{
    const QString host = request.lastUrl().host();
    return host.isEmpty() ? request.lastUrl().toString() : host;
}

FetchFailure connectionFailure(const HttpRequest &request, DefaultTexts::Source texts)
{
    const QString host = hostOf(request);
    const QString notFetched = texts(QStringLiteral("MSG_NOTFETCHED"));
    const auto failure = [&](const char *key, const QString &text) {
        const QString name = QString::fromLatin1(key);
        return FetchFailure {texts(name + QStringLiteral("_TITLE")), text};
    };
    const auto text = [&](const char *key) { return texts(QString::fromLatin1(key)); };
    switch (request.failure()) {
    case HttpRequest::Failure::BadAddress:
        return failure("MSG_BADURL", text("MSG_BADURL").arg(request.lastUrl().toString()) + notFetched);
    case HttpRequest::Failure::HostNotFound:
        return failure("MSG_UNKNOWNSERVER", text("MSG_UNKNOWNSERVER").arg(host) + notFetched);
    case HttpRequest::Failure::ConnectionRefused:
        return failure("MSG_REFUSED", text("MSG_REFUSED").arg(host) + notFetched);
    case HttpRequest::Failure::Certificate:
        return failure("MSG_CERTIFICATE", text("MSG_CERTIFICATE").arg(host, request.errorString()));
    case HttpRequest::Failure::TooManyRedirects:
        return failure("MSG_REDIRECTS", text("MSG_REDIRECTS").arg(host) + notFetched);
    case HttpRequest::Failure::InsecureRedirect:
        return failure("MSG_INSECUREREDIRECT", text("MSG_INSECUREREDIRECT").arg(host, request.errorString()));
    case HttpRequest::Failure::TooLarge:
        return failure(
            "MSG_TOOLARGE", text("MSG_TOOLARGE").arg(host).arg(request.maxBodyBytes() / (1024 * 1024)));
    case HttpRequest::Failure::TimedOut:
        return failure("MSG_TIMEOUT", text("MSG_TIMEOUT"));
    case HttpRequest::Failure::Network:
    case HttpRequest::Failure::None:
        break;
    }
    return failure("MSG_NETWORK", text("MSG_NETWORK").arg(host, request.errorString()) + notFetched);
}

} // namespace

std::optional<FetchFailure> FetchFailure::of(const HttpRequest &request, DefaultTexts::Source texts)
{
    if (request.failure() != HttpRequest::Failure::None)
        return connectionFailure(request, texts);
    if (request.status() < 400 || !isBlank(request.responseBytes()))
        return std::nullopt;
    const QString status = request.reasonPhrase().isEmpty()
        ? QString::number(request.status())
        : QStringLiteral("%1 (%2)").arg(request.status()).arg(request.reasonPhrase());
    return FetchFailure {texts(QStringLiteral("MSG_SERVERERROR_TITLE")),
        texts(QStringLiteral("MSG_SERVERERROR")).arg(hostOf(request), status)
            + texts(QStringLiteral("MSG_NOTFETCHED"))};
}
