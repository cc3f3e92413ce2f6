#include "dayschedule.h"
#include "displaysettings.h"

namespace corvane {

DisplaySettings LoadDisplaySettings(const QString& settingsPath, DaySchedule& schedule)
{
    return readDisplaySettings(settingsPath, [&schedule] { schedule.ExpandAbbreviations(); });
}

DisplaySettings LoadDisplaySettings(const ProfileTransaction& file, DaySchedule& schedule)
{
    return readDisplaySettings(file, [&schedule] { schedule.ExpandAbbreviations(); });
}

} // namespace corvane
