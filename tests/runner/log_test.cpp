// The runner's log on real files: lines stay readable and bounded, and a log file that cannot be
// written neither sends the lines elsewhere nor loses them in silence.
#include "log.h"
#include "stderrcapture.h"
#include "tempfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <sys/resource.h>

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
    // 4 KiB with the time stamp and the newline.
    constexpr qsizetype limit = 4096;
    const QString fitting(limit - 1 - kStampBytes, u'a');
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
            EXPECT_EQ(written.size(), limit);
            continue;
        }
        EXPECT_TRUE(line.endsWith(u'…'));
        EXPECT_TRUE(row.text.startsWith(line.mid(kStampBytes).chopped(1)));
        // As much as fits: no more than one character short of the limit.
        EXPECT_LE(written.size(), limit);
        EXPECT_GT(written.size(), limit - row.text.left(1).toUtf8().size());
    }
}

TEST(RunnerLog, TheFileIsRotatedOnlyWhenTheLineWouldTakeItPastTheLimit)
{
    const qsizetype lineBytes = kStampBytes + 2; // "x" and the newline
    for (const qsizetype over : {0, 1}) {
        SCOPED_TRACE(over);
        TempFolder folder;
        const QString path = folder.file(QStringLiteral("corvane_110.log"));
        const QByteArray earlier(kLogFileLimit - lineBytes + over, 'e');
        folder.writeBytes(QStringLiteral("corvane_110.log"), earlier);
        {
            LogFileScope scope(path);
            logLine(QStringLiteral("x"));
        }
        EXPECT_EQ(QFileInfo(path).size(), over ? lineBytes : kLogFileLimit);
        EXPECT_EQ(readFileBytes(path + QStringLiteral(".1")), over ? earlier : QByteArray());
    }
}

namespace {

// Lowers this process's largest file size while the object lives; a write past it fails
// (EFBIG) as on a full disk instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_original);
        rlimit lowered = m_original;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_original);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_original{};
    void (*m_oldHandler)(int) = nullptr;
};

int openDescriptors() { return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files).size()); }

} // namespace

TEST(RunnerLog, ALogFileThatCannotBeWrittenIsSaidOnceAndStderrKeepsEveryLine)
{
    constexpr rlim_t kFull = 512 * 1024;
    const struct {
        const char* what;
        // Prepares the folder; returns the log's path.
        QString (*prepare)(const TempFolder& folder);
        QString reason; // empty: the file is written
        bool full = false;
    } rows[] = {
        {"a writable state folder",
         [](const TempFolder& folder) { return folder.file(QStringLiteral("state/corvane/corvane_110.log")); },
         {}},
        {"a symbolic link at the log's path",
         [](const TempFolder& folder) {
             folder.writeBytes(QStringLiteral("other.txt"), "someone else's\n");
             const QString path = folder.file(QStringLiteral("corvane_110.log"));
             QFile::link(folder.file(QStringLiteral("other.txt")), path);
             return path;
         },
         QString::fromLocal8Bit(std::strerror(ELOOP))},
        {"a file where the state folder should be",
         [](const TempFolder& folder) {
             folder.writeBytes(QStringLiteral("state"), "");
             return folder.file(QStringLiteral("state/corvane/corvane_110.log"));
         },
         QStringLiteral("フォルダー")},
        {"a full disk",
         [](const TempFolder& folder) {
             folder.writeBytes(QStringLiteral("corvane_110.log"), QByteArray(kFull, 'e'));
             return folder.file(QStringLiteral("corvane_110.log"));
         },
         QString::fromLocal8Bit(std::strerror(EFBIG)), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        const QString path = row.prepare(folder);
        StderrCapture stderrLines;
        const int descriptors = openDescriptors();
        {
            LogFileScope scope(path);
            std::optional<FileSizeLimit> full;
            if (row.full)
                full.emplace(kFull);
            logLine(QStringLiteral("一行目"));
            logLine(QStringLiteral("二行目"));
        }
        EXPECT_EQ(openDescriptors(), descriptors) << "a descriptor left open";
        const QStringList lines = stderrLines.lines();
        EXPECT_EQ(lines.filter(QStringLiteral("一行目")).size(), 1) << lines.join(u'\n').toStdString();
        EXPECT_EQ(lines.filter(QStringLiteral("二行目")).size(), 1) << lines.join(u'\n').toStdString();
        const QStringList notices = lines.filter(QStringLiteral("に書き込めません"));
        EXPECT_EQ(notices.size(), row.reason.isEmpty() ? 0 : 1) << lines.join(u'\n').toStdString();
        if (row.reason.isEmpty()) {
            EXPECT_EQ(QString::fromUtf8(readFileBytes(path)).count(u'\n'), 2);
            EXPECT_EQ(QFileInfo(path).permissions() & 0x0077, QFileDevice::Permissions()) << "not private";
        } else {
            EXPECT_TRUE(notices.value(0).contains(path)) << notices.value(0).toStdString();
            EXPECT_TRUE(notices.value(0).contains(row.reason)) << notices.value(0).toStdString();
        }
        // Nothing reached the file a link points at.
        if (QFileInfo(path).isSymLink()) {
            EXPECT_EQ(folder.readBytes(QStringLiteral("other.txt")), "someone else's\n");
        }
    }
}
