// The parts of the day schedule that read and write the settings file. All reads of one step
// come from one snapshot of the file; the derived lists are replaced in one atomic write, so
// the controller's viewer never sees half a list.
#include "dayschedule.h"

#include "clock.h"
#include "daycategory.h"
#include "indicatorworkbook.h"
#include "log.h"
#include "profile.h"
#include "settingskeys.h"
#include "settingspath.h"
#include "valueforms.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace corvane {

namespace {

// One stderr line per malformed key, however often a walk passes it.
class SkipLog {
public:
    void skip(const QString& section, const QString& key, const QString& value, const char* what)
    {
        const QString id = section + QLatin1Char('/') + key;
        if (m_seen.contains(id))
            return;
        m_seen.insert(id);
        logLine(QStringLiteral("設定ファイル: %1 の値 \"%2\" は%3として読めないため無視します")
                    .arg(id, value, QString::fromUtf8(what)));
    }

private:
    QSet<QString> m_seen;
};

// One section of the snapshot, indexed once: the walks make about a thousand reads, and a
// lookup each through the whole file would dominate start-up. Reads give what readString gives.
class SectionIndex {
public:
    SectionIndex(const ProfileTransaction& file, const QString& section)
    {
        const QList<ProfileLine> lines = file.readSection(section);
        m_values.reserve(lines.size());
        for (const ProfileLine& line : lines)
            m_values.insert(foldName(line.key), line.value); // the first of duplicates wins
    }
    QString read(const QString& key) const { return cutToReadBuffer(m_values.value(foldName(key))); }

private:
    static QString foldName(const QString& name)
    {
        QString folded = name;
        for (QChar& c : folded) {
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + (u'a' - u'A'));
        }
        return folded;
    }
    QHash<QString, QString> m_values;
};

class EntryReader {
public:
    EntryReader(const ProfileTransaction& file, SkipLog& skips)
        : m_times(file, QString::fromUtf16(kTimeSection)), m_texts(file, QString::fromUtf16(kTextSection)),
          m_dates(file, QString::fromUtf16(kDateSection)), m_skips(skips)
    {
    }

    // Walks category-0 … category-49 up to the first empty time. A time that does not parse
    // is skipped; the walk goes on (the family has no gap there).
    void walk(int category, DayList& into) const
    {
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            const QString key = entryKey(category, n);
            const QString time = m_times.read(key);
            if (time.isEmpty())
                break;
            append(key, time, into);
        }
    }

    // Walks every dated slot by "指定日", into whichever of the two days each one matches. A
    // slot without a date (a hand edit, an older save) is passed over, not taken as the end:
    // the entries after it are still announced.
    void walkDated(const QDate& day0, const QDate& day1, DayList& list0, DayList& list1) const
    {
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            const QString key = entryKey(Dated, n);
            const QString text = m_dates.read(key);
            if (text.isEmpty())
                continue;
            const auto date = parseDate(text);
            if (!date) {
                m_skips.skip(QString::fromUtf16(kDateSection), key, text, "日付");
                continue;
            }
            if (*date != day0 && *date != day1)
                continue;
            append(key, m_times.read(key), *date == day0 ? list0 : list1);
        }
    }

private:
    void append(const QString& key, const QString& time, DayList& into) const
    {
        const auto at = parseTime(time);
        if (!at) {
            m_skips.skip(QString::fromUtf16(kTimeSection), key, time, "時刻");
            return;
        }
        into.append({time, *at, m_texts.read(key), false});
    }

    SectionIndex m_times;
    SectionIndex m_texts;
    SectionIndex m_dates;
    SkipLog& m_skips;
};

bool isWorkingDay(int dayClass) { return dayClass >= 0 && dayClass <= 4; }

// The length of the stored family (up to its first empty time), and whether it already holds
// exactly list.
qsizetype storedListLength(const ProfileTransaction& file, const QString& section, const DayList& list, bool* same)
{
    const SectionIndex old(file, section);
    qsizetype oldCount = 0;
    *same = true;
    for (;; ++oldCount) {
        const QString time = old.read(dayListTimeKey(oldCount));
        if (time.isEmpty())
            break;
        if (oldCount >= list.size() || time != list[oldCount].time
            || old.read(dayListTextKey(oldCount)) != list[oldCount].text)
            *same = false;
    }
    *same = *same && oldCount == list.size();
    return oldCount;
}

// Deletes the old family and writes the new list from 0. A list that is already there as it
// should be is left alone, so a restart on the same day does not rewrite the file.
void rewriteDerivedList(ProfileTransaction& file, const QString& section, const DayList& list)
{
    bool same = true;
    const qsizetype oldCount = storedListLength(file, section, list, &same);
    if (same)
        return;
    for (qsizetype n = 0; n < oldCount; ++n) {
        file.deleteKey(section, dayListTimeKey(n));
        file.deleteKey(section, dayListTextKey(n));
    }
    for (qsizetype n = 0; n < list.size(); ++n) {
        file.writeString(section, dayListTimeKey(n), list[n].time);
        file.writeString(section, dayListTextKey(n), list[n].text);
    }
}

} // namespace

void DaySchedule::LoadHolidays(const QString& settingsPath) { LoadHolidays(ProfileTransaction(settingsPath)); }

void DaySchedule::LoadHolidays(const ProfileTransaction& file) { classifyDays(file, Clock::today()); }

void DaySchedule::classifyDays(const ProfileTransaction& file, const QDate& day0)
{
    const QDate day1 = day0.addDays(1);
    m_dayClass = {weekdayClass(day0), weekdayClass(day1)};

    const SectionIndex holidays{file, keyName(kHolidaySection)};
    SkipLog skips;
    for (int n = 1;; ++n) {
        const QString key = holidayKey(n);
        const QString text = holidays.read(key);
        if (text.isEmpty())
            break;
        const auto date = parseDate(text);
        if (!date) {
            skips.skip(keyName(kHolidaySection), key, text, "日付");
            continue;
        }
        if (*date == day0)
            m_dayClass[0] = kHolidayClass;
        if (*date == day1)
            m_dayClass[1] = kHolidayClass;
    }
    m_buildDate = day0;
}

void DaySchedule::BuildDaySchedule(const QString& settingsPath, const QString& economicFetch)
{
    BuildDaySchedule(ProfileTransaction(settingsPath), economicFetch);
}

void DaySchedule::BuildDaySchedule(const ProfileTransaction& file, const QString& economicFetch)
{
    buildLists(file, economicFetch);
    writeDerivedLists(file, economicFetch);
}

void DaySchedule::buildLists(const ProfileTransaction& file, const QString& economicFetch)
{
    SkipLog skips;
    const EntryReader entries(file, skips);

    const SectionIndex abbreviations(file, QString::fromUtf16(kAbbreviationSection));
    for (int k = 0; k < kAbbreviationSlots; ++k) {
        m_abbreviations.shortForms[size_t(k)] = abbreviations.read(abbreviationKey(k));
        m_abbreviations.fullTexts[size_t(k)] = abbreviations.read(abbreviationTextKey(k));
    }

    const QDate day0 = m_buildDate;
    const QDate day1 = m_buildDate.addDays(1);
    DayList* lists[2] = {&m_today, &m_tomorrow};
    m_today.clear();
    m_tomorrow.clear();

    // Every-day entries go into both lists from one walk.
    {
        DayList everyDay;
        entries.walk(EveryDay, everyDay);
        m_today = everyDay;
        m_tomorrow = everyDay;
    }
    for (int day = 0; day < 2; ++day) {
        if (isWorkingDay(m_dayClass[size_t(day)]))
            entries.walk(Weekdays, *lists[day]);
    }
    entries.walkDated(day0, day1, m_today, m_tomorrow);
    for (int day = 0; day < 2; ++day) {
        const int dayClass = m_dayClass[size_t(day)];
        if (dayClass >= 0 && dayClass <= 6)
            entries.walk(Monday + dayClass, *lists[day]);
    }
    for (int day = 0; day < 2; ++day) {
        if (m_dayClass[size_t(day)] == kHolidayClass)
            entries.walk(Holiday, *lists[day]);
    }

    if (economicFetch == QLatin1String("1"))
        appendIndicatorRows(file.path());

    sortByTime(m_today);
    sortByTime(m_tomorrow);
}

void DaySchedule::writeDerivedLists(const ProfileTransaction& file, const QString& economicFetch)
{
    const QString todaySection = QString::fromUtf16(kTodayListSection);
    const QString tomorrowSection = QString::fromUtf16(kTomorrowListSection);
    bool sameToday = true, sameTomorrow = true;
    storedListLength(file, todaySection, m_today, &sameToday);
    storedListLength(file, tomorrowSection, m_tomorrow, &sameTomorrow);
    if (sameToday && sameTomorrow)
        return; // nothing to write: the file is not even locked
    QString error;
    const bool written = updateProfile(
        file.path(),
        [&](ProfileTransaction& current) {
            if (!current.readsSameFileAs(file)) {
                logLine(QStringLiteral("設定ファイルが読み込みの後に変更されたため、予定を読み直してから書き込みます"));
                classifyDays(current, m_buildDate);
                buildLists(current, economicFetch);
            }
            rewriteDerivedList(current, todaySection, m_today);
            rewriteDerivedList(current, tomorrowSection, m_tomorrow);
            return true;
        },
        &error);
    if (!written)
        logLine(QStringLiteral("本日と翌日の予定を設定ファイルに書き込めませんでした: %1").arg(error));
}

void DaySchedule::appendIndicatorRows(const QString& settingsPath)
{
    const QString workbook = QFileInfo(settingsPath).dir().filePath(QString::fromUtf16(kIndicatorWorkbookName));
    if (!QFileInfo::exists(workbook))
        return;
    QString error;
    const bool readBefore = m_indicatorRead && m_indicatorRead->path == workbook;
    if (readBefore)
        error = m_indicatorRead->error;
    const QList<IndicatorRow> rows = readBefore ? m_indicatorRead->rows : ReadIndicatorWorkbook(workbook, &error);
    if (!error.isEmpty())
        logLine(QStringLiteral("経済指標ワークブック %1: %2").arg(workbook, error));
    const QDate day0 = m_buildDate;
    const QDate day1 = m_buildDate.addDays(1);
    int taken[2] = {0, 0};
    int dropped[2] = {0, 0};
    for (const IndicatorRow& row : rows) {
        if (row.date != day0 && row.date != day1)
            continue;
        if (!row.time.isValid()) {
            logLine(QStringLiteral("経済指標ワークブック %1: %3 の「%2」に時刻がないため無視します")
                        .arg(workbook, row.name, formatDate(row.date)));
            continue;
        }
        const int day = row.date == day0 ? 0 : 1;
        if (taken[day] >= kMaxIndicatorRowsPerDay) {
            ++dropped[day];
            continue;
        }
        ++taken[day];
        const QTime at(row.time.hour(), row.time.minute());
        (row.date == day0 ? m_today : m_tomorrow).append({formatTime(at), at, row.name, false});
    }
    for (int day = 0; day < 2; ++day) {
        if (dropped[day] > 0)
            logLine(QStringLiteral("経済指標ワークブック %1: %2 の公表予定は %3件までとし、残りの %4件は使いません")
                        .arg(workbook, formatDate(day == 0 ? day0 : day1))
                        .arg(kMaxIndicatorRowsPerDay)
                        .arg(dropped[day]));
    }
}

} // namespace corvane
