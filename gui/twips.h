#pragma once
// Window layouts and stored positions are in twips (1/1440 inch):
// pixels = twips × the screen's logical DPI ÷ 1440.
#include <QPoint>
#include <QRect>

class QScreen;
class QWidget;

namespace corvane {

// Logical DPI of the screen (the primary one when null).
double logicalDpiX(const QScreen* screen = nullptr);
double logicalDpiY(const QScreen* screen = nullptr);

int twipsToPixelsX(double twips, const QScreen* screen = nullptr);
int twipsToPixelsY(double twips, const QScreen* screen = nullptr);
double pixelsToTwipsX(int pixels, const QScreen* screen = nullptr);
double pixelsToTwipsY(int pixels, const QScreen* screen = nullptr);

// How many device-independent pixels a window's place or size can come back off what was asked,
// when the screen is scaled (QT_SCALE_FACTOR, a high DPI): the window system keeps whole device
// pixels, and the frame's margins are rounded on the way. None when the scale is 1.
int scaledRoundingSlack(double devicePixelRatio);

// A control's geometry from its twips left, top, width, height.
QRect twipsRect(double left, double top, double width, double height, const QScreen* screen = nullptr);
void placeTwips(QWidget* widget, double left, double top, double width, double height);

} // namespace corvane
