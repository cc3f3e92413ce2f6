#include "displaychoice.h"

#include <QList>
#include <QStringList>

namespace corvane {

namespace {

QString xSilence(const DisplayEnvironment& environment)
{
    return environment.xDisplay.isEmpty() ? QStringLiteral("DISPLAY が設定されていません")
                                          : QStringLiteral("DISPLAY=%1 の X サーバーが応答しません")
                                                .arg(QString::fromLocal8Bit(environment.xDisplay));
}

QString waylandSilence(const DisplayEnvironment& environment)
{
    return environment.waylandDisplay.isEmpty()
               ? QStringLiteral("WAYLAND_DISPLAY が設定されていません")
               : QStringLiteral("WAYLAND_DISPLAY=%1 の Wayland コンポジターが応答しません")
                     .arg(QString::fromLocal8Bit(environment.waylandDisplay));
}

QString failureText(const QString& what, const QStringList& silences)
{
    return QStringLiteral("%1を開けないため終了します（%2）").arg(what, silences.join(QStringLiteral("、")));
}

} // namespace

DisplayChoice chooseDisplay(const DisplayEnvironment& environment, const DisplayProbes& probes)
{
    // Each display is asked only when the answer matters: asking takes a connection to it.
    const auto xAnswers = [&] { return !environment.xDisplay.isEmpty() && probes.xAnswers(environment.xDisplay); };
    const auto waylandAnswers = [&] {
        return environment.waylandSocketHanded
               || (!environment.waylandDisplay.isEmpty() && probes.waylandAnswers(environment.waylandDisplay));
    };

    if (!environment.platform.isEmpty()) {
        // Qt tries the platforms of a list in turn ("wayland;xcb"), each maybe with options.
        QStringList silences;
        for (const QByteArray& entry : environment.platform.split(';')) {
            const QByteArray name = entry.split(':').constFirst().trimmed();
            if (name.isEmpty())
                continue;
            if (name == "xcb") {
                if (xAnswers())
                    return {};
                silences.append(xSilence(environment));
            } else if (name.startsWith("wayland")) {
                if (waylandAnswers())
                    return {};
                silences.append(waylandSilence(environment));
            } else {
                return {}; // a platform without a display server to ask (offscreen, vnc …)
            }
        }
        silences.removeDuplicates();
        const QString chosen =
            QStringLiteral("QT_QPA_PLATFORM=%1 の画面").arg(QString::fromLocal8Bit(environment.platform));
        return {{}, failureText(chosen, silences)};
    }
    if (xAnswers())
        return {"xcb", {}};
    if (waylandAnswers())
        return {"wayland", {}};
    return {{}, failureText(QStringLiteral("画面"), {xSilence(environment), waylandSilence(environment)})};
}

} // namespace corvane
