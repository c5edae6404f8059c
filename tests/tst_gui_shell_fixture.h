#pragma once

// What the desktop shell tests share: a private settings store, the
// fixture catalogue and small lookups.

#include "support/TempHome.h"
#include "util/Utilities.h"

#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace ShellFixture
{

// Per-user settings go to a folder of the test's own, with the first-run
// help already offered; nothing is handed to the desktop to open.
inline void isolateSettings(const QTemporaryDir &dir)
{
    mUtil::setShellOpener([](const QUrl &) { return true; });
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(
        QSettings::NativeFormat, QSettings::SystemScope, dir.path() + QStringLiteral("/system"));
    QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
    settings.setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
    // Not a first start: no language dialog.
    settings.setValue(QStringLiteral("Settings/Language"), QStringLiteral("English"));
}

// No tabs of an earlier test's session come back at the next Load().
inline void clearSession()
{
    QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane")).remove(QStringLiteral("Session"));
}

// feeds.fdb from the fixture, its URLs under base.
inline void writeCatalogue(const TempHome &home, const QString &base = QStringLiteral("http://127.0.0.1:9"))
{
    QByteArray bytes = TempHome::fixture(QStringLiteral("gui/feeds.fdb"));
    bytes.replace("{{base}}", base.toUtf8());
    home.write(QStringLiteral("feeds.fdb"), bytes);
}

inline QTreeWidgetItem *findNode(QTreeWidget *tree, const QString &key)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole + 1).toString() == key)
            return *it;
    }
    return nullptr;
}

inline const QString planetId = QStringLiteral("11111111-1111-4111-8111-111111111111");
inline const QString galleryId = QStringLiteral("22222222-2222-4222-8222-222222222222");
inline const QString alphaId = QStringLiteral("33333333-3333-4333-8333-333333333333");
inline const QString zetaId = QStringLiteral("44444444-4444-4444-8444-444444444444");

} // namespace ShellFixture
