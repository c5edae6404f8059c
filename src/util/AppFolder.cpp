#include "util/AppFolder.h"

#include "util/Log.h"
#include "util/Utilities.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace AppFolder
{

namespace
{

QString &folder()
{
    static QString value;
    return value;
}

// The files shipped with the program, compiled into it.
const QStringList &shippedFiles()
{
    static const QStringList names = QDir(QStringLiteral(":/shipped")).entryList(QDir::Files);
    return names;
}

QString homeOption(const QStringList &arguments)
{
    const int at = arguments.indexOf(QStringLiteral("--home"));
    if (at >= 0 && at + 1 < arguments.size())
        return arguments.at(at + 1);
    for (const QString &arg : arguments) {
        if (arg.startsWith(QStringLiteral("--home=")))
            return arg.mid(7);
    }
    return QString();
}

bool isPortableCopy(const QString &dir)
{
    const QFileInfo info(dir);
    return QFileInfo::exists(dir + QStringLiteral("/default.fdb")) && info.isWritable();
}

} // namespace

QStringList stripHomeOption(const QStringList &arguments)
{
    QStringList rest;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--home")) {
            ++i;
            continue;
        }
        if (!arguments.at(i).startsWith(QStringLiteral("--home=")))
            rest << arguments.at(i);
    }
    return rest;
}

QString resolve(const QStringList &arguments)
{
    QString chosen = homeOption(arguments);
    if (chosen.isEmpty())
        chosen = qEnvironmentVariable("QUORVANE_HOME");
    if (chosen.isEmpty() && QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        if (isPortableCopy(exeDir))
            chosen = exeDir;
    }
    if (chosen.isEmpty()) {
        chosen = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Quorvane");
    }
    QDir().mkpath(chosen);
    set(chosen);
    return path();
}

void set(const QString &dir)
{
    folder() = dir.isEmpty() ? QString() : mUtil::AddBackslash(QDir::cleanPath(QDir(dir).absolutePath()));
}

QString path()
{
    return folder();
}

QString file(const QString &name)
{
    return folder() + name;
}

QString feedDataFile(const QString &feedId)
{
    return folder() + QStringLiteral("Data/") + feedId + QStringLiteral(".fdb");
}

bool prepare()
{
    qCDebug(lcStore) << "application folder" << folder();
    if (folder().isEmpty() || !QDir().mkpath(folder()))
        return false;
    for (const QString &name : shippedFiles()) {
        const QString target = file(name);
        if (!QFileInfo::exists(target) && QFile::copy(QStringLiteral(":/shipped/") + name, target))
            QFile::setPermissions(
                target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    if (!mUtil::FolderExists(file(QStringLiteral("Data"))))
        QDir(folder()).mkdir(QStringLiteral("Data"));
    // What saves killed midway left behind.
    mUtil::removeStraySavesIn(folder());
    mUtil::removeStraySavesIn(file(QStringLiteral("Data")));
    if (!mUtil::FileExists(file(QStringLiteral("feeds.fdb")))
        && mUtil::FileExists(file(QStringLiteral("default.fdb")))) {
        QFile::copy(file(QStringLiteral("default.fdb")), file(QStringLiteral("feeds.fdb")));
        QFile::setPermissions(file(QStringLiteral("feeds.fdb")), QFile::ReadOwner | QFile::WriteOwner);
    }
    return mUtil::FolderExists(file(QStringLiteral("Data")));
}

} // namespace AppFolder
