#include "support/TempHome.h"

#include "feeds/FeedFile.h"
#include "util/AppFolder.h"
#include "util/BackgroundWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempHome::TempHome()
{
    AppFolder::set(m_dir.path());
    QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
}

TempHome::~TempHome()
{
    FeedFile::saveAll();
    BackgroundWrite::wait();
}

QString TempHome::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

QString TempHome::file(const QString &name) const
{
    return path() + name;
}

void TempHome::write(const QString &name, const QByteArray &bytes) const
{
    const QString target = file(name);
    QDir().mkpath(QFileInfo(target).path());
    QFile f(target);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempHome::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray TempHome::fixture(const QString &name)
{
    QFile f(QStringLiteral(QUORVANE_FIXTURES "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
