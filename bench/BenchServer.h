#pragma once

// What the memory benchmarks serve: a good feed of some size and a body
// without end, from a loopback server in a process of its own.
#include "support/LoopbackServer.h"

#include <QCoreApplication>
#include <QHash>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

constexpr int goodItems = 2000;

QByteArray goodFeed()
{
    QByteArray xml = "<rss version=\"2.0\"><channel><title>Good</title>";
    for (int i = 0; i < goodItems; ++i) {
        xml += "<item><title>Story " + QByteArray::number(i) + "</title><link>https://example.com/story/"
            + QByteArray::number(i) + "</link><pubDate>Tue, 10 Jun 2003 04:00:00 GMT</pubDate><description>"
            + QByteArray(400, 'd') + "</description></item>";
    }
    return xml + "</channel></rss>";
}

// Serves the feeds from a process of its own, so that neither its memory nor
// its work counts for the program measured. Made before the program's own
// Qt application, since the server process is forked from it.
class ServerProcess
{
public:
    using Routes = QHash<QString, LoopbackServer::Route>;

    // The good feed at "/good" and an endless body at "/endless".
    ServerProcess() : ServerProcess(standardRoutes()) { }

    explicit ServerProcess(const Routes &routes)
    {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(pipeEnds[0]);
            serve(pipeEnds[1], routes);
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        char port[16] = {};
        const ssize_t got = ::read(pipeEnds[0], port, sizeof port - 1);
        ::close(pipeEnds[0]);
        if (got > 0)
            m_base = QStringLiteral("http://127.0.0.1:%1").arg(QString::fromLatin1(port).trimmed());
    }
    ~ServerProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool isRunning() const { return !m_base.isEmpty(); }
    QString url(const QString &path) const { return m_base + path; }

private:
    static Routes standardRoutes()
    {
        Routes routes;
        routes[QStringLiteral("/good")].body = goodFeed();
        routes[QStringLiteral("/endless")].endless = true;
        return routes;
    }

    static void serve(int portPipe, const Routes &routes)
    {
        int argc = 1;
        char name[] = "bench-server";
        char *argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        LoopbackServer server;
        for (auto route = routes.begin(); route != routes.end(); ++route)
            server.route(route.key(), route.value());
        const QByteArray port = QByteArray::number(server.port()) + "\n";
        if (::write(portPipe, port.constData(), size_t(port.size())) != port.size())
            return;
        ::close(portPipe);
        app.exec();
    }

    pid_t m_pid = -1;
    QString m_base;
};

} // namespace
