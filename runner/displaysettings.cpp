#include "displaysettings.h"

#include "advancesettings.h"
#include "log.h"
#include "profile.h"
#include "valueforms.h"

#include <optional>

namespace corvane {

namespace {

const QString kForm = QStringLiteral("表示フォーム");
const QString kSound = QStringLiteral("サウンド");
const QString kAdvance = QString::fromUtf16(kAdvanceSection);

std::optional<int> lateLimitFrom(const QString& text)
{
    const auto minutes = parseWhole16(text);
    if (!minutes || *minutes < 0)
        return std::nullopt;
    return *minutes;
}

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

int DisplaySettings::lateLimit() const
{
    return lateLimitFrom(lateLimitMinutes).value_or(kDefaultLateLimitMinutes);
}

DisplaySettings readDisplaySettings(const QString& settingsPath,
                                    const std::function<void()>& expandAbbreviations)
{
    return readDisplaySettings(ProfileTransaction(settingsPath), expandAbbreviations);
}

DisplaySettings readDisplaySettings(const ProfileTransaction& file,
                                    const std::function<void()>& expandAbbreviations)
{
    auto read = [&](const QString& section, const QString& key) { return file.readString(section, key); };
    DisplaySettings s;
    s.displaySeconds = read(QStringLiteral("表示"), QStringLiteral("時間"));
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
