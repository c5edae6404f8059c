#pragma once

#include "config/SettingsKeys.h"

#include <QSettings>
#include <QVariant>

#include <memory>

// The per-user and machine settings stores (organization and application
// "Quorvane"), opened in one place.
namespace UserSettings
{

std::unique_ptr<QSettings> open(QSettings::Scope scope = QSettings::UserScope);

// A value of the per-user store; its default when it has none (or
// fallback, for a key whose default is made at run time).
QVariant value(const SettingKey &key, const QVariant &fallback = QVariant());
void setValue(const SettingKey &key, const QVariant &value);
// A value of the machine's store.
QVariant machineValue(const SettingKey &key);

} // namespace UserSettings
