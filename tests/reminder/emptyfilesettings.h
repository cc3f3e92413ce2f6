#pragma once
// What readDisplaySettings holds for a settings file without any display or sound keys, with
// a display time of 10 seconds.
#include "displaysettings.h"
#include "valueforms.h"

namespace corvane::test {

inline DisplaySettings emptyFileSettings()
{
    DisplaySettings s;
    s.displaySeconds = QStringLiteral("10");
    s.advanceMinutes = QStringLiteral("0");
    s.colour = QString::number(ColourValue::system(kButtonFaceIndex).raw);
    s.top = QStringLiteral("0");
    s.left = QStringLiteral("0");
    s.height = QStringLiteral("1455");
    s.width = QStringLiteral("2970");
    return s;
}

} // namespace corvane::test
