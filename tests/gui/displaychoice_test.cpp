// The display a program opens, from what its session names and which displays answer. The
// programs on a real compositor and with none at all are in tests/e2e/test_displays.py.
#include "displaychoice.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

TEST(DisplayChoice, XWhenItAnswersElseWaylandElseAReasonTheUsersPlatformKept)
{
    struct Row {
        const char* name;
        DisplayEnvironment environment;
        QSet<QByteArray> answering;
        QByteArray platform;
        QStringList failureSays; // empty: the program can run
    };
    const Row rows[] = {
        {"both answer", {{}, ":1", "wayland-1", false}, {":1", "wayland-1"}, "xcb", {}},
        {"X dead", {{}, ":1", "wayland-1", false}, {"wayland-1"}, "wayland", {}},
        {"socket handed over", {{}, ":1", {}, true}, {}, "wayland", {}},
        {"neither answers",
         {{}, ":1", "/run/wayland-1", false},
         {},
         {},
         {u"画面を開けないため終了します"_s, u"DISPLAY=:1 の X サーバーが応答しません"_s,
          u"WAYLAND_DISPLAY=/run/wayland-1 の Wayland コンポジターが応答しません"_s}},
        {"none named",
         {{}, {}, {}, false},
         {":0", "wayland-0"},
         {},
         {u"DISPLAY が設定されていません"_s, u"WAYLAND_DISPLAY が設定されていません"_s}},
        {"user's platform without a server", {"offscreen", {}, {}, false}, {}, {}, {}},
        {"user's Wayland answers", {"wayland", ":1", "wayland-1", false}, {":1", "wayland-1"}, {}, {}},
        {"user's list, its second answers", {"wayland-egl;xcb:nograb", ":1", "wayland-1", false}, {":1"}, {}, {}},
        {"user's X dead",
         {"xcb;", ":1", "wayland-1", false},
         {"wayland-1"},
         {},
         {u"QT_QPA_PLATFORM=xcb; の画面を開けないため終了します（DISPLAY=:1 の X サーバーが応答しません）"_s}},
        {"user's list, none answers",
         {"xcb;wayland;xcb", ":1", "wayland-1", false},
         {},
         {},
         {u"（DISPLAY=:1 の X サーバーが応答しません、WAYLAND_DISPLAY=wayland-1 の Wayland コンポジターが応答しません）"_s}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto answers = [&](const QByteArray& name) { return row.answering.contains(name); };
        const DisplayChoice choice = chooseDisplay(row.environment, {answers, answers});
        EXPECT_EQ(choice.platform, row.platform);
        EXPECT_EQ(choice.canRun(), row.failureSays.isEmpty()) << choice.failure.toStdString();
        for (const QString& part : row.failureSays)
            EXPECT_TRUE(choice.failure.contains(part)) << choice.failure.toStdString();
    }
}
