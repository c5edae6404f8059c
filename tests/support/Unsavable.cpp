#include "support/Unsavable.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace
{

bool chattr(const QString &flag, const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("chattr"), {flag, path});
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

} // namespace

Unsavable::Unsavable(const QString &path) : m_path(path)
{
    if (::geteuid() == 0) {
        m_immutable = chattr(QStringLiteral("+i"), path);
        return;
    }
    const QString folder = QFileInfo(path).absolutePath();
    m_readOnlyFolder = QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
}

Unsavable::~Unsavable()
{
    if (m_immutable)
        chattr(QStringLiteral("-i"), m_path);
    if (m_readOnlyFolder)
        QFile::setPermissions(
            QFileInfo(m_path).absolutePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
