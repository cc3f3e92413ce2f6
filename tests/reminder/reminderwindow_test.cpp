// Form2 set up from the settings through the runner's announcer: place and size from twips,
// Label1's size rule, font, colours, unwrapped lines, and that it never takes the focus.
#include <gtest/gtest.h>

#include "emptyfilesettings.h"
#include "clock.h"
#include "fakeannouncementtime.h"
#include "reminderannouncer.h"
#include "reminderwindow.h"
#include "twips.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

using namespace corvane;
using corvane::test::emptyFileSettings;
using corvane::test::FakeAnnouncementTime;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(8, 55, 0, 120));

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

TEST(ReminderWindow, PlacedAtItsTwipsEvenBeyondTheScreen)
{
    DisplaySettings s = emptyFileSettings();
    s.top = QStringLiteral("1440");
    s.left = QStringLiteral("200000");
    s.width = QStringLiteral("5760");
    s.height = QStringLiteral("2880");
    Shown shown(s);
    const QScreen* screen = shown.window()->screen();
    EXPECT_EQ(shown.window()->frameGeometry(), twipsRect(200000, 1440, 5760, 2880, screen));
    EXPECT_EQ(shown.label()->size(),
              QSize(twipsToPixelsX(5280, screen), twipsToPixelsY(2520, screen)));
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
    const QString longLine = QStringLiteral("この行はラベルの幅よりずっと長いので折り返さずに端で切れるはずです。").repeated(3);
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
    s.colour = QString::number(ColourValue::system(5).raw);    // window background
    s.textColour = QString::number(ColourValue::system(8).raw); // window text
    Shown shown(s);
    const QPalette system = QApplication::palette();
    EXPECT_EQ(shown.label()->palette().color(QPalette::Window), system.color(QPalette::Base));
    EXPECT_EQ(shown.label()->palette().color(QPalette::WindowText), system.color(QPalette::Text));
}

TEST(ReminderWindow, StaysOnTopWithoutTakingTheFocus)
{
    QWidget work;
    auto* edit = new QLineEdit(&work);
    work.show();
    work.activateWindow();
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&work));
    QTest::keyClicks(edit, QStringLiteral("abc"));

    Shown shown(emptyFileSettings());
    const Qt::WindowFlags flags = shown.window()->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(shown.window()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(shown.window()->windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
    QTest::qWait(50);
    // The offscreen platform activates every window it shows, whatever its flags; a real
    // display server honours them (checked under Xvfb with a window manager).
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    EXPECT_EQ(QApplication::activeWindow(), &work);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("d"));
    EXPECT_EQ(edit->text(), QStringLiteral("abcd"));
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
    QTRY_VERIFY_WITH_TIMEOUT(!announcer.window()->isVisible(), 3000);
    EXPECT_FALSE(announcer.isAnnouncing());
}

TEST(ReminderWindow, ReadyAheadShowsNothingAndIsReleasedOnlyOffScreen)
{
    ScopedClock clock([] { return kNow; });
    FakeAnnouncementTime time(kNow);
    ReminderAnnouncer announcer(emptyFileSettings(), &time);
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
}
