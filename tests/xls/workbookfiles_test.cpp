// A workbook counts as busy while a spreadsheet application's lock file stands beside it.
#include "tempfolder.h"
#include "workbookfiles.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace corvane;

TEST(WorkbookFiles, BusyWhileALockFileStandsBesideIt)
{
    test::TempFolder folder;
    const QString book = folder.file(QStringLiteral("corvane予定表.xls"));
    EXPECT_FALSE(isWorkbookBusy(book)); // missing
    folder.writeBytes(QStringLiteral("corvane予定表.xls"), "x");
    EXPECT_FALSE(isWorkbookBusy(book));
    EXPECT_EQ(workbookLockFile(book), folder.file(QStringLiteral(".~lock.corvane予定表.xls#")));
    folder.writeBytes(QStringLiteral(".~lock.corvane予定表.xls#"), "user,host,2026-12-07;");
    EXPECT_TRUE(isWorkbookBusy(book));
    // Another workbook's lock does not count.
    folder.writeBytes(QStringLiteral("経済指標.xls"), "x");
    EXPECT_FALSE(isWorkbookBusy(folder.file(QStringLiteral("経済指標.xls"))));
    QFile::remove(workbookLockFile(book));
    EXPECT_FALSE(isWorkbookBusy(book));
    EXPECT_EQ(folder.readBytes(QStringLiteral("corvane予定表.xls")), "x"); // the test changes nothing
}
