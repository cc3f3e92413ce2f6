// The suite's three writers of the settings file, each as a real process, for the race tests:
//
//   settings_writer quick FILE COUNT TAG    COUNT quick adds ("TAG-i"), like the controller
//   settings_writer editor FILE COUNT TAG   COUNT editor saves, each adding dated entry
//                                           "TAG-i" (a new session every fifth save)
//   settings_writer runner FILE COUNT [watch | every MS]
//                                           COUNT runner starts: day lists built and written
//                                           (with "every", one start each MS milliseconds)
//   settings_writer handedit FILE COUNT     COUNT in-place rewrites of the file as it was at
//                                           the start, as a text editor saves (truncate, write)
//   settings_writer usersave FILE COUNT inplace|rename MS
//                                           COUNT saves of the file as it was at the start plus
//                                           "保存"/"回"=i, as a text editor saves (in place, or
//                                           a new file renamed over it), one each MS
//                                           milliseconds; prints "lost" for each save that the
//                                           file no longer held when the next one was due
//   settings_writer dump FILE               every dated entry's text, one per line
//   settings_writer saved FILE              the number of the last save ("保存"/"回")
//
// Confirmed entries (the write was reported as done) are printed on stdout, one per line.
// With "watch" the runner prints "truncated" when a day-list write rested on a half-written
// file (one without the "内容" key "9-49" that the hand-edited file ends with).
#include "clock.h"
#include "daycategory.h"
#include "dayschedule.h"
#include "entrystore.h"
#include "profile.h"
#include "profilefile.h"
#include "quickentry.h"
#include "textcodec.h"
#include "valueforms.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace corvane;

namespace {

void confirm(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

int quickAdds(const QString& file, int count, const QString& tag)
{
    for (int i = 0; i < count; ++i) {
        const QString text = QStringLiteral("%1-%2").arg(tag).arg(i);
        const controller::QuickEntry entry{i % 2 ? controller::QuickDay::Tomorrow : controller::QuickDay::Today,
                                           QStringLiteral("%1:%2").arg(10 + i % 9).arg(i % 60, 2, 10, QLatin1Char('0')),
                                           text};
        if (controller::RegisterQuickEntry(file, entry).ok)
            confirm(text);
    }
    return 0;
}

int editorSaves(const QString& file, int count, const QString& tag)
{
    editor::EntryStore store;
    for (int i = 0; i < count; ++i) {
        if (i % 5 == 0)
            store.LoadEntries(file);
        int slot = 0;
        while (slot < kEntriesPerCategory && !store.entryTime(Dated, slot).isEmpty())
            ++slot;
        if (slot == kEntriesPerCategory)
            return 0;
        const QString text = QStringLiteral("%1-%2").arg(tag).arg(i);
        store.setEntryDate(Dated, slot, formatDate(Clock::today().addDays(1)));
        store.setEntryTime(Dated, slot, QStringLiteral("%1:30").arg(8 + i % 10));
        store.setEntryText(Dated, slot, text);
        // A weekday entry changes too, as a user's session would.
        store.setEntryTime(Monday, 0, QStringLiteral("9:%1").arg(i % 60, 2, 10, QLatin1Char('0')));
        store.setEntryText(Monday, 0, QStringLiteral("週次"));
        if (store.SaveEntries(file).ok()) {
            confirm(text);
        } else {
            store.setEntryDate(Dated, slot, {});
            store.setEntryTime(Dated, slot, {});
            store.setEntryText(Dated, slot, {});
        }
    }
    return 0;
}

int runnerStarts(const QString& file, int count, bool watch, int everyMs)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        if (everyMs > 0)
            QThread::msleep(ulong(std::max<qint64>(0, qint64(i) * everyMs - clock.elapsed())));
        DaySchedule schedule;
        const ProfileTransaction snapshot(file);
        schedule.LoadHolidays(snapshot);
        schedule.BuildDaySchedule(snapshot, QString());
        // A file with day lists was written by the runner; the hand editor's file has none. Day
        // lists without the user's last key mean the write rested on a half-written read.
        if (!watch)
            continue;
        const ProfileTransaction after(file);
        if (!after.readSection(QStringLiteral("本日の予定")).isEmpty()
            && after.readString(QStringLiteral("内容"), QStringLiteral("9-49")).isEmpty())
            confirm(QStringLiteral("truncated"));
    }
    return 0;
}

int handEdits(const QString& file, int count)
{
    QByteArray content;
    readProfileBytes(file, &content);
    const QByteArray name = QFile::encodeName(file);
    for (int i = 0; i < count; ++i) {
        const int fd = ::open(name.constData(), O_WRONLY | O_TRUNC | O_CREAT, 0644);
        if (fd < 0)
            return 1;
        // Written in pieces, as an editor's buffered save may be.
        const qsizetype half = content.size() / 2;
        bool ok = ::write(fd, content.constData(), size_t(half)) == half;
        QThread::usleep(200);
        ok = ok && ::write(fd, content.constData() + half, size_t(content.size() - half)) == content.size() - half;
        ::close(fd);
        if (!ok)
            return 1;
        QThread::usleep(500);
    }
    return 0;
}

// Writes bytes as a text editor saves: in place (truncate, then the text in two pieces), or
// into a new file renamed over the old one.
bool saveAsEditor(const QString& file, const QByteArray& bytes, bool inPlace)
{
    const QByteArray name = QFile::encodeName(file);
    const QByteArray target = inPlace ? name : name + ".editor-save";
    const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CREAT, 0644);
    if (fd < 0)
        return false;
    const qsizetype half = bytes.size() / 2;
    bool ok = ::write(fd, bytes.constData(), size_t(half)) == half;
    ok = ok && ::write(fd, bytes.constData() + half, size_t(bytes.size() - half)) == bytes.size() - half;
    ok = ::close(fd) == 0 && ok;
    return ok && (inPlace || ::rename(target.constData(), name.constData()) == 0);
}

int userSaves(const QString& file, int count, bool inPlace, int everyMs)
{
    QByteArray content;
    readProfileBytes(file, &content);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        QThread::msleep(ulong(std::max<qint64>(0, qint64(i) * everyMs - clock.elapsed())));
        if (i > 0 && profile::readString(file, QStringLiteral("保存"), QStringLiteral("回")) != QString::number(i - 1))
            confirm(QStringLiteral("lost"));
        if (!saveAsEditor(file, content + toCp932(QStringLiteral("[保存]\r\n回=%1\r\n").arg(i)), inPlace))
            return 1;
    }
    return 0;
}

int dump(const QString& file)
{
    const ProfileTransaction tx(file);
    for (const ProfileLine& line : tx.readSection(QStringLiteral("指定日")))
        if (line.key.startsWith(QStringLiteral("2-")) && !line.value.isEmpty())
            confirm(tx.readString(QStringLiteral("内容"), line.key));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString role = args.value(1), file = args.value(2);
    const int count = args.value(3).toInt();
    if (role == u"quick" && args.size() == 5)
        return quickAdds(file, count, args[4]);
    if (role == u"editor" && args.size() == 5)
        return editorSaves(file, count, args[4]);
    if (role == u"runner" && (args.size() == 4 || args.size() == 5))
        return runnerStarts(file, count, args.value(4) == u"watch", 0);
    if (role == u"runner" && args.size() == 6 && args[4] == u"every")
        return runnerStarts(file, count, false, args[5].toInt());
    if (role == u"usersave" && args.size() == 6 && (args[4] == u"inplace" || args[4] == u"rename"))
        return userSaves(file, count, args[4] == u"inplace", args[5].toInt());
    if (role == u"handedit" && args.size() == 4)
        return handEdits(file, count);
    if (role == u"dump" && args.size() == 3)
        return dump(file);
    if (role == u"saved" && args.size() == 3) {
        confirm(profile::readString(file, QStringLiteral("保存"), QStringLiteral("回")));
        return 0;
    }
    std::fprintf(stderr, "usage: see the comment at the top of settings_writer.cpp\n");
    return 2;
}
