#include "feeds/FetchFailure.h"

#include "util/HttpRequest.h"

#include <algorithm>

namespace
{

const QString NotFetched = QStringLiteral("Application failed to fetch Feed Data!");

bool isBlank(const QByteArray &body)
{
    return std::all_of(body.begin(), body.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

QString hostOf(const HttpRequest &request)
{
    const QString host = request.lastUrl().host();
    return host.isEmpty() ? request.lastUrl().toString() : host;
}

FetchFailure connectionFailure(const HttpRequest &request)
{
    const QString host = hostOf(request);
    switch (request.failure()) {
    case HttpRequest::Failure::BadAddress:
        return {QStringLiteral("Invalid Feed URL!"),
            QStringLiteral("The Feed URL \"%1\" is not a web address (http or https). ")
                    .arg(request.lastUrl().toString())
                + NotFetched};
    case HttpRequest::Failure::HostNotFound:
        return {QStringLiteral("Unknown Server!"),
            QStringLiteral("Server %1 could not be found. Please check the Feed URL. ").arg(host)
                + NotFetched};
    case HttpRequest::Failure::ConnectionRefused:
        return {QStringLiteral("Connection Refused!"),
            QStringLiteral("Server %1 refused the connection. ").arg(host) + NotFetched};
    case HttpRequest::Failure::Certificate:
        return {QStringLiteral("Untrusted Certificate!"),
            QStringLiteral(
                "The security certificate of server %1 is not trusted or not valid (%2). Application "
                "refused to fetch Feed Data!")
                .arg(host, request.errorString())};
    case HttpRequest::Failure::TooManyRedirects:
        return {QStringLiteral("Too Many Redirects!"),
            QStringLiteral("Server %1 redirected the request too many times, possibly in a loop. ").arg(host)
                + NotFetched};
    case HttpRequest::Failure::InsecureRedirect:
        return {QStringLiteral("Insecure Redirect!"),
            QStringLiteral("Server %1 redirected the secure request to an insecure address (%2). Application "
                           "refused to follow it!")
                .arg(host, request.errorString())};
    case HttpRequest::Failure::TooLarge:
        return {QStringLiteral("Feed Data Too Large!"),
            QStringLiteral("Server %1 sent more than %2 MiB of Feed Data. Application refused the response!")
                .arg(host)
                .arg(HttpRequest::MaxBodyBytes / (1024 * 1024))};
    case HttpRequest::Failure::Network:
    case HttpRequest::Failure::None:
        break;
    }
    return {QStringLiteral("Network Error!"),
        QStringLiteral("The connection to server %1 failed (%2). ").arg(host, request.errorString())
            + NotFetched};
}

} // namespace

std::optional<FetchFailure> FetchFailure::of(const HttpRequest &request)
{
    if (request.failure() != HttpRequest::Failure::None)
        return connectionFailure(request);
    if (request.status() < 400 || !isBlank(request.responseBytes()))
        return std::nullopt;
    const QString status = request.reasonPhrase().isEmpty()
        ? QString::number(request.status())
        : QStringLiteral("%1 (%2)").arg(request.status()).arg(request.reasonPhrase());
    return FetchFailure {QStringLiteral("Server Error!"),
        QStringLiteral("Server %1 returned HTTP status %2 without Feed Data. ").arg(hostOf(request), status)
            + NotFetched};
}
