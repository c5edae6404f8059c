#pragma once

// What every target shares: a scratch application folder in memory-backed
// storage where possible, and message boxes that nobody sees.
#include "util/AppFolder.h"
#include "util/Messages.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace
{

class SilentMessages : public Messages::Backend
{
public:
    Messages::Answer ask(Messages::Icon, const QString &, const QString &, Messages::Buttons buttons) override
    {
        return Messages::cautiousAnswer(buttons);
    }
};

class FuzzHome
{
public:
    FuzzHome()
        : m_dir(QDir(QStringLiteral("/dev/shm")).exists()
                ? QStringLiteral("/dev/shm/quorvane-fuzz-XXXXXX")
                : QDir::tempPath() + QStringLiteral("/quorvane-fuzz-XXXXXX"))
    {
        static SilentMessages silent;
        Messages::setBackend(&silent);
        AppFolder::set(m_dir.path());
        QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
    }

    // Puts the input in place as the named file of the folder.
    void write(const QString &name, const uint8_t *data, size_t size) const
    {
        QFile file(AppFolder::file(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

private:
    QTemporaryDir m_dir;
};

} // namespace
