#include "displaysettings.h"

#include "log.h"
#include "profile.h"
#include "valueforms.h"

namespace corvane {

namespace {

const QString kForm = QStringLiteral("表示フォーム");
const QString kSound = QStringLiteral("サウンド");

QString orDefault(const QString& value, const QString& fallback)
{
    return value.isEmpty() ? fallback : value;
}

} // namespace

int DisplaySettings::advance() const
{
    const auto minutes = parseWhole16(advanceMinutes);
    return minutes ? *minutes : 0;
}

DisplaySettings readDisplaySettings(const QString& settingsPath,
                                    const std::function<void()>& expandAbbreviations)
{
    auto read = [&](const QString& section, const QString& key) {
        return profile::readString(settingsPath, section, key);
    };
    DisplaySettings s;
    s.displaySeconds = read(QStringLiteral("表示"), QStringLiteral("時間"));
    s.advanceMinutes = orDefault(read(QStringLiteral("事前表示"), QStringLiteral("時間")),
                                 QStringLiteral("0"));
    if (!parseWhole16(s.advanceMinutes))
        logLine(QStringLiteral("事前表示/時間 の値 \"%1\" は数値として使えません。0 分を使います")
                    .arg(s.advanceMinutes));

    if (expandAbbreviations)
        expandAbbreviations();

    s.colour = orDefault(read(kForm, QStringLiteral("色")),
                         QString::number(ColourValue::system(kButtonFaceIndex).raw));
    s.top = orDefault(read(kForm, QStringLiteral("TOP")), QStringLiteral("0"));
    s.left = orDefault(read(kForm, QStringLiteral("LEFT")), QStringLiteral("0"));
    s.height = orDefault(read(kForm, QStringLiteral("HEIGHT")), QStringLiteral("1455"));
    s.width = orDefault(read(kForm, QStringLiteral("WIDTH")), QStringLiteral("2970"));
    s.fontName = read(kForm, QStringLiteral("FNAME"));
    s.fontSize = read(kForm, QStringLiteral("FSIZE"));
    s.bold = read(kForm, QStringLiteral("FBOLD"));
    s.italic = read(kForm, QStringLiteral("FITAL"));
    s.underline = read(kForm, QStringLiteral("FUNDE"));
    s.strikeout = read(kForm, QStringLiteral("FSTRI"));
    s.textColour = read(kForm, QStringLiteral("FCOLO"));

    s.sound = read(kSound, QStringLiteral("音"));
    s.soundPath = read(kSound, QStringLiteral("音パス"));
    s.soundRepeat = read(kSound, QStringLiteral("音回数"));
    s.speech = read(kSound, QStringLiteral("音声"));
    s.speechTextPath = read(kSound, QStringLiteral("音声TXT"));
    for (int i = 0; i < int(s.speechCommands.size()); ++i)
        s.speechCommands[i] = read(kSound, QStringLiteral("音声SH%1").arg(i));
    return s;
}

} // namespace corvane
