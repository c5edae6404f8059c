#include "util/AtomicSave.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <atomic>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace mUtil
{

namespace
{

const QString SaveMark = QStringLiteral(".quorvane-save-");
std::atomic<int> straySeconds {60};

bool isStraySave(const QFileInfo &file)
{
    static const QRegularExpression pattern(QStringLiteral("\\.quorvane-save-[A-Za-z0-9]{6}$"));
    return file.isFile() && pattern.match(file.fileName()).hasMatch()
        && file.lastModified().secsTo(QDateTime::currentDateTime()) >= straySeconds;
}

void removeStray(const QDir &folder, const QString &filter)
{
    const QFileInfoList candidates
        = folder.entryInfoList({filter}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &file : candidates) {
        if (isStraySave(file))
            QFile::remove(file.absoluteFilePath());
    }
}

// A link is saved through: the file it points to is replaced.
QString targetOf(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

bool flushToDisk(QTemporaryFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return true;
#endif
}

bool renameOver(const QString &from, const QString &to, QString *error)
{
    std::error_code code;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), code);
    if (code && error)
        *error = QString::fromLocal8Bit(code.message().c_str());
    return !code;
}

} // namespace

bool saveFileAtomically(const QString &path, const std::function<bool(QIODevice &)> &write, QString *error)
{
    const QString target = targetOf(path);
    removeStraySaves(target);
    QTemporaryFile file(target + SaveMark + QStringLiteral("XXXXXX"));
    const bool existed = QFileInfo::exists(target);
    const QFile::Permissions permissions = existed
        ? QFile::permissions(target)
        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    bool saved = file.open() && write(file) && flushToDisk(file) && file.setPermissions(permissions);
    if (!saved && error)
        *error = file.errorString();
    if (saved) {
        file.close();
        saved = renameOver(file.fileName(), target, error);
        if (saved)
            file.setAutoRemove(false);
    }
    return saved;
}

bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    return saveFileAtomically(
        path, [&bytes](QIODevice &file) { return file.write(bytes) == bytes.size(); }, error);
}

void removeStraySaves(const QString &path)
{
    const QFileInfo info(path);
    removeStray(info.absoluteDir(), info.fileName() + SaveMark + QStringLiteral("*"));
}

void removeStraySavesIn(const QString &folder)
{
    removeStray(QDir(folder), QStringLiteral("*") + SaveMark + QStringLiteral("*"));
}

void setStraySaveAge(int seconds)
{
    straySeconds = seconds;
}

} // namespace mUtil
