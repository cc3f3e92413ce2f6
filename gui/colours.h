#pragma once
// Stored colour values → colours on screen: COLORREF 0x00BBGGRR, or a system colour index
// mapped to the matching palette role (15 button face → Button, 18 button text → ButtonText).
#include <QColor>
#include <QPalette>

#include "valueforms.h"

namespace corvane {

// The role of a system colour index; `unknown` for an index the table does not know (a
// hand-edited "-1" names index 255), so that text never falls back to a background colour.
QPalette::ColorRole systemColourRole(int index, QPalette::ColorRole unknown);
// `unknown`: the role of an unknown system index, ButtonText for a text colour and Button for a
// background, as the stored defaults are.
QColor toQColor(const ColourValue& value, const QPalette& palette, QPalette::ColorRole unknown);
// The stored value of an RGB colour (as a colour dialog returns it).
ColourValue fromQColor(const QColor& colour);

} // namespace corvane
