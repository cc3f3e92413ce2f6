#include "dayschedule.h"
#include "displaysettings.h"

namespace corvane {

DisplaySettings LoadDisplaySettings(const QString& settingsPath, DaySchedule& schedule)
{
    return readDisplaySettings(settingsPath, [&schedule] { schedule.ExpandAbbreviations(); });
}

} // namespace corvane
