#pragma once
// What a process has held: the tests that bound memory read it from /proc.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace corvane::test {

inline constexpr qint64 kMiB = 1024 * 1024;

// The largest resident size the process (this one when pid is 0) has had; -1 when unknown.
inline qint64 peakResidentBytes(qint64 pid = 0)
{
    QFile status(pid ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// Starts the peak over from the present resident size, so that what a step takes is not hidden
// under what an earlier test took. False when the kernel refused.
inline bool resetPeakResidentBytes()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

} // namespace corvane::test
