// The controller's windows on the offscreen platform, driven by real mouse and key events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalServer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "clock.h"
#include "controllerenv.h"
#include "controllerwindow.h"
#include "daylistviewer.h"
#include "messagebox.h"
#include "profile.h"
#include "runnercontrol.h"
#include "announcementhistory.h"
#include "statefolder.h"
#include "twips.h"

using namespace corvane;
using namespace corvane::controller;

namespace {

class ControllerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_form = std::make_unique<ControllerWindow>();
        m_form->move(100, 100);
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void TearDown() override { m_form.reset(); }

    template <typename T = QWidget>
    T* control(const char* name) const
    {
        T* w = m_form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    QLineEdit* text1() const { return control<QLineEdit>("Text1"); }
    QLineEdit* text2() const { return control<QLineEdit>("Text2"); }
    // Types as a keyboard (or an input method, for Japanese text) would.
    static void type(QWidget* field, const QString& text)
    {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void typeTime(const QString& time)
    {
        text1()->setFocus();
        text1()->clear();
        type(text1(), time);
    }
    QString dated(const QString& section, int n) const
    {
        return profile::readString(m_env.settingsPath(), section, QStringLiteral("2-%1").arg(n));
    }

    test::ControllerEnvironment m_env;
    ScopedClock m_clock{[] { return QDateTime(QDate(2026, 12, 7), QTime(10, 0, 30)); }};
    MessageRecorder m_messages;
    std::unique_ptr<ControllerWindow> m_form;
};

TEST_F(ControllerWindowTest, LayoutCaptionsAndTabOrder)
{
    EXPECT_EQ(m_form->windowTitle(), QStringLiteral("corvane"));
    const std::pair<const char*, const char*> captions[] = {
        {"Command6", "予定の表示"},         {"Command1", "予定の追加"},       {"Command2", "設　　　定"},
        {"Command8", "プログラムの再起動"}, {"Command3", "プログラムの終了"}, {"Command4", "閉じる"},
        {"Command7", "キャンセル"},         {"Command5", "登　　録"}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(control<QPushButton>(name)->text(), QString::fromUtf8(caption)) << name;
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("時　　刻"));
    EXPECT_EQ(control<QLabel>("Label2")->text(), QStringLiteral("表示内容"));
    for (const char* label : {"Label1", "Label2"}) // captions are never cut
        EXPECT_GE(control(label)->width(), control(label)->sizeHint().width()) << label;
    EXPECT_EQ(control<QRadioButton>("Option1")->text(), QStringLiteral("本日"));
    EXPECT_EQ(control<QRadioButton>("Option2")->text(), QStringLiteral("翌日"));
    EXPECT_EQ(control("Text2")->geometry(), twipsRect(2400, 1560, 4575, 270));
    EXPECT_EQ(control("Command3")->geometry(), twipsRect(240, 2040, 1695, 375));

    // Tab walks the designed order (the panel open so that all of it is reachable).
    click("Command1");
    const char* order[] = {"Command6", "Command1", "Command2", "Command8", "Command4", "Option1",
                           "Text1",    "Text2",    "Command7", "Command5", "Command6"};
    control("Command6")->setFocus();
    for (const char* name : order) {
        EXPECT_EQ(QApplication::focusWidget(), control(name)) << name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

TEST_F(ControllerWindowTest, StartsNarrowWithTheRunnerButtonOffWhenNoRunnerRuns)
{
    EXPECT_EQ(m_form->windowWidthTwips(), kNarrowWidthTwips);
    EXPECT_EQ(m_form->width(), twipsToPixelsX(kNarrowWidthTwips - 120));
    EXPECT_FALSE(m_form->viewerShown());
    EXPECT_FALSE(control("Command3")->isEnabled());
    EXPECT_FALSE(control("Text1")->isVisible());
}

TEST_F(ControllerWindowTest, AddTogglesTheWidthAndSelectsTodayEachTime)
{
    click("Command1");
    EXPECT_TRUE(m_form->isPanelOpen());
    EXPECT_EQ(m_form->width(), twipsToPixelsX(kWideWidthTwips - 120));
    EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());
    EXPECT_TRUE(text1()->isVisible());

    click("Option2");
    EXPECT_TRUE(control<QRadioButton>("Option2")->isChecked());
    click("Command1");
    EXPECT_EQ(m_form->windowWidthTwips(), kNarrowWidthTwips);
    EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());
    click("Command1");
    EXPECT_EQ(m_form->windowWidthTwips(), kWideWidthTwips);
    EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());
}

TEST_F(ControllerWindowTest, PastTimeForTodayKeepsTheFocusAndSwallowsClicks)
{
    click("Command1");
    text2()->setText(QStringLiteral("過去"));
    typeTime(QStringLiteral("10:00")); // now is 10:00:30

    click("Command5");
    EXPECT_EQ(QApplication::focusWidget(), text1());
    EXPECT_FALSE(QFile::exists(m_env.settingsPath()));
    click("Command7"); // キャンセル is refused too
    EXPECT_EQ(text1()->text(), QStringLiteral("10:00"));
    EXPECT_TRUE(m_form->isPanelOpen());
    click("Option2");
    EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());
    QTest::keyClick(text1(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), text1());
    EXPECT_TRUE(m_messages.messages.isEmpty()); // refused silently

    // Words are refused as well; a later time lets the focus go.
    typeTime(QStringLiteral("会議"));
    QTest::keyClick(text1(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), text1());
    typeTime(QStringLiteral("10:01"));
    QTest::keyClick(text1(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), text2());
}

TEST_F(ControllerWindowTest, TomorrowTakesAnyTimeAndSwitchingBackToTodayIsNotCheckedAgain)
{
    click("Command1");
    click("Option2");
    typeTime(QStringLiteral("6:00"));
    text2()->setFocus(); // leaves the field: accepted for tomorrow
    EXPECT_EQ(QApplication::focusWidget(), text2());
    type(text2(), QStringLiteral("朝の予定"));
    click("Option1");
    click("Command5");

    // Registered; only the restart fails, for want of a runner program here.
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("corvane_110が見つかりません")});
    EXPECT_EQ(dated(QStringLiteral("指定日"), 0), QStringLiteral("2026/12/7"));
    EXPECT_EQ(dated(QStringLiteral("時刻"), 0), QStringLiteral("6:00"));
    EXPECT_EQ(dated(QStringLiteral("内容"), 0), QStringLiteral("朝の予定"));
}

TEST_F(ControllerWindowTest, RegisteringNarrowsKeepsTheTextsAndTriesTheRunner)
{
    click("Command1");
    click("Option2");
    typeTime(QStringLiteral("9:15"));
    text2()->setText(QStringLiteral("明日の会議"));
    click("Command5");

    EXPECT_EQ(m_form->windowWidthTwips(), kNarrowWidthTwips);
    EXPECT_EQ(dated(QStringLiteral("指定日"), 0), QStringLiteral("2026/12/8"));
    // No runner program in this folder: the user is told, the entry stays registered.
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("corvane_110が見つかりません")});

    click("Command1");
    EXPECT_EQ(text1()->text(), QStringLiteral("9:15"));
    EXPECT_EQ(text2()->text(), QStringLiteral("明日の会議"));
    EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());
}

TEST_F(ControllerWindowTest, EmptyTimeIsRefusedWithAMessageAndNothingIsLost)
{
    click("Command1");
    text2()->setText(QStringLiteral("時刻を忘れた"));
    click("Command5");

    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("時刻を記入してください")});
    EXPECT_TRUE(m_form->isPanelOpen());
    EXPECT_EQ(text2()->text(), QStringLiteral("時刻を忘れた"));
    EXPECT_FALSE(QFile::exists(m_env.settingsPath()));
}

TEST_F(ControllerWindowTest, CancelEmptiesBothFieldsAndNarrows)
{
    click("Command1");
    typeTime(QStringLiteral("11:00"));
    text2()->setText(QStringLiteral("取り消す"));
    click("Command7");
    EXPECT_TRUE(text1()->text().isEmpty());
    EXPECT_TRUE(text2()->text().isEmpty());
    EXPECT_EQ(m_form->windowWidthTwips(), kNarrowWidthTwips);
}

TEST_F(ControllerWindowTest, EditorMissingIsReportedAndTheWindowStaysNarrowed)
{
    click("Command6");
    ASSERT_TRUE(m_form->viewerShown());
    click("Command2");
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("corvane設定.exeと同じフォルダに置いてください")});
    EXPECT_FALSE(m_form->viewerShown());
    EXPECT_TRUE(m_form->isVisible());

    click("Command1");
    click("Command2");
    EXPECT_EQ(m_form->windowWidthTwips(), kNarrowWidthTwips);
}

TEST_F(ControllerWindowTest, RestartWithTheRunnerProgramMissingSaysSo)
{
    click("Command8");
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("corvane_110が見つかりません")});
    EXPECT_FALSE(control("Command3")->isEnabled());
}

TEST_F(ControllerWindowTest, EndWithARunnerThatWillNotCloseSaysSoAndStays)
{
    QLocalServer hung; // takes the close request, never answers
    ASSERT_TRUE(hung.listen(runnerSocketPath()));
    m_form = std::make_unique<ControllerWindow>(); // finds the runner: "プログラムの終了" enabled
    m_form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
    QSignalSpy ended(m_form.get(), &ControllerWindow::endRequested);
    click("Command3");
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("実行中のcorvane_110が終了しませんでした")});
    EXPECT_EQ(ended.count(), 0);
}

TEST_F(ControllerWindowTest, CloseEndsTheController)
{
    QSignalSpy ended(m_form.get(), &ControllerWindow::endRequested);
    click("Command4");
    EXPECT_EQ(ended.count(), 1);
}

// The viewer.
class ViewerTest : public ControllerWindowTest {
protected:
    void SetUp() override
    {
        const QString path = m_env.settingsPath();
        const auto put = [&](const char* section, const QString& key, const QString& value) {
            ASSERT_TRUE(profile::writeString(path, QString::fromUtf8(section), key, value));
        };
        put("本日の予定", QStringLiteral("時刻0"), QStringLiteral("9:30"));
        put("本日の予定", QStringLiteral("内容0"), QStringLiteral("朝"));
        put("本日の予定", QStringLiteral("時刻1"), QStringLiteral("10:05"));
        put("本日の予定", QStringLiteral("内容1"), QStringLiteral("客"));
        put("翌日の予定", QStringLiteral("時刻0"), QStringLiteral("17:45"));
        put("翌日の予定", QStringLiteral("内容0"), QStringLiteral("客"));
        put("略称登録", QStringLiteral("略称3"), QStringLiteral("客"));
        put("略称登録", QStringLiteral("内容3"), QStringLiteral("来客対応"));
        ControllerWindowTest::SetUp();
    }
    DayListViewer* viewer() const { return m_form->viewer(); }
    template <typename T = QWidget>
    T* viewerControl(const char* name) const
    {
        return viewer()->findChild<T*>(QLatin1String(name));
    }
};

TEST_F(ViewerTest, OpensBesideTheControllerWithTodaysLines)
{
    click("Command6");
    ASSERT_TRUE(m_form->viewerShown());
    ASSERT_NE(viewer(), nullptr);
    EXPECT_TRUE(viewer()->isVisible());
    EXPECT_EQ(viewer()->windowTitle(), QStringLiteral("表示予定"));
    EXPECT_TRUE(viewerControl<QRadioButton>("Option1")->isChecked());
    EXPECT_EQ(viewer()->lines(), (QStringList{QStringLiteral(" 9:30    朝"), QStringLiteral("10:05    来客対応")}));
    const QRect controller = m_form->frameGeometry();
    EXPECT_EQ(viewer()->frameGeometry().left(), controller.left() + controller.width());
    EXPECT_EQ(viewer()->frameGeometry().top(), controller.top());
    EXPECT_EQ(viewer()->height(), m_form->height());

    QTest::mouseClick(viewerControl("Option2"), Qt::LeftButton);
    EXPECT_EQ(viewer()->lines(), QStringList{QStringLiteral("17:45    来客対応")});
}

TEST_F(ViewerTest, TimeColumnLinesUpInTheFixedPitchFont)
{
    click("Command6");
    auto* list = viewerControl<QListWidget>("List1");
    ASSERT_NE(list, nullptr);
    const QFontInfo info(list->font());
    // IPAGothic: half-width characters share one advance, full-width ones twice it.
    EXPECT_EQ(info.family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(list->font().pointSize(), 9);
    const QFontMetrics metrics(list->font());
    const QStringList lines = viewer()->lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(metrics.horizontalAdvance(lines[0].left(9)), metrics.horizontalAdvance(lines[1].left(9)));
}

TEST_F(ViewerTest, ShowTwiceClosesAndEveryWayOfClosingAllowsReopening)
{
    click("Command6");
    click("Command6");
    EXPECT_FALSE(m_form->viewerShown());

    click("Command6");
    ASSERT_TRUE(m_form->viewerShown());
    QTest::mouseClick(viewerControl("Command1"), Qt::LeftButton); // its own 閉じる
    EXPECT_FALSE(m_form->viewerShown());
    click("Command6");
    ASSERT_TRUE(m_form->viewerShown());
    EXPECT_TRUE(viewer()->isVisible());

    viewer()->close(); // the window's close box
    EXPECT_FALSE(m_form->viewerShown());
    QTest::qWait(0);
    click("Command6");
    EXPECT_TRUE(m_form->viewerShown());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_form->viewerShown()); // the old viewer's end does not touch the new one
    EXPECT_NE(viewer(), nullptr);
}

TEST_F(ViewerTest, OpeningWithThePanelOpenNarrowsFirst)
{
    click("Command1");
    ASSERT_TRUE(m_form->isPanelOpen());
    click("Command6");
    EXPECT_EQ(m_form->windowWidthTwips(), kNarrowWidthTwips);
    ASSERT_TRUE(m_form->viewerShown());
    const QRect controller = m_form->frameGeometry();
    EXPECT_EQ(viewer()->frameGeometry().left(), controller.left() + controller.width());

    // Opening the panel closes the viewer again.
    click("Command1");
    EXPECT_FALSE(m_form->viewerShown());
}

TEST_F(ViewerTest, TodayAgainReloadsAbbreviationsAndList)
{
    click("Command6");
    QTest::mouseClick(viewerControl("Option2"), Qt::LeftButton);
    ASSERT_TRUE(profile::writeString(m_env.settingsPath(), QStringLiteral("略称登録"), QStringLiteral("内容3"),
                                     QStringLiteral("お客様")));
    ASSERT_TRUE(profile::writeString(m_env.settingsPath(), QStringLiteral("本日の予定"), QStringLiteral("時刻2"),
                                     QStringLiteral("18:00")));
    QTest::mouseClick(viewerControl("Option1"), Qt::LeftButton);
    EXPECT_EQ(viewer()->lines(), (QStringList{QStringLiteral(" 9:30    朝"), QStringLiteral("10:05    お客様"),
                                              QStringLiteral("18:00    ")}));
}

TEST_F(ViewerTest, AnnouncedListsTodaysHistoryAndTheOtherChoicesStillWork)
{
    QString reason;
    ASSERT_TRUE(writePrivateFile(historyFilePath(runnerStateFolder(), Clock::today()),
                                 "9:30\t再通知\t9:40\t朝\n7:00\t見逃し\t\t体操\n", &reason))
        << reason.toStdString();
    click("Command6");
    auto* announced = viewerControl<QRadioButton>("Option3");
    ASSERT_NE(announced, nullptr);
    EXPECT_EQ(announced->text(), QStringLiteral("お知らせ済み"));
    EXPECT_GE(announced->width(), announced->sizeHint().width()); // the caption is never cut
    EXPECT_LE(announced->geometry().right(), viewerControl("Command1")->geometry().left());
    QTest::mouseClick(announced, Qt::LeftButton);
    EXPECT_TRUE(announced->isChecked());
    EXPECT_EQ(viewer()->lines(),
              (QStringList{QStringLiteral("7:00 体操  見逃し"), QStringLiteral("9:30 朝  再通知 9:40")}));
    QTest::mouseClick(viewerControl("Option1"), Qt::LeftButton);
    EXPECT_FALSE(announced->isChecked());
    EXPECT_EQ(viewer()->lines(), (QStringList{QStringLiteral(" 9:30    朝"), QStringLiteral("10:05    来客対応")}));
}

} // namespace
