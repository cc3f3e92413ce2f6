#include "displaysettings.h"

#include "log.h"
#include "profile.h"
#include "settingskeys.h"
#include "valueforms.h"

#include <optional>

namespace corvane {

namespace {

const QString kForm = keyName(kDisplayFormSection);
const QString kSound = keyName(kSoundSection);
const QString kAdvance = keyName(kAdvanceSection);

std::optional<int> lateLimitFrom(const QString& text)
{
    const auto minutes = parseWhole16(text);
    if (!minutes || *minutes < 0)
        return std::nullopt;
    return *minutes;
}

QString orDefault(const QString& value, const QString& fallback) { return value.isEmpty() ? fallback : value; }

} // namespace

int DisplaySettings::advance() const
{
    const auto minutes = parseWhole16(advanceMinutes);
    return minutes ? *minutes : 0;
}

int DisplaySettings::lateLimit() const { return lateLimitFrom(lateLimitMinutes).value_or(kDefaultLateLimitMinutes); }

DisplaySettings readDisplaySettings(const QString& settingsPath, const std::function<void()>& expandAbbreviations)
{
    return readDisplaySettings(ProfileTransaction(settingsPath), expandAbbreviations);
}

DisplaySettings readDisplaySettings(const ProfileTransaction& file, const std::function<void()>& expandAbbreviations)
{
    auto read = [&](const QString& section, const QString& key) { return file.readString(section, key); };
    DisplaySettings s;
    s.displaySeconds = read(keyName(kDisplaySection), keyName(kDisplaySecondsKey));
    s.advanceMinutes = orDefault(read(kAdvance, QString::fromUtf16(kAdvanceKey)), QStringLiteral("0"));
    if (!parseWhole16(s.advanceMinutes))
        logLine(QStringLiteral("設定ファイル: 事前表示/時間 の値 \"%1\" は数値として読めないため 0 分とします")
                    .arg(s.advanceMinutes));
    s.lateLimitMinutes =
        orDefault(read(kAdvance, QString::fromUtf16(kLateLimitKey)), QString::number(kDefaultLateLimitMinutes));
    if (!lateLimitFrom(s.lateLimitMinutes))
        logLine(QStringLiteral("事前表示/遅延上限「%1」は0以上の整数ではないため、%2分とします")
                    .arg(s.lateLimitMinutes)
                    .arg(kDefaultLateLimitMinutes));

    if (expandAbbreviations)
        expandAbbreviations();

    s.colour = orDefault(read(kForm, keyName(kColourKey)), QString::number(ColourValue::system(kButtonFaceIndex).raw));
    s.top = orDefault(read(kForm, keyName(kTopKey)), QStringLiteral("0"));
    s.left = orDefault(read(kForm, keyName(kLeftKey)), QStringLiteral("0"));
    s.height = orDefault(read(kForm, keyName(kHeightKey)), QStringLiteral("1455"));
    s.width = orDefault(read(kForm, keyName(kWidthKey)), QStringLiteral("2970"));
    s.fontName = read(kForm, keyName(kFontNameKey));
    s.fontSize = read(kForm, keyName(kFontSizeKey));
    s.bold = read(kForm, keyName(kBoldKey));
    s.italic = read(kForm, keyName(kItalicKey));
    s.underline = read(kForm, keyName(kUnderlineKey));
    s.strikeout = read(kForm, keyName(kStrikeoutKey));
    s.textColour = read(kForm, keyName(kTextColourKey));

    s.sound = read(kSound, keyName(kWaveOnKey));
    s.soundPath = read(kSound, keyName(kWavePathKey));
    s.soundRepeat = read(kSound, keyName(kWaveRepeatKey));
    s.speech = read(kSound, keyName(kSpeechOnKey));
    s.speechTextPath = read(kSound, keyName(kSpeechTextKey));
    for (int i = 0; i < int(s.speechCommands.size()); ++i)
        s.speechCommands[i] = read(kSound, speechCommandKey(i));
    return s;
}

} // namespace corvane
