#include "log.h"

#include "statefolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

struct LogFile {
    QString path;
    bool failureReported = false;
};

LogFile& logFile()
{
    static LogFile file;
    return file;
}

// False with the reason when the line could not be appended.
bool appendToFile(const QString& path, const QByteArray& line, QString* reason)
{
    if (!makePrivateFolders(QFileInfo(path).path())) {
        *reason = QStringLiteral("フォルダー %1 を作れません").arg(QDir::toNativeSeparators(QFileInfo(path).path()));
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    // The size of what lies at the path itself: a link's target is none of the log's business.
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0 && st.st_size + line.size() > kLogFileLimit)
        std::rename(name.constData(), (name + ".1").constData());
    // A link placed at the log's path would send the lines, and the rotation's truncation, to
    // whatever file it points at: such a path is refused instead of followed.
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // One write of a line of at most 4 KiB: it is appended whole or not at all but on a full disk.
    const bool written = ::write(fd, line.constData(), size_t(line.size())) == line.size();
    if (!written)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return written;
}

void writeToStderr(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

// The stamped line, cut to kLogLineLimit bytes with its newline.
QByteArray logLineBytes(const QString& text)
{
    QByteArray line = (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss ")) + text).toUtf8();
    if (line.size() + 1 > kLogLineLimit) {
        // One event is one readable line; a neighbour's endless output must not fill the file.
        const QByteArray mark = QStringLiteral("…").toUtf8();
        qsizetype end = kLogLineLimit - 1 - mark.size();
        // Back to the first byte of a character (UTF-8 continuation bytes are 10xxxxxx); the
        // line begins with the ASCII time stamp, so this stops there at the latest.
        while ((uchar(line.at(end)) & 0xC0) == 0x80)
            --end;
        line.truncate(end);
        line += mark;
    }
    return line + '\n';
}

} // namespace

void logLine(const QString& text)
{
    const QByteArray line = logLineBytes(text);
    writeToStderr(line);
    LogFile& file = logFile();
    if (file.path.isEmpty())
        return;
    QString reason;
    if (appendToFile(file.path, line, &reason) || file.failureReported)
        return;
    // Said once, so that a log that cannot be written is not lost in silence, nor repeated with
    // every line that follows on stderr.
    file.failureReported = true;
    writeToStderr(
        logLineBytes(QStringLiteral("ログファイル %1 に書き込めません（%2）。ログは標準エラー出力にだけ出します")
                         .arg(QDir::toNativeSeparators(file.path), reason)));
}

void logAlsoToFile(const QString& path) { logFile() = {path}; }

QString runnerLogPath() { return runnerStateFolder() + QStringLiteral("/corvane_110.log"); }

} // namespace corvane
