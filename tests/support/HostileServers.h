#pragma once

#include "support/LoopbackServer.h"

#include <QString>
#include <QTcpServer>

// Servers that fail a feed download in every way a test needs: each kind
// has an address that fails that way.
class HostileServers
{
public:
    enum class Kind {
        Refused, // nothing listens on the port
        UnknownHost,
        Untrusted, // TLS with a self-signed certificate
        RedirectLoop,
        Endless, // a body without end
        GzipBomb, // a small gzip body that inflates past the cap
        ErrorWithoutBody, // 503 and nothing else
        NotWeb, // an address that is not http or https
        Hangup, // the connection is closed before any answer
    };

    HostileServers();
    QString url(Kind kind) const;
    LoopbackServer &plain() { return m_plain; }

private:
    LoopbackServer m_plain;
    LoopbackServer m_tls;
    QTcpServer m_hangup;
};
