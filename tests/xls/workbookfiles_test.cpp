// Showing a workbook starts the desktop opener without waiting; a workbook counts as busy
// while a spreadsheet application's lock file stands beside it.
#include "tempfolder.h"
#include "workbookfiles.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

bool waitForFile(const QString& path, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!QFileInfo::exists(path)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

} // namespace

TEST(WorkbookFiles, ShowStartsTheOpenerWithThePathAndDoesNotWait)
{
    test::TempFolder folder;
    const QString opener = folder.file(QStringLiteral("opener.sh"));
    // The opener records its argument, then keeps running after showWorkbook returned (its
    // output closed, so that no test runner waits for it).
    folder.writeBytes(QStringLiteral("opener.sh"),
                      QByteArray("#!/bin/sh\nexec >/dev/null 2>&1\n"
                                 "printf '%s' \"$1\" > \"$(dirname \"$0\")/arg.tmp\"\n"
                                 "mv \"$(dirname \"$0\")/arg.tmp\" \"$(dirname \"$0\")/arg\"\nsleep 5\n"));
    QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setWorkbookOpener(opener);
    const QString book = folder.file(QStringLiteral("経済指標.xls"));
    folder.writeBytes(QStringLiteral("経済指標.xls"), "x");
    QString error;
    EXPECT_TRUE(showWorkbook(book, &error)) << error.toStdString();
    ASSERT_TRUE(waitForFile(folder.file(QStringLiteral("arg")), 10000));
    EXPECT_EQ(QString::fromUtf8(folder.readBytes(QStringLiteral("arg"))), book);

    setWorkbookOpener(folder.file(QStringLiteral("no-such-opener")));
    EXPECT_FALSE(showWorkbook(book, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no-such-opener")));
    setWorkbookOpener({});
}

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
