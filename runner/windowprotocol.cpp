#include "windowprotocol.h"

#include <QStringList>
#include <algorithm>

namespace corvane {

QString escapeProtocolText(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

QString unescapeProtocolText(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 == text.size()) {
            plain += c;
            continue;
        }
        const QChar next = text[++i];
        if (next == u't')
            plain += u'\t';
        else if (next == u'n')
            plain += u'\n';
        else if (next == u'r')
            plain += u'\r';
        else
            plain += next;
    }
    return plain;
}

namespace {

// The look's fields by name, in the order a look line lists them.
struct LookField {
    const char* name;
    int32_t ReminderLook::*number;
    bool ReminderLook::*flag;
};

constexpr LookField kLookNumbers[] = {
    {"top", &ReminderLook::top, nullptr},
    {"left", &ReminderLook::left, nullptr},
    {"height", &ReminderLook::height, nullptr},
    {"width", &ReminderLook::width, nullptr},
    {"labelWidth", &ReminderLook::labelWidth, nullptr},
    {"labelHeight", &ReminderLook::labelHeight, nullptr},
    {"bold", nullptr, &ReminderLook::bold},
    {"italic", nullptr, &ReminderLook::italic},
    {"underline", nullptr, &ReminderLook::underline},
    {"strikeout", nullptr, &ReminderLook::strikeout},
};

QString field(const char* name, const QString& value) { return QString::fromLatin1(name) + u'=' + value; }

} // namespace

QByteArray lookLine(const WindowProgramLook& wanted)
{
    const ReminderLook& look = wanted.look;
    QStringList fields;
    for (const LookField& f : kLookNumbers)
        fields << field(f.name, QString::number(f.number ? look.*f.number : int(look.*f.flag)));
    fields << field("background", QString::number(look.background.raw)) << field("text", QString::number(look.text.raw))
           << field("fontPoints", QString::number(look.fontPoints))
           << field("fontName", escapeProtocolText(look.fontName))
           << field("sound", escapeProtocolText(wanted.soundPath));
    return "look " + fields.join(u'\t').toUtf8() + '\n';
}

QByteArray showLine(const QString& caption, const QString& message)
{
    return "show " + (escapeProtocolText(caption) + u'\t' + escapeProtocolText(message)).toUtf8() + '\n';
}

ProtocolLine splitProtocolLine(const QByteArray& line)
{
    QByteArray bare = line;
    if (bare.endsWith('\n'))
        bare.chop(1);
    const qsizetype space = bare.indexOf(' ');
    if (space < 0)
        return {bare, {}};
    return {bare.left(space), QString::fromUtf8(bare.mid(space + 1))};
}

std::optional<WindowProgramLook> parseLook(const QString& argument)
{
    WindowProgramLook wanted;
    ReminderLook& look = wanted.look;
    for (const QString& item : argument.split(u'\t', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        if (equals < 0)
            return std::nullopt;
        const QString name = item.left(equals);
        const QString value = item.mid(equals + 1);
        if (name == u"fontName") {
            look.fontName = unescapeProtocolText(value);
            continue;
        }
        if (name == u"sound") {
            wanted.soundPath = unescapeProtocolText(value);
            continue;
        }
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok)
            return std::nullopt;
        if (name == u"background") {
            look.background.raw = number;
        } else if (name == u"text") {
            look.text.raw = number;
        } else if (name == u"fontPoints") {
            look.fontPoints = number;
        } else {
            const auto known = std::find_if(std::begin(kLookNumbers), std::end(kLookNumbers),
                                            [&](const LookField& f) { return name == QLatin1String(f.name); });
            if (known == std::end(kLookNumbers))
                return std::nullopt;
            if (known->number)
                look.*known->number = number;
            else
                look.*known->flag = number != 0;
        }
    }
    return wanted;
}

std::optional<ShownMessage> parseShow(const QString& argument)
{
    const qsizetype tab = argument.indexOf(u'\t');
    if (tab < 0)
        return std::nullopt;
    return ShownMessage{unescapeProtocolText(argument.left(tab)), unescapeProtocolText(argument.mid(tab + 1))};
}

} // namespace corvane
