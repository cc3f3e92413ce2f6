#include "colours.h"

namespace corvane {

QPalette::ColorRole systemColourRole(int index, QPalette::ColorRole unknown)
{
    switch (index) {
    case 5:
        return QPalette::Base; // window background
    case 8:
        return QPalette::Text; // window text
    case 13:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 15:
        return QPalette::Button; // button face
    case 16:
        return QPalette::Dark; // button shadow
    case 17:
        return QPalette::PlaceholderText; // grey text
    case 18:
        return QPalette::ButtonText;
    case 20:
        return QPalette::Light; // button highlight
    case 21:
        return QPalette::Shadow;
    case 22:
        return QPalette::Midlight;
    case 23:
        return QPalette::ToolTipText;
    case 24:
        return QPalette::ToolTipBase;
    case 1: // desktop, app workspace, window frame …
    case 12:
    case 4:
        return QPalette::Window;
    case 7:
    case 9:
        return QPalette::WindowText;
    default:
        return unknown;
    }
}

QColor toQColor(const ColourValue& value, const QPalette& palette, QPalette::ColorRole unknown)
{
    if (value.isSystem())
        return palette.color(QPalette::Active, systemColourRole(value.systemIndex(), unknown));
    return QColor(value.red(), value.green(), value.blue());
}

ColourValue fromQColor(const QColor& colour)
{
    return ColourValue::fromRgb(colour.red(), colour.green(), colour.blue());
}

} // namespace corvane
