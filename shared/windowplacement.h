#pragma once
// Where a top-level window may stand, as Windows settles it for a window placed from stored
// values: never larger than the virtual desktop (the box around all screens), and never
// entirely off every screen (a window stored on a monitor that is gone comes onto the nearest
// one, so a reminder is seen). A window that shows at least partly on a screen stays where it is.
#include <QList>
#include <QRect>

namespace corvane {

// `outer`: the window's frame in desktop pixels; `screens`: each screen's geometry. Sizes
// below one pixel become one. With no screen the size is only kept at least one pixel.
QRect fitWindowToScreens(const QRect& outer, const QList<QRect>& screens);

} // namespace corvane
