#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace corvane {

namespace {
const QScreen* orPrimary(const QScreen* screen) { return screen ? screen : QGuiApplication::primaryScreen(); }
} // namespace

double logicalDpiX(const QScreen* screen)
{
    const QScreen* s = orPrimary(screen);
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double logicalDpiY(const QScreen* screen)
{
    const QScreen* s = orPrimary(screen);
    return s ? s->logicalDotsPerInchY() : 96.0;
}

int twipsToPixelsX(double twips, const QScreen* screen)
{
    return int(std::lround(twips * logicalDpiX(screen) / 1440.0));
}

int twipsToPixelsY(double twips, const QScreen* screen)
{
    return int(std::lround(twips * logicalDpiY(screen) / 1440.0));
}

double pixelsToTwipsX(int pixels, const QScreen* screen) { return pixels * 1440.0 / logicalDpiX(screen); }
double pixelsToTwipsY(int pixels, const QScreen* screen) { return pixels * 1440.0 / logicalDpiY(screen); }

int scaledRoundingSlack(double devicePixelRatio)
{
    // One device pixel is less than one of ours when scaled up, and up to 1/ratio of ours down.
    return devicePixelRatio == 1.0 ? 0 : int(std::ceil(1.0 / devicePixelRatio));
}

QRect twipsRect(double left, double top, double width, double height, const QScreen* screen)
{
    return QRect(twipsToPixelsX(left, screen), twipsToPixelsY(top, screen), twipsToPixelsX(width, screen),
                 twipsToPixelsY(height, screen));
}

void placeTwips(QWidget* widget, double left, double top, double width, double height)
{
    widget->setGeometry(twipsRect(left, top, width, height, widget->screen()));
}

} // namespace corvane
