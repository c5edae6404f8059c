// Peak memory of `quorvane-cli check` when servers send bodies without end,
// against the same check of the good feed alone, measured in one run. Each
// check runs as a process of its own; its peak resident size is what the
// kernel reports when it ends.
#include "BenchServer.h"
#include "config/Settings.h"
#include "util/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace
{

// Runs one check over the given feeds in a fresh folder; the peak resident
// size of the process in MB, or -1.
double peakOfCheck(const QStringList &urls)
{
    QTemporaryDir home;
    AppFolder::set(home.path());
    AppFolder::prepare();
    mSettings::SchedulerSettings &settings = mSettings::scheduler();
    settings = mSettings::SchedulerSettings();
    settings.Alert = 0;
    for (int i = 0; i < urls.size(); ++i) {
        settings.Feeds.append(FeedRecord {QString(), urls.at(i), 0,
            QStringLiteral("BE5C0000-0000-0000-0000-%1").arg(i + 1, 12, 10, QLatin1Char('0')),
            QStringLiteral("Feed %1").arg(i + 1)});
    }
    mSettings::SaveSchedulerSettings(false);

    // Another build's command line can be measured the same way.
    const QByteArray cli = qEnvironmentVariableIsSet("QUORVANE_BENCH_CLI") ? qgetenv("QUORVANE_BENCH_CLI")
                                                                           : QByteArray(QUORVANE_CLI);
    const QByteArray dir = home.path().toLocal8Bit();
    char *args[] = {const_cast<char *>(cli.constData()), const_cast<char *>("--home"),
        const_cast<char *>(dir.constData()), const_cast<char *>("check"), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, cli.constData(), &quiet, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return -1;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char **argv)
{
    ServerProcess server;
    QCoreApplication app(argc, argv);
    if (!server.isRunning())
        return 1;
    const QString good = server.url(QStringLiteral("/good"));
    const QString endless = server.url(QStringLiteral("/endless"));

    const double plain = peakOfCheck({good});
    const double one = peakOfCheck({endless, good});
    QStringList eight(8, endless);
    eight << good;
    const double many = peakOfCheck(eight);
    if (plain < 0 || one < 0 || many < 0) {
        std::fprintf(stderr, "a check failed\n");
        return 1;
    }
    std::printf("peak resident size of quorvane-cli check (MB)\n");
    std::printf("the good feed alone (floor):      %7.1f\n", plain);
    std::printf("one endless body + the good feed: %7.1f  (+%.1f; limit 250)\n", one, one - plain);
    std::printf("eight endless bodies + good feed: %7.1f  (+%.1f; limit 700)\n", many, many - plain);
    const double ratio = std::max(one / 250.0, many / 700.0);
    std::printf("bench_memory: %.2f (target <= 1)\n", ratio);
    return 0;
}
