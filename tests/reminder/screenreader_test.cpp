// What a screen reader hears of a reminder, on a real accessibility bus (with_screen_reader.sh):
// the window shows as an alert named by its lines, and a newer message in the window already
// shown is told by its new name.
#include <gtest/gtest.h>

#include "emptyfilesettings.h"
#include "fakeannouncementtime.h"
#include "reminderannouncer.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QTest>

using namespace corvane;

namespace {

QString recorded()
{
    QFile file(qEnvironmentVariable("CORVANE_SCREEN_READER_EVENTS"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Whether the listener has recorded a line with all of `parts`, tab-separated in this order.
bool heard(const QStringList& parts)
{
    const QStringList lines = recorded().split(QLatin1Char('\n'));
    for (const QString& line : lines)
        if (line.startsWith(parts.join(QLatin1Char('\t'))))
            return true;
    return false;
}

} // namespace

TEST(ScreenReader, HearsTheReminderAsAnAlertWithItsLines)
{
    if (!qEnvironmentVariableIsSet("CORVANE_SCREEN_READER_EVENTS"))
        GTEST_SKIP() << "runs on an accessibility bus (reminder_screen_reader_test)";
    // The bridge to the bus comes up after the application has started.
    ASSERT_TRUE(QTest::qWaitFor([] { return QAccessible::isActive(); }, 20000));
    DisplaySettings s = corvane::test::emptyFileSettings();
    s.displaySeconds = QStringLiteral("60");
    corvane::test::FakeAnnouncementTime time(QDateTime(QDate(2026, 12, 7), QTime(8, 55)));
    ReminderAnnouncer announcer(s, &time);

    announcer.announce(QStringLiteral("9時の会議\n来客\n"));
    EXPECT_TRUE(QTest::qWaitFor(
        [] {
            return heard({QStringLiteral("object:state-changed:showing"), QStringLiteral("alert"),
                          QStringLiteral("9時の会議、来客"), QStringLiteral("1")});
        },
        20000))
        << recorded().toStdString();

    announcer.announce(QStringLiteral("報告\n"));
    EXPECT_TRUE(QTest::qWaitFor(
        [] {
            return heard({QStringLiteral("object:property-change:accessible-name"), QStringLiteral("alert"),
                          QStringLiteral("報告\t")});
        },
        20000))
        << recorded().toStdString();
}
