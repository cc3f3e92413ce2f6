#pragma once
// Stored colour values → colours on screen: COLORREF 0x00BBGGRR, or a system colour index
// mapped to the matching palette role (15 button face → Button, 18 button text → ButtonText).
#include <QColor>
#include <QPalette>

#include "valueforms.h"

namespace corvane {

QPalette::ColorRole systemColourRole(int index);
QColor toQColor(const ColourValue& value, const QPalette& palette);
// The stored value of an RGB colour (as a colour dialog returns it).
ColourValue fromQColor(const QColor& colour);

} // namespace corvane
