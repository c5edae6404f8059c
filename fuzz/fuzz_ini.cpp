// A configuration file of any content through every settings loader, and a
// save and a read after it.
#include "FuzzHome.h"
#include "config/Ini.h"
#include "config/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzHome home;
    home.write(QStringLiteral("AppCfg.cfg"), data, size);
    mINI::SetINIFile(mSettings::configFile(), 5000);
    try {
        mSettings::LoadSchedulerSettings(true);
        mSettings::LoadEmailSettings();
        mSettings::LoadAppSettings();
        mSettings::ReadConfirmOnClose();
        mINI::ReadINIKeyNames(QStringLiteral("schdl"));
        mINI::WriteINIValue(QStringLiteral("smtp"), QStringLiteral("srv"), QStringLiteral("mail\r\nx=1"));
        mINI::ReadINIValue(QStringLiteral("smtp"), QStringLiteral("srv"), QString());
        mSettings::SaveSchedulerSettings(false);
        mSettings::LoadSchedulerSettings(true);
    } catch (const mINI::IniError &) {
        // the module state is set above; this would be a fault of its own
        __builtin_trap();
    }
    return 0;
}
