#include "announcedline.h"

#include "valueforms.h"

namespace corvane {

QString messageOf(const QList<AnnouncedLine>& lines)
{
    QString message;
    for (const AnnouncedLine& line : lines) {
        if (line.kind != AnnouncedLine::Kind::OnTime)
            message += formatTime(line.time) + QLatin1Char(' ');
        message += line.text + QLatin1Char('\n');
    }
    return message;
}

} // namespace corvane
