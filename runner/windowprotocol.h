#pragma once
// The lines between the runner and its reminder window program, one command per line in UTF-8
// over the program's stdin and stdout. Texts inside a line have their backslashes, tabs and
// line breaks escaped, so a message of several lines travels as one line.
//
// Runner to program:
//   look <field>=<value>\t…   the window's look and the WAVE file, at the program's start
//   show <caption>\t<message> show the window (replacing what it shows)
//   play                      play the WAVE file from its beginning
//   close                     hide the window; the sound plays on to its end
//   (end of input)            end, once the sound has played to its end
// Program to runner:
//   ready                     the look is applied and the window prepared off screen
//   shown                     the window has painted the message on screen
//   closed                    the window is hidden
//   snooze <minutes>          the user asked to see the message again in that many minutes
//                             (the window is hidden and its sound stopped already)
//   dismissed                 the user closed the window from its menu (its sound stopped)
#include <QByteArray>
#include <QString>
#include <optional>

#include "reminderlook.h"

namespace corvane {

// The program's file name beside the runner's.
inline constexpr char kReminderWindowProgramName[] = "corvane_reminder";

QString escapeProtocolText(const QString& text);
QString unescapeProtocolText(const QString& text);

// What the window program needs of the settings: the look and the WAVE file ("" for none).
struct WindowProgramLook {
    ReminderLook look;
    QString soundPath;
    bool operator==(const WindowProgramLook&) const = default;
};

QByteArray lookLine(const WindowProgramLook& look);
QByteArray showLine(const QString& caption, const QString& message);

// One received line split into its command and the rest (without the separating space).
struct ProtocolLine {
    QByteArray command;
    QString argument;
};
ProtocolLine splitProtocolLine(const QByteArray& line);

// The look of a look line's argument; fields it lacks keep their defaults. None when a field
// is unknown or a number does not convert.
std::optional<WindowProgramLook> parseLook(const QString& argument);

struct ShownMessage {
    QString caption;
    QString message;
};
// None without the tab between caption and message.
std::optional<ShownMessage> parseShow(const QString& argument);

} // namespace corvane
