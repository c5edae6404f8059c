#include "config/UserSettings.h"

namespace UserSettings
{

namespace
{

QString path(const SettingKey &key)
{
    return key.groupName() + QLatin1Char('/') + key.keyName();
}

} // namespace

std::unique_ptr<QSettings> open(QSettings::Scope scope)
{
    return std::make_unique<QSettings>(scope, QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
}

QVariant value(const SettingKey &key, const QVariant &fallback)
{
    return open()->value(path(key), fallback.isValid() ? fallback : QVariant(QString(key.fallback())));
}

void setValue(const SettingKey &key, const QVariant &value)
{
    open()->setValue(path(key), value);
}

QVariant machineValue(const SettingKey &key)
{
    return open(QSettings::SystemScope)->value(path(key), QString(key.fallback()));
}

} // namespace UserSettings
