#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh application folder for one test, set as the program's folder.
class TempHome
{
public:
    TempHome();
    // Waits for the writes still under way in the folder before it goes.
    ~TempHome();
    QString path() const; // with trailing separator
    QString file(const QString &name) const;
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;
    // A fixture file from tests/fixtures.
    static QByteArray fixture(const QString &name);

private:
    QTemporaryDir m_dir;
};
