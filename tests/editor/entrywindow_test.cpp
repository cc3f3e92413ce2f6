// The entry window driven by keys and clicks: the checks that keep the focus in a box, the
// category options, paging, clearing, and what "登録完了" does when the save succeeds or not.
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "clock.h"
#include "compositionguard.h"
#include "editorsession.h"
#include "entrywindow.h"
#include "messagebox.h"
#include "profile.h"
#include "settingspath.h"
#include "editorsessionfixture.h"
#include "windowdriver.h"

using namespace corvane;
using namespace corvane::editor;
using corvane::test::typeInto;

namespace {

class EntryWindowTest : public test::EditorSessionFixture {
protected:
    void start()
    {
        startSession();
        m_window = m_session.entryWindow();
        ASSERT_NE(m_window, nullptr);
        QApplication::setActiveWindow(m_window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
    }

    template <typename W = QWidget>
    W* control(const QString& name)
    {
        return test::find<W>(m_window, name);
    }
    QLineEdit* box(const char* column, int row)
    {
        return control<QLineEdit>(QString::fromLatin1(column) + QLatin1Char('_') + QString::number(row));
    }
    void click(const QString& name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    EntryWindow* m_window = nullptr;
};

TEST_F(EntryWindowTest, DateBoxKeepsTheFocusOnAPastOrMalformedDate)
{
    start();
    click(QStringLiteral("Option1_2"));
    QLineEdit* date = box("Text1", 0);
    ASSERT_TRUE(date->isEnabled());

    typeInto(date, QStringLiteral("2010/1/1"));
    QTest::keyClick(date, Qt::Key_Tab);
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("本日以後の予定を登録してください")});
    EXPECT_TRUE(date->hasFocus());
    EXPECT_EQ(date->text(), QStringLiteral("2010/1/1"));

    typeInto(date, QStringLiteral("abc"));
    // Clicking elsewhere is refused too, and the clicked button does not act.
    click(QStringLiteral("Command3"));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_messages.messages.last(), QStringLiteral("yyyy/m/d 形式で記入してください"));
    EXPECT_TRUE(date->hasFocus());
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label6_0"))->text(), QStringLiteral("1"));

    typeInto(date, QStringLiteral("2026/12/7"));
    QTest::keyClick(date, Qt::Key_Tab);
    EXPECT_EQ(m_messages.messages.size(), 2);
    EXPECT_TRUE(box("Text2", 0)->hasFocus());
}

TEST_F(EntryWindowTest, TimeBoxRefusesAnInvalidTimeAndTheSaveDoesNotHappen)
{
    start();
    QLineEdit* time = box("Text2", 0);
    typeInto(time, QStringLiteral("9:00"));
    QTest::keyClick(time, Qt::Key_Tab);
    EXPECT_TRUE(m_messages.messages.isEmpty());

    typeInto(time, QStringLiteral("25:00"));
    QTest::keyClick(time, Qt::Key_Tab);
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("h:mm 形式で記入してください")});
    EXPECT_TRUE(time->hasFocus());

    click(QStringLiteral("Command4"));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_messages.messages.size(), 2);
    EXPECT_FALSE(QFile::exists(settings()));
    EXPECT_EQ(m_ended, 0);
    EXPECT_EQ(m_restarts, 0);
    EXPECT_TRUE(time->hasFocus());
}

// What the input method does when the focus moves with a composition open: the composition
// is committed into the box being left (by Qt, or by nobody), then the engine commits it once
// more into whichever box has the focus. The echo must not be stored.
TEST_F(EntryWindowTest, AnOpenCompositionIsCommittedOnceWhenTheFocusMoves)
{
    installCompositionGuard(qApp);
    start();
    auto inputMethod = [](QWidget* box, const QString& preedit, const QString& commit) {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QApplication::sendEvent(box, &event);
    };
    QLineEdit* row1 = box("Text3", 0);
    QLineEdit* row3 = box("Text3", 2);
    typeInto(row1, QStringLiteral("定例"));
    inputMethod(row1, QStringLiteral("会議"), {});
    QTest::mouseClick(row3, Qt::LeftButton);
    inputMethod(row3, {}, QStringLiteral("会議"));
    EXPECT_EQ(row1->text(), QStringLiteral("定例会議"));
    EXPECT_EQ(row3->text(), QString());
    // Typed again on purpose, it is kept.
    inputMethod(row3, QStringLiteral("会議"), {});
    inputMethod(row3, {}, QStringLiteral("会議"));
    EXPECT_EQ(row3->text(), QStringLiteral("会議"));

    // Committed by Qt first; the box refuses to let go, so the echo comes back into it.
    QLineEdit* time = box("Text2", 0);
    QTest::mouseClick(time, Qt::LeftButton);
    inputMethod(time, QStringLiteral("２５：００"), {});
    inputMethod(time, {}, QStringLiteral("２５：００"));
    QTest::mouseClick(row3, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(time->hasFocus());
    inputMethod(time, {}, QStringLiteral("２５：００"));
    EXPECT_EQ(time->text(), QStringLiteral("２５：００"));
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("h:mm 形式で記入してください")});
}

TEST_F(EntryWindowTest, CategoriesShowTheirCaptionsAndKeepThePage)
{
    start();
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("Option1_0"))->isChecked());
    EXPECT_EQ(box("Text1", 0)->text(), QStringLiteral("毎日"));

    click(QStringLiteral("Option1_3"));
    for (int row = 0; row < kRowsPerPage; ++row) {
        EXPECT_FALSE(box("Text1", row)->isEnabled());
        EXPECT_EQ(box("Text1", row)->text(), QStringLiteral("月曜日"));
    }
    int checked = 0;
    for (int c = 0; c < 11; ++c)
        checked += control<QRadioButton>(QStringLiteral("Option1_%1").arg(c))->isChecked();
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("Option1_3"))->isChecked());

    click(QStringLiteral("Command3"));
    click(QStringLiteral("Command3"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label6_0"))->text(), QStringLiteral("21"));
    click(QStringLiteral("Option1_2"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label6_0"))->text(), QStringLiteral("21"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label6_9"))->text(), QStringLiteral("30"));
    EXPECT_TRUE(box("Text1", 0)->isEnabled());
    EXPECT_EQ(box("Text1", 0)->text(), QString());
}

TEST_F(EntryWindowTest, PagingStopsAtTheFirstAndLastPage)
{
    start();
    auto* first = control<QLabel>(QStringLiteral("Label6_0"));
    click(QStringLiteral("Command2"));
    EXPECT_EQ(first->text(), QStringLiteral("1"));
    for (int i = 0; i < 6; ++i)
        click(QStringLiteral("Command3"));
    EXPECT_EQ(first->text(), QStringLiteral("41"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label6_9"))->text(), QStringLiteral("50"));
    click(QStringLiteral("Command2"));
    EXPECT_EQ(first->text(), QStringLiteral("31"));
}

TEST_F(EntryWindowTest, EntriesTypedOnSeveralPagesAreSavedAndCounted)
{
    start();
    typeInto(box("Text2", 0), QStringLiteral("12:00"));
    typeInto(box("Text3", 0), QStringLiteral("昼休み"));
    click(QStringLiteral("Command3"));
    typeInto(box("Text2", 3), QStringLiteral("8:30"));
    typeInto(box("Text3", 3), QStringLiteral("朝礼"));
    click(QStringLiteral("Option1_3"));
    click(QStringLiteral("Option1_0"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label7"))->text(), QStringLiteral("「毎日」の登録件数は 2件です。"));
    EXPECT_EQ(box("Text3", 3)->text(), QStringLiteral("朝礼"));

    click(QStringLiteral("Option1_3"));
    typeInto(box("Text2", 0), QStringLiteral("9:00"));
    click(QStringLiteral("Command4"));
    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join(' ').toStdString();
    EXPECT_EQ(read(QStringLiteral("時刻"), QStringLiteral("0-0")), QStringLiteral("8:30"));
    EXPECT_EQ(read(QStringLiteral("内容"), QStringLiteral("0-1")), QStringLiteral("昼休み"));
    EXPECT_EQ(read(QStringLiteral("指定日"), QStringLiteral("0-0")), QStringLiteral("毎日"));
    EXPECT_EQ(read(QStringLiteral("指定日"), QStringLiteral("3-0")), QStringLiteral("月曜日"));
    EXPECT_EQ(m_restarts, 1);
    EXPECT_EQ(m_ended, 1);
}

TEST_F(EntryWindowTest, ClearingARowOfTheDatedCategoryEmptiesTheDate)
{
    ASSERT_TRUE(profile::writeString(settings(), QStringLiteral("指定日"), QStringLiteral("2-0"),
                                     QStringLiteral("2026/12/24")));
    ASSERT_TRUE(
        profile::writeString(settings(), QStringLiteral("時刻"), QStringLiteral("2-0"), QStringLiteral("19:00")));
    ASSERT_TRUE(
        profile::writeString(settings(), QStringLiteral("時刻"), QStringLiteral("4-0"), QStringLiteral("19:00")));
    start();
    click(QStringLiteral("Option1_2"));
    EXPECT_EQ(box("Text1", 0)->text(), QStringLiteral("2026/12/24"));
    click(QStringLiteral("Command1_0"));
    EXPECT_EQ(box("Text1", 0)->text(), QString());
    EXPECT_EQ(box("Text2", 0)->text(), QString());
    EXPECT_TRUE(m_session.entries().entryDate(2, 0).isEmpty());

    click(QStringLiteral("Option1_4"));
    click(QStringLiteral("Command1_0"));
    EXPECT_EQ(box("Text1", 0)->text(), QStringLiteral("火曜日"));
    EXPECT_TRUE(m_session.entries().entryTime(4, 0).isEmpty());
}

TEST_F(EntryWindowTest, ARefusedSaveKeepsTheUserInTheWindowWithEverythingTyped)
{
    start();
    typeInto(box("Text3", 2), QStringLiteral("時刻を忘れた"));
    click(QStringLiteral("Command4"));
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("「毎日」の3番の登録に時刻の記入がありません")});
    EXPECT_EQ(m_ended, 0);
    EXPECT_EQ(m_restarts, 0);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(box("Text3", 2)->text(), QStringLiteral("時刻を忘れた"));

    click(QStringLiteral("Command5"));
    EXPECT_EQ(m_messages.messages.size(), 2);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(QFile::exists(settings()));
}

// A dated row with a time but no date would be stored where no reader can place it on a day:
// it is refused, and the window shows that row with the focus in its date box.
TEST_F(EntryWindowTest, ADatedRowWithoutADateIsRefusedAtItsDateBox)
{
    start();
    click(QStringLiteral("Option1_2"));
    click(QStringLiteral("Command3"));
    typeInto(box("Text2", 2), QStringLiteral("23:58"));
    typeInto(box("Text3", 2), QStringLiteral("日付を忘れた"));
    click(QStringLiteral("Option1_0"));
    click(QStringLiteral("Command4"));
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("「指定日」の13番の登録に日付の記入がありません")});
    EXPECT_EQ(m_ended, 0);
    EXPECT_FALSE(QFile::exists(settings()));
    EXPECT_EQ(m_window->CurrentCategory(), 2);
    EXPECT_EQ(m_window->firstSlot(), 10);
    EXPECT_TRUE(box("Text1", 2)->hasFocus());
    EXPECT_EQ(box("Text3", 2)->text(), QStringLiteral("日付を忘れた"));

    typeInto(box("Text1", 2), QStringLiteral("2026/12/24"));
    click(QStringLiteral("Command4"));
    EXPECT_EQ(m_messages.messages.size(), 1);
    EXPECT_EQ(m_ended, 1);
}

TEST_F(EntryWindowTest, AFailedWriteIsReportedAndTheEditorStays)
{
    setProgramsFolderOverride(m_folder.file(QStringLiteral("消えたフォルダ")));
    start();
    typeInto(box("Text2", 0), QStringLiteral("9:00"));
    click(QStringLiteral("Command4"));
    ASSERT_EQ(m_messages.messages.size(), 1);
    EXPECT_TRUE(m_messages.messages[0].startsWith(QStringLiteral("設定ファイルに書き込めませんでした")));
    // The reason is the user's language and names the folder to look at.
    EXPECT_TRUE(m_messages.messages[0].contains(
        QStringLiteral("フォルダー %1 がありません").arg(m_folder.file(QStringLiteral("消えたフォルダ")))))
        << m_messages.messages[0].toStdString();
    EXPECT_EQ(m_ended, 0);
    EXPECT_EQ(m_restarts, 0);
}

TEST_F(EntryWindowTest, ControlsFollowTheTabOrder)
{
    start();
    EXPECT_TRUE(control(QStringLiteral("Option1_0"))->hasFocus());
    const auto next = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    EXPECT_EQ(next(control(QStringLiteral("Option1_3"))), control(QStringLiteral("Option1_4")));
    EXPECT_EQ(next(control(QStringLiteral("Option1_10"))), box("Text1", 0));
    EXPECT_EQ(next(box("Text1", 0)), box("Text2", 0));
    EXPECT_EQ(next(box("Text3", 0)), control(QStringLiteral("Command1_0")));
    EXPECT_EQ(next(control(QStringLiteral("Command1_0"))), box("Text1", 1));
    EXPECT_EQ(next(control(QStringLiteral("Command1_9"))), control(QStringLiteral("Command2")));
    EXPECT_EQ(next(control(QStringLiteral("Command3"))), control(QStringLiteral("Command6")));
    EXPECT_EQ(next(control(QStringLiteral("Command7"))), control(QStringLiteral("Command5")));
    EXPECT_EQ(next(control(QStringLiteral("Command5"))), control(QStringLiteral("Command4")));
}

TEST_F(EntryWindowTest, WorkbookButtonsBuildFromTheSavedFileAndView)
{
    start();
    click(QStringLiteral("Command7"));
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("ファイルがありません")});
    typeInto(box("Text2", 0), QStringLiteral("9:00"));
    click(QStringLiteral("Command6"));
    EXPECT_EQ(m_messages.messages.size(), 1);
    EXPECT_TRUE(QFile::exists(m_folder.file(QStringLiteral("corvane予定表.xls"))));
    EXPECT_TRUE(control(QStringLiteral("Command7"))->isEnabled());
    // Typed but not saved: not in the file the workbook was built from.
    EXPECT_FALSE(QFile::exists(settings()));
}

} // namespace
