#include "screenfit.h"

#include "log.h"
#include "windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <utility>

namespace corvane {

namespace {
QString describe(const QRect& r)
{
    return QStringLiteral("左 %1、上 %2、幅 %3、高さ %4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}
} // namespace

QRect fitStoredWindow(const QRect& outer)
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    const QRect fitted = fitWindowToScreens(outer, screens);
    static std::pair<QRect, QRect> lastLogged;
    if (fitted != outer && lastLogged != std::pair(outer, fitted)) {
        lastLogged = {outer, fitted};
        logLine(QStringLiteral("表示フォームの位置と大きさ（%1 ピクセル）は画面に収まらないため、%2 ピクセルにします")
                    .arg(describe(outer), describe(fitted)));
    }
    return fitted;
}

} // namespace corvane
