#include "windowplacement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace corvane {

namespace {

// Squared distance between two rectangles (0 when they touch or overlap), in 64 bits: the
// stored values can put a window billions of pixels away.
int64_t distance2(const QRect& a, const QRect& b)
{
    const int64_t dx = std::max<int64_t>({0, int64_t(b.left()) - a.right(), int64_t(a.left()) - b.right()});
    const int64_t dy = std::max<int64_t>({0, int64_t(b.top()) - a.bottom(), int64_t(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}

// The nearest position for [start, start + length) inside [low, low + room): the start of the
// room when the window is larger than it.
int into(int start, int length, int low, int room)
{
    if (length >= room)
        return low;
    return std::clamp(start, low, low + room - length);
}

} // namespace

QRect fitWindowToScreens(const QRect& outer, const QList<QRect>& screens)
{
    QRect desktop;
    for (const QRect& screen : screens)
        desktop |= screen;
    const int maxWidth = desktop.isEmpty() ? std::numeric_limits<int>::max() : desktop.width();
    const int maxHeight = desktop.isEmpty() ? std::numeric_limits<int>::max() : desktop.height();
    QRect fitted(outer.topLeft(),
                 QSize(std::clamp(outer.width(), 1, maxWidth), std::clamp(outer.height(), 1, maxHeight)));
    if (screens.isEmpty())
        return fitted;

    const QRect* nearest = nullptr;
    int64_t best = std::numeric_limits<int64_t>::max();
    for (const QRect& screen : screens) {
        if (screen.intersects(fitted))
            return fitted;
        const int64_t d = distance2(screen, fitted);
        if (d < best) {
            best = d;
            nearest = &screen;
        }
    }
    fitted.moveTo(into(fitted.left(), fitted.width(), nearest->left(), nearest->width()),
                  into(fitted.top(), fitted.height(), nearest->top(), nearest->height()));
    return fitted;
}

} // namespace corvane
