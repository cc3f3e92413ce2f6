// "再作成" and "閲覧" of the general settings window with the real import against a real
// HTTP server on 127.0.0.1, and the desktop's default application replaced by a recorder.
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "editorsession.h"
#include "generalsettingswindow.h"
#include "messagebox.h"
#include "profile.h"
#include "settingspath.h"
#include "tempfolder.h"
#include "testhttpserver.h"
#include "windowdriver.h"
#include "urlrecorder.h"
#include "workbookfiles.h"

using namespace corvane;
using namespace corvane::editor;

namespace {

class Form2ImportTest : public ::testing::Test {
protected:
    Form2ImportTest()
    {
        setProgramsFolderOverride(m_folder.path());
        profile::writeString(SettingsPath(), QStringLiteral("経済指標"), QStringLiteral("取得"), QStringLiteral("1"));
    }
    ~Form2ImportTest() override { setProgramsFolderOverride({}); }
    void start()
    {
        m_session.setEndEditor([] {});
        m_session.start();
        test::click(m_session.entryWindow(), QStringLiteral("Command5"));
        m_window = m_session.generalWindow();
        ASSERT_NE(m_window, nullptr);
        ASSERT_TRUE(test::activate(m_window));
    }
    void reimportAndWait(bool fetches)
    {
        test::click(m_window, QStringLiteral("Command6"));
        // Viewing waits while the page is fetched; without an address there is nothing to wait for.
        if (fetches) {
            EXPECT_FALSE(test::find(m_window, QStringLiteral("Command7"))->isEnabled());
        }
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return test::find(m_window, QStringLiteral("Command7"))->isEnabled(); }, 20000));
    }

    test::TempFolder m_folder;
    test::UrlRecorder m_desktop; // "閲覧" starts no real application
    MessageRecorder m_messages;
    EditorSession m_session;
    GeneralSettingsWindow* m_window = nullptr;
};

TEST_F(Form2ImportTest, ReimportBuildsTheIndicatorWorkbookWhichCanThenBeViewed)
{
    test::TestHttpServer server;
    QFile page(QStringLiteral(CORVANE_TEST_DATA "/import/calendar_utf8.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    server.route("/web/market/calendar/", test::HttpRoute{200, "text/html; charset=UTF-8", page.readAll()});
    profile::writeString(SettingsPath(), QStringLiteral("経済指標"), QStringLiteral("URL"),
                         server.url("/web/market/calendar/").toString());
    start();
    reimportAndWait(true);
    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join(' ').toStdString();
    EXPECT_TRUE(QFile::exists(programsFile(QStringLiteral("経済指標.xls"))));
    EXPECT_EQ(server.requestCount("/web/market/calendar/"), 1);
    test::click(m_window, QStringLiteral("Command7"));
    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join(' ').toStdString();
}

TEST_F(Form2ImportTest, AFailedImportShowsItsReason)
{
    start();
    reimportAndWait(false);
    ASSERT_EQ(m_messages.messages.size(), 1);
    EXPECT_TRUE(m_messages.messages[0].contains(QStringLiteral("URLが設定されていません")))
        << m_messages.messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(programsFile(QStringLiteral("経済指標.xls"))));
}

TEST_F(Form2ImportTest, ReimportUsesTheTypedAddressAndTimeDifferenceAndSparesAnOpenWorkbook)
{
    test::TestHttpServer server;
    QFile page(QStringLiteral(CORVANE_TEST_DATA "/import/calendar_utf8.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    server.route("/web/market/calendar/", test::HttpRoute{200, "text/html; charset=UTF-8", page.readAll()});
    profile::writeString(SettingsPath(), QStringLiteral("経済指標"), QStringLiteral("URL"),
                         server.url("/old").toString());
    start();
    // Typed, not yet saved with 登録完了.
    test::typeInto(test::find<QLineEdit>(m_window, QStringLiteral("Text9")),
                   server.url("/web/market/calendar/").toString());
    test::typeInto(test::find<QLineEdit>(m_window, QStringLiteral("Text6")), QStringLiteral("13"));
    reimportAndWait(true);
    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join(' ').toStdString();
    EXPECT_EQ(server.requestCount("/web/market/calendar/"), 1);
    EXPECT_EQ(server.requestCount("/old"), 0);
    EXPECT_EQ(profile::readString(SettingsPath(), QStringLiteral("時差"), QStringLiteral("ET")), QStringLiteral("13"));
    const QString stamp = profile::readString(SettingsPath(), QStringLiteral("経済指標"), QStringLiteral("作成日"));
    EXPECT_FALSE(stamp.isEmpty());

    // Open in a spreadsheet: refused with a message, the workbook and the stamp kept.
    const QString workbook = programsFile(QStringLiteral("経済指標.xls"));
    const QByteArray before = test::readFileBytes(workbook);
    m_folder.writeBytes(QStringLiteral(".~lock.経済指標.xls#"), "user,host,/tmp,07.12.2026 08:00;");
    profile::writeString(SettingsPath(), QStringLiteral("経済指標"), QStringLiteral("作成日"),
                         QStringLiteral("2026/1/1"));
    reimportAndWait(true);
    ASSERT_EQ(m_messages.messages.size(), 1);
    EXPECT_TRUE(m_messages.messages[0].contains(QStringLiteral("ファイルを閉じてから")))
        << m_messages.messages[0].toStdString();
    EXPECT_EQ(test::readFileBytes(workbook), before);
    EXPECT_EQ(profile::readString(SettingsPath(), QStringLiteral("経済指標"), QStringLiteral("作成日")),
              QStringLiteral("2026/1/1"));
}

} // namespace
