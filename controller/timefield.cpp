#include "timefield.h"

#include "valueforms.h"

namespace corvane::controller {

bool acceptTimeField(const QString& text, bool todaySelected, const QDateTime& now)
{
    if (text.isEmpty())
        return true;
    const std::optional<QTime> time = parseTime(text);
    if (!time)
        return false;
    if (!todaySelected)
        return true;
    const QTime current = now.time();
    const QTime currentSecond(current.hour(), current.minute(), current.second());
    return *time >= currentSecond;
}

} // namespace corvane::controller
