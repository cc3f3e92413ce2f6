// The runner's log on real files: lines stay readable and bounded, and a log file that cannot be
// written neither sends the lines elsewhere nor loses them in silence.
#include "log.h"
#include "stderrcapture.h"
#include "tempfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// The length of "yyyy-MM-dd hh:mm:ss " in front of every line.
constexpr qsizetype kStampBytes = 20;

// Logs to `path` while the object lives.
class LogFileScope {
public:
    explicit LogFileScope(const QString& path) { logAlsoToFile(path); }
    ~LogFileScope() { logAlsoToFile({}); }
};

} // namespace

TEST(RunnerLog, ALongLineIsCutAtAWholeCharacterWithAMark)
{
    const QString fitting(kLogLineLimit - 1 - kStampBytes, u'a');
    const struct {
        const char* what;
        QString text;
        bool cut;
    } rows[] = {
        {"a line of exactly the limit", fitting, false},
        {"one byte more", fitting + u'b', true},
        // 3-byte characters: the limit falls inside one.
        {"Japanese text", QString(2000, u'あ'), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        const QString path = folder.file(QStringLiteral("corvane_110.log"));
        StderrCapture stderrLines;
        {
            LogFileScope scope(path);
            logLine(row.text);
        }
        const QByteArray written = folder.readBytes(QStringLiteral("corvane_110.log"));
        EXPECT_EQ(stderrLines.lines(), QStringList{QString::fromUtf8(written.chopped(1))});
        ASSERT_TRUE(written.endsWith('\n'));
        const QString line = QString::fromUtf8(written.chopped(1));
        EXPECT_EQ(line.toUtf8(), written.chopped(1)) << "not valid UTF-8";
        if (!row.cut) {
            EXPECT_EQ(line.mid(kStampBytes), row.text);
            EXPECT_EQ(written.size(), kLogLineLimit);
            continue;
        }
        EXPECT_TRUE(line.endsWith(u'…'));
        EXPECT_TRUE(row.text.startsWith(line.mid(kStampBytes).chopped(1)));
        // As much as fits: no more than one character short of the limit.
        EXPECT_LE(written.size(), kLogLineLimit);
        EXPECT_GT(written.size(), kLogLineLimit - row.text.left(1).toUtf8().size());
    }
}

TEST(RunnerLog, ALogFileThatCannotBeWrittenIsSaidOnceAndStderrKeepsEveryLine)
{
    const QString notice = QStringLiteral("に書き込めません");
    const struct {
        const char* what;
        // Prepares the folder; returns the log's path.
        QString (*prepare)(const TempFolder& folder);
        bool writable;
    } rows[] = {
        {"a writable state folder",
         [](const TempFolder& folder) { return folder.file(QStringLiteral("state/corvane/corvane_110.log")); }, true},
        {"a symbolic link at the log's path",
         [](const TempFolder& folder) {
             folder.writeBytes(QStringLiteral("other.txt"), "someone else's\n");
             const QString path = folder.file(QStringLiteral("corvane_110.log"));
             QFile::link(folder.file(QStringLiteral("other.txt")), path);
             return path;
         },
         false},
        {"a file where the state folder should be",
         [](const TempFolder& folder) {
             folder.writeBytes(QStringLiteral("state"), "");
             return folder.file(QStringLiteral("state/corvane/corvane_110.log"));
         },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        const QString path = row.prepare(folder);
        StderrCapture stderrLines;
        {
            LogFileScope scope(path);
            logLine(QStringLiteral("一行目"));
            logLine(QStringLiteral("二行目"));
        }
        const QStringList lines = stderrLines.lines();
        EXPECT_EQ(lines.filter(QStringLiteral("一行目")).size(), 1) << lines.join(u'\n').toStdString();
        EXPECT_EQ(lines.filter(QStringLiteral("二行目")).size(), 1) << lines.join(u'\n').toStdString();
        const QStringList notices = lines.filter(notice);
        EXPECT_EQ(notices.size(), row.writable ? 0 : 1) << lines.join(u'\n').toStdString();
        if (row.writable) {
            EXPECT_EQ(QString::fromUtf8(readFileBytes(path)).count(u'\n'), 2);
            EXPECT_EQ(QFileInfo(path).permissions() & 0x0077, QFileDevice::Permissions()) << "not private";
        } else {
            EXPECT_TRUE(notices.value(0).contains(path)) << notices.value(0).toStdString();
        }
        // Nothing reached the file a link points at.
        if (QFileInfo(path).isSymLink()) {
            EXPECT_EQ(folder.readBytes(QStringLiteral("other.txt")), "someone else's\n");
        }
    }
}
