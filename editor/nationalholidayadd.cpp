#include "nationalholidayadd.h"

#include <QDate>
#include <QList>

#include "clock.h"
#include "generalsettings.h"
#include "nationalholidays.h"
#include "valueforms.h"

namespace corvane::editor {

NationalHolidayAddition addNationalHolidays(const QStringList& items)
{
    const QDate today = Clock::today();
    NationalHolidayAddition result{RebuildHolidayList(items), {}};
    // Compared as dates: a hand-edited file may spell a listed date with leading zeros.
    QList<QDate> listed;
    for (const QString& item : result.list) {
        if (const auto date = parseDate(item))
            listed.append(*date);
    }
    int left = 0;
    for (const int year : {today.year(), today.year() + 1}) {
        for (const NationalHoliday& holiday : nationalHolidays(year)) {
            if (holiday.date < today || listed.contains(holiday.date))
                continue;
            if (result.list.size() >= kHolidayListLimit) {
                ++left;
                continue;
            }
            result.list.append(formatDate(holiday.date));
            listed.append(holiday.date);
        }
    }
    if (left > 0)
        result.message = QStringLiteral("祝日は%1日まで登録できます。国民の祝日のうち%2日は追加できませんでした")
                             .arg(kHolidayListLimit)
                             .arg(left);
    return result;
}

} // namespace corvane::editor
