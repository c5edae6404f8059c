#include "feeds/FetchFailure.h"

#include "util/HttpRequest.h"
#include "util/MessageKeys.h"

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
    const QString notFetched = texts(Msg::NOTFETCHED);
    const auto failure = [&](const QString &key, const QString &text) {
        const QString &name = key;
        return FetchFailure {texts(name + QStringLiteral("_TITLE")), text};
    };
    const auto text = [&](const QString &key) { return texts(key); };
    switch (request.failure()) {
    case HttpRequest::Failure::BadAddress:
        return failure(Msg::BADURL, text(Msg::BADURL).arg(request.lastUrl().toString()) + notFetched);
    case HttpRequest::Failure::HostNotFound:
        return failure(Msg::UNKNOWNSERVER, text(Msg::UNKNOWNSERVER).arg(host) + notFetched);
    case HttpRequest::Failure::ConnectionRefused:
        return failure(Msg::REFUSED, text(Msg::REFUSED).arg(host) + notFetched);
    case HttpRequest::Failure::Certificate:
        return failure(Msg::CERTIFICATE, text(Msg::CERTIFICATE).arg(host, request.errorString()));
    case HttpRequest::Failure::TooManyRedirects:
        return failure(Msg::REDIRECTS, text(Msg::REDIRECTS).arg(host) + notFetched);
    case HttpRequest::Failure::InsecureRedirect:
        return failure(Msg::INSECUREREDIRECT, text(Msg::INSECUREREDIRECT).arg(host, request.errorString()));
    case HttpRequest::Failure::TooLarge:
        return failure(
            Msg::TOOLARGE, text(Msg::TOOLARGE).arg(host).arg(request.maxBodyBytes() / (1024 * 1024)));
    case HttpRequest::Failure::TimedOut:
        return failure(Msg::TIMEOUT, text(Msg::TIMEOUT));
    case HttpRequest::Failure::Network:
    case HttpRequest::Failure::None:
        break;
    }
    return failure(Msg::NETWORK, text(Msg::NETWORK).arg(host, request.errorString()) + notFetched);
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
    return FetchFailure {texts(Msg::SERVERERROR_TITLE),
        texts(Msg::SERVERERROR).arg(hostOf(request), status) + texts(Msg::NOTFETCHED)};
}
