// Form2 set up from the settings through the runner's announcer: place and size from twips,
// Label1's size rule, font, colours, unwrapped lines, and that it never takes the focus.
#include <gtest/gtest.h>

#include "emptyfilesettings.h"
#include "clock.h"
#include "fakeannouncementtime.h"
#include "reminderannouncer.h"
#include "reminderwindow.h"
#include "reminderwindowsession.h"
#include "stderrcapture.h"
#include "twips.h"
#include "windowplacement.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace corvane;
using corvane::test::emptyFileSettings;
using corvane::test::FakeAnnouncementTime;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(8, 55, 0, 120));

// The colour the screen shows at `point`, as the display server composes it.
QColor screenColourAt(const QPoint& point)
{
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(0, point.x(), point.y(), 1, 1).toImage();
    return image.isNull() ? QColor() : image.pixelColor(0, 0);
}

struct Shown {
    explicit Shown(const DisplaySettings& s, const QString& message = QStringLiteral("9時の会議\n"))
        : clock([] { return kNow; }), time(kNow), announcer(s, &time)
    {
        announcer.announce(message);
    }
    ScopedClock clock;
    FakeAnnouncementTime time;
    ReminderAnnouncer announcer;
    ReminderWindow* window() const { return announcer.window(); }
    QLabel* label() const { return window()->findChild<QLabel*>(QStringLiteral("Label1")); }
};

} // namespace

TEST(ReminderWindow, DefaultLook)
{
    Shown shown(emptyFileSettings());
    ReminderWindow* w = shown.window();
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->objectName(), QStringLiteral("Form2"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("  2026/12/7(月)  8:55"));
    EXPECT_EQ(w->frameGeometry(), twipsRect(0, 0, 2970, 1455, w->screen()));

    QLabel* label = shown.label();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), twipsRect(240, 180, 2490, 1095, w->screen()));
    EXPECT_EQ(label->text(), QStringLiteral("9時の会議\n"));
    EXPECT_EQ(label->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(label->font().pointSize(), 9);
    EXPECT_FALSE(label->font().bold());
    // The Windows face name reaches an installed Japanese face, not a Latin fallback.
    EXPECT_TRUE(QFontInfo(label->font()).family().startsWith(QStringLiteral("IPA")))
        << QFontInfo(label->font()).family().toStdString();

    const QPalette system = QApplication::palette();
    EXPECT_EQ(label->palette().color(QPalette::Window), system.color(QPalette::Button));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), system.color(QPalette::ButtonText));
    EXPECT_EQ(w->palette().color(QPalette::Window), system.color(QPalette::Button));
    EXPECT_TRUE(label->autoFillBackground());

    // The window draws its caption bar (in an active caption bar's colours) and a one-pixel
    // border within its outer size; Label1's place counts from the client area below the bar.
    QLabel* caption = w->findChild<QLabel*>(QStringLiteral("Caption"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), w->windowTitle());
    const QImage picture = w->grab().toImage();
    const int width = picture.width();
    EXPECT_EQ(caption->geometry(), QRect(1, 1, width - 2, caption->height()));
    EXPECT_EQ(label->parentWidget()->geometry(),
              QRect(1, 1 + caption->height(), width - 2, picture.height() - 2 - caption->height()));
    EXPECT_EQ(picture.pixel(0, 0), system.color(QPalette::Shadow).rgb());
    EXPECT_EQ(picture.pixel(width - 1, picture.height() - 1), system.color(QPalette::Shadow).rgb());
    EXPECT_EQ(picture.pixel(width - 3, 3), system.color(QPalette::Highlight).rgb());
    bool captionText = false;
    for (int x = 1; x < width - 1; ++x)
        for (int y = 1; y <= caption->height(); ++y)
            captionText = captionText || picture.pixel(x, y) == system.color(QPalette::HighlightedText).rgb();
    EXPECT_TRUE(captionText);
}

TEST(ReminderWindow, NarrowWindowKeepsTheLabelsDesignWidth)
{
    DisplaySettings s = emptyFileSettings();
    s.width = QStringLiteral("400");
    Shown shown(s);
    const QScreen* screen = shown.window()->screen();
    EXPECT_EQ(shown.window()->frameGeometry().width(), twipsToPixelsX(400, screen));
    EXPECT_EQ(shown.label()->width(), twipsToPixelsX(825, screen));
    EXPECT_GT(shown.label()->geometry().right(), shown.window()->rect().right());
}

TEST(ReminderWindow, PlacedAtItsTwipsWhilePartlyOnTheScreen)
{
    DisplaySettings s = emptyFileSettings();
    s.top = QStringLiteral("1440");
    s.width = QStringLiteral("5760");
    s.height = QStringLiteral("2880");
    const QScreen* primary = QGuiApplication::primaryScreen();
    // Its left edge 10 pixels inside the screen's right edge: most of it beyond.
    const int left = int(pixelsToTwipsX(primary->geometry().right() - 10, primary));
    s.left = QString::number(left);
    Shown shown(s);
    const QScreen* screen = shown.window()->screen();
    EXPECT_EQ(shown.window()->frameGeometry(), twipsRect(left, 1440, 5760, 2880, screen));
    EXPECT_EQ(shown.label()->size(), QSize(twipsToPixelsX(5280, screen), twipsToPixelsY(2520, screen)));
}

TEST(ReminderWindow, HugeOrLostPlacementsComeOntoTheScreen)
{
    const QRect desktop = QGuiApplication::primaryScreen()->geometry();
    struct Row {
        const char* name;
        const char *left, *top, *width, *height;
        QRect expected; // pixels
    };
    const QList<Row> rows = {
        {"largest 32-bit size", "0", "0", "2147483647", "2147483647", desktop},
        {"size larger than the desktop", "0", "0", "150000", "150000", desktop},
        {"on a monitor right of the screen that is gone", "200000", "1440", "2970", "1455",
         QRect(desktop.right() + 1 - 198, 96, 198, 97)},
        {"far above and left", "-2147483648", "-2147483648", "2970", "1455", QRect(0, 0, 198, 97)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DisplaySettings s = emptyFileSettings();
        s.left = QString::fromUtf8(row.left);
        s.top = QString::fromUtf8(row.top);
        s.width = QString::fromUtf8(row.width);
        s.height = QString::fromUtf8(row.height);
        Shown shown(s);
        EXPECT_EQ(shown.window()->frameGeometry(), row.expected);
        // The label of a huge window is no larger than the window it shows in.
        EXPECT_LE(shown.label()->width(), std::max(desktop.width(), twipsToPixelsX(825)));
        EXPECT_LE(shown.label()->height(), std::max(desktop.height(), twipsToPixelsY(180)));
    }
}

TEST(WindowPlacement, FitsTheDesktopAndComesToTheNearestScreen)
{
    const QRect left(0, 0, 1920, 1080);
    const QRect right(1920, 0, 1280, 1024);
    struct Row {
        const char* name;
        QRect outer;
        QList<QRect> screens;
        QRect expected;
    };
    const QList<Row> rows = {
        {"inside", QRect(100, 100, 198, 97), {left, right}, QRect(100, 100, 198, 97)},
        {"across both screens", QRect(1800, 100, 400, 97), {left, right}, QRect(1800, 100, 400, 97)},
        {"partly below the screens", QRect(100, 1050, 198, 97), {left, right}, QRect(100, 1050, 198, 97)},
        {"size capped to the box around both screens",
         QRect(0, 0, 99999, 99999),
         {left, right},
         QRect(0, 0, 3200, 1080)},
        {"second monitor gone: onto the nearer one",
         QRect(2500, 300, 198, 97),
         {left},
         QRect(1920 - 198, 300, 198, 97)},
        {"below the right screen: up onto it",
         QRect(2500, 1200, 198, 97),
         {left, right},
         QRect(2500, 1024 - 97, 198, 97)},
        {"larger than the nearest screen: at its corner",
         QRect(5000, 0, 2000, 97),
         {left, right},
         QRect(1920, 0, 2000, 97)},
        {"screens stacked, above the upper one: the vertical distance decides",
         QRect(100, -500, 198, 97),
         {QRect(0, 1080, 1280, 1024), left},
         QRect(100, 0, 198, 97)},
        {"zero and negative sizes", QRect(10, 10, 0, -5), {left}, QRect(10, 10, 1, 1)},
        {"no screen", QRect(-5, -5, 0, 7), {}, QRect(-5, -5, 1, 7)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(fitWindowToScreens(row.outer, row.screens), row.expected) << row.name;
}

TEST(ReminderWindow, FontSizeAndEffects)
{
    DisplaySettings s = emptyFileSettings();
    s.fontName = QStringLiteral("ＭＳ ゴシック");
    s.bold = QStringLiteral("1");
    s.italic = QStringLiteral("1");
    s.underline = QStringLiteral("1");
    s.strikeout = QStringLiteral("1");
    for (const auto& [size, points] : {std::pair{"10.5", 10}, std::pair{"11.5", 12}}) {
        s.fontSize = QString::fromUtf8(size);
        Shown shown(s);
        const QFont font = shown.label()->font();
        EXPECT_EQ(font.pointSize(), points) << size;
        EXPECT_EQ(font.family(), QStringLiteral("ＭＳ ゴシック"));
        EXPECT_TRUE(font.bold() && font.italic() && font.underline() && font.strikeOut());
    }
}

TEST(ReminderWindow, ThreeLinesStayThreeLinesAndLongOnesAreCut)
{
    const QString longLine =
        QStringLiteral("この行はラベルの幅よりずっと長いので折り返さずに端で切れるはずです。").repeated(3);
    const QString message = QStringLiteral("一行目\n二行目\n") + longLine + QLatin1Char('\n');
    Shown shown(emptyFileSettings(), message);
    QLabel* label = shown.label();
    EXPECT_FALSE(label->wordWrap());
    EXPECT_EQ(label->text(), message);
    const QFontMetrics metrics(label->font());
    // Unwrapped: the label wants the long line's full width, and no more than the lines' height.
    EXPECT_GT(label->sizeHint().width(), label->width());
    EXPECT_GE(metrics.horizontalAdvance(longLine), label->sizeHint().width() - 2 * label->margin() - 4);
    EXPECT_LT(label->sizeHint().height(), 5 * metrics.lineSpacing());
    EXPECT_GE(label->sizeHint().height(), 3 * metrics.height());
}

TEST(ReminderWindow, MarkupInATextIsShownAsTyped)
{
    Shown shown(emptyFileSettings(), QStringLiteral("<b>太字</b> & <img src=x>\n"));
    EXPECT_EQ(shown.label()->textFormat(), Qt::PlainText);
    EXPECT_EQ(shown.label()->text(), QStringLiteral("<b>太字</b> & <img src=x>\n"));
}

TEST(ReminderWindow, ColoursFromColourrefAndSystemIndexes)
{
    DisplaySettings s = emptyFileSettings();
    s.colour = QStringLiteral("12648447"); // 0x00C0FFFF
    s.textColour = QStringLiteral("255");  // red
    {
        Shown shown(s);
        EXPECT_EQ(shown.label()->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xC0));
        EXPECT_EQ(shown.window()->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xC0));
        EXPECT_EQ(shown.label()->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    }
    const QPalette system = QApplication::palette();
    {
        s.colour = QString::number(ColourValue::system(5).raw);     // window background
        s.textColour = QString::number(ColourValue::system(8).raw); // window text
        Shown shown(s);
        EXPECT_EQ(shown.label()->palette().color(QPalette::Window), system.color(QPalette::Base));
        EXPECT_EQ(shown.label()->palette().color(QPalette::WindowText), system.color(QPalette::Text));
    }
    // Indexes no system colour has: the text stays readable on the background.
    s.colour = QString::number(ColourValue::system(200).raw);
    s.textColour = QStringLiteral("-1");
    Shown shown(s);
    EXPECT_EQ(shown.label()->palette().color(QPalette::Window), system.color(QPalette::Button));
    EXPECT_EQ(shown.label()->palette().color(QPalette::WindowText), system.color(QPalette::ButtonText));
}

TEST(ReminderWindow, ShownAboveTheUsersWindowWithoutTakingItsFocus)
{
    const QRect desktop = QGuiApplication::primaryScreen()->geometry();
    const struct Row {
        const char* what;
        Qt::WindowFlags flags;
        QRect place; // empty: full screen through the window manager
    } rows[] = {
        {"a window", Qt::Window, QRect(100, 100, 400, 300)},
        {"a focused full-screen window (a video, a presentation)", Qt::Window, QRect()},
        {"a full-screen window outside the window manager, shown after the reminder window was made",
         Qt::Window | Qt::X11BypassWindowManagerHint, desktop},
    };
    DisplaySettings s = emptyFileSettings();
    s.colour = QStringLiteral("65535"); // yellow
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScopedClock clock([] { return kNow; });
        FakeAnnouncementTime time(kNow);
        ReminderAnnouncer announcer(s, &time);
        announcer.setReady(true); // made ahead, as the runner does

        QWidget work(nullptr, row.flags);
        work.setAutoFillBackground(true);
        work.setPalette(QPalette(QColor(0x20, 0x40, 0xa0)));
        auto* edit = new QLineEdit(&work);
        if (row.place.isEmpty()) {
            work.showFullScreen();
        } else {
            work.setGeometry(row.place);
            work.show();
        }
        work.activateWindow();
        edit->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&work));
        QTest::keyClicks(edit, QStringLiteral("abc"));

        announcer.announce(QStringLiteral("9時の会議\n"));
        ReminderWindow* w = announcer.window();
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_TRUE(w->windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
        // The offscreen platform activates every window it shows, whatever its flags; a real
        // display server honours them (checked under Xvfb with window managers).
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            continue;
        // What the screen shows at the reminder's place (away from its text) is the reminder.
        const QPoint inside = w->frameGeometry().bottomRight() - QPoint(4, 4);
        EXPECT_TRUE(QTest::qWaitFor([&] { return screenColourAt(inside) == QColor(0xff, 0xff, 0); }, 5000))
            << screenColourAt(inside).name().toStdString();
        // Keys typed on the keyboard still go to the user's window.
        EXPECT_EQ(QApplication::activeWindow(), &work);
        EXPECT_EQ(QApplication::focusWidget(), edit);
        EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("d")}), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return edit->text() == QStringLiteral("abcd"); }, 5000))
            << edit->text().toStdString();
    }
}

TEST(ReminderWindow, ClosesAfterTheDisplayTimeAndComesBackFresh)
{
    DisplaySettings s = emptyFileSettings();
    s.displaySeconds = QStringLiteral("5");
    Shown shown(s, QStringLiteral("first\n"));
    shown.time.advance(4'879);
    EXPECT_TRUE(shown.window()->isVisible());
    shown.time.advance(1);
    EXPECT_FALSE(shown.window()->isVisible());
    EXPECT_FALSE(shown.announcer.isAnnouncing());

    shown.announcer.announce(QStringLiteral("second\n"));
    EXPECT_TRUE(shown.window()->isVisible());
    EXPECT_EQ(shown.label()->text(), QStringLiteral("second\n"));
}

TEST(ReminderWindow, RealEventLoopClosesTheWindowOnTime)
{
    DisplaySettings s = emptyFileSettings();
    s.displaySeconds = QStringLiteral("1");
    ReminderAnnouncer announcer(s);
    announcer.announce(QStringLiteral("a\n"));
    EXPECT_TRUE(announcer.window()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !announcer.window()->isVisible(); }, 3000));
    EXPECT_FALSE(announcer.isAnnouncing());
}

TEST(ReminderWindow, ReadyAheadShowsNothingAndIsReleasedOnlyOffScreen)
{
    ScopedClock clock([] { return kNow; });
    FakeAnnouncementTime time(kNow);
    ReminderAnnouncer announcer(emptyFileSettings(), &time, QStringLiteral(CORVANE_PROGRAMS_DIR));
    EXPECT_EQ(announcer.window(), nullptr); // nothing is made before an entry is near

    announcer.setReady(true);
    ReminderWindow* w = announcer.window();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->testAttribute(Qt::WA_WState_Created));
    QLabel* label = w->findChild<QLabel*>(QStringLiteral("Label1"));
    EXPECT_TRUE(label->text().isEmpty());

    announcer.announce(QStringLiteral("本番\n"));
    EXPECT_EQ(announcer.window(), w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(label->text(), QStringLiteral("本番\n"));

    announcer.setReady(false); // on screen: kept until it has closed
    EXPECT_EQ(announcer.window(), w);
    time.advance(10'000);
    EXPECT_FALSE(announcer.isAnnouncing());
    announcer.setReady(false);
    EXPECT_EQ(announcer.window(), nullptr);

    // An entry due sooner than the lead is shown at once, without getting ready first.
    announcer.announce(QStringLiteral("急ぎ\n"));
    ASSERT_NE(announcer.window(), nullptr);
    EXPECT_TRUE(announcer.window()->isVisible());

    // No sound set: neither getting ready nor announcing loads the sound plugin and the
    // multimedia libraries behind it.
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("libcorvane_sound"));
}

TEST(ReminderWindow, RightClickMenuSnoozesOrClosesAtOnce)
{
    const struct Row {
        const char* choice;
        int reported; // the minutes reported for a snooze; 0: nothing reported
    } rows[] = {
        {"5分後にもう一度", 5},
        {"30分後にもう一度", 30},
        {"閉じる", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.choice);
        DisplaySettings s = emptyFileSettings();
        s.displaySeconds = QStringLiteral("60");
        Shown shown(s, QStringLiteral("9時の会議\n来客\n"));
        QString snoozedMessage;
        int snoozedMinutes = 0;
        shown.announcer.setSnoozeHandler([&](const QString& message, int minutes) {
            snoozedMessage = message;
            snoozedMinutes = minutes;
        });
        ReminderWindow* w = shown.window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));

        QStringList captions;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* action : menu->actions()) {
                captions << action->text();
                if (action->text() == QString::fromUtf8(row.choice))
                    action->trigger();
            }
            menu->close();
        });
        // Through the window system, as a real right click arrives.
        QTest::mouseClick(w->windowHandle(), Qt::RightButton, {}, QPoint(20, 40));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !captions.isEmpty(); }, 5000));

        EXPECT_EQ(captions, QStringList({QStringLiteral("5分後にもう一度"), QStringLiteral("10分後にもう一度"),
                                         QStringLiteral("30分後にもう一度"), QStringLiteral("閉じる")}));
        EXPECT_FALSE(w->isVisible());
        EXPECT_FALSE(shown.announcer.isAnnouncing());
        EXPECT_EQ(snoozedMinutes, row.reported);
        EXPECT_EQ(snoozedMessage, row.reported ? QStringLiteral("9時の会議\n来客\n") : QString());
        // The screen reader's name for the window and its label: the lines, without line ends.
        EXPECT_EQ(w->accessibleName(), QStringLiteral("9時の会議、来客"));
        EXPECT_EQ(shown.label()->accessibleName(), w->accessibleName());
    }
}

// The window program's side of the pipe: each line of the runner applied to the window, and
// the answers the runner waits for.
TEST(ReminderWindowSession, AnswersTheRunnersLinesAndFinishesAtTheEndOfItsInput)
{
    QByteArrayList replies;
    ReminderWindowSession session([&](const QByteArray& line) { replies << line; });
    QSignalSpy finished(&session, &ReminderWindowSession::finished);
    WindowProgramLook look;
    look.look.fontPoints = 14;
    look.look.left = 1500;
    session.handleLine(lookLine(look).chopped(1));
    EXPECT_EQ(replies, QByteArrayList{"ready\n"});
    ReminderWindow* w = session.window();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->testAttribute(Qt::WA_WState_Created));

    const QString caption = QStringLiteral("  2026/12/7(月)  9:00");
    session.handleLine(showLine(caption, QStringLiteral("朝会\n会議室\tA\n")).chopped(1));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), caption);
    EXPECT_EQ(w->frameGeometry().left(), twipsRect(1500, 0, 2970, 1455, w->screen()).left());
    QLabel* label = w->findChild<QLabel*>(QStringLiteral("Label1"));
    EXPECT_EQ(label->text(), QStringLiteral("朝会\n会議室\tA\n"));
    EXPECT_EQ(label->font().pointSize(), 14);
    ASSERT_TRUE(QTest::qWaitFor([&] { return replies.size() == 2; }, 5000));
    EXPECT_EQ(replies.last(), "shown\n");
    // The same text once more (two entries of one minute): shown again, not left unanswered.
    session.handleLine(showLine(caption, QStringLiteral("朝会\n会議室\tA\n")).chopped(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return replies.size() == 3; }, 5000));
    EXPECT_EQ(replies.last(), "shown\n");

    // The menu's choices hide the window at once and tell the runner.
    emit w->snoozeRequested(5);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(replies.last(), "snooze 5\n");
    session.handleLine(showLine(caption, QStringLiteral("報告\n")).chopped(1));
    emit w->closeRequested();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(replies.last(), "dismissed\n");
    session.handleLine("play");
    session.handleLine("close");
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(replies.last(), "closed\n");
    EXPECT_EQ(replies.size(), 6);
    EXPECT_EQ(finished.size(), 0);

    session.endOfInput();
    EXPECT_EQ(finished.size(), 1);
}

// A look line the program cannot read: said in the log, and the window is made ready with the
// default look all the same, so the reminder is still shown.
TEST(ReminderWindowSession, AnUnreadableLookIsLoggedAndTheDefaultLookUsed)
{
    QByteArrayList replies;
    ReminderWindowSession session([&](const QByteArray& line) { replies << line; });
    test::StderrCapture log;
    session.handleLine("look colour=red\tsize=huge");
    EXPECT_EQ(replies, QByteArrayList{"ready\n"});
    EXPECT_EQ(log.lines().filter(QStringLiteral("お知らせ画面の表示設定が読めません")).size(), 1);
    ASSERT_NE(session.window(), nullptr);
}
