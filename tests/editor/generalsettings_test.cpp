// General settings against real settings files: defaults, number forms, holidays (sorted,
// past ones dropped, read whole however many), abbreviations written only where changed,
// display and sound keys left absent until set, and the sound capture rules.
#include <gtest/gtest.h>

#include <QFile>
#include <tuple>

#include "clock.h"
#include "dayschedule.h"
#include "displaysettings.h"
#include "economicrefresh.h"
#include "import/economicimport.h"
#include "generalsettings.h"
#include "nationalholidayadd.h"
#include "profile.h"
#include "settingsfilefixture.h"
#include "valueforms.h"

using namespace corvane;
using namespace corvane::editor;

namespace {

class GeneralSettingsTest : public test::SettingsFileFixture {
protected:
    void loadAndSave()
    {
        LoadGeneralSettings(path(), m_settings);
        ASSERT_TRUE(SaveGeneralSettings(path(), m_settings));
    }

    GeneralSettings m_settings;
};

TEST_F(GeneralSettingsTest, MissingValuesLoadTheirDefaultsAndSaveThem)
{
    LoadGeneralSettings(path(), m_settings);
    EXPECT_FALSE(m_settings.economic);
    EXPECT_EQ(m_settings.displaySeconds, QStringLiteral("10"));
    EXPECT_EQ(m_settings.advanceMinutes, QStringLiteral("0"));
    EXPECT_EQ(m_settings.lateLimitMinutes, QStringLiteral("60"));
    m_settings.displaySeconds.clear();
    m_settings.advanceMinutes.clear();
    m_settings.lateLimitMinutes.clear();
    ASSERT_TRUE(SaveGeneralSettings(path(), m_settings));
    EXPECT_EQ(read(QStringLiteral("経済指標"), QStringLiteral("取得")), QStringLiteral("0"));
    EXPECT_EQ(read(QStringLiteral("表示"), QStringLiteral("時間")), QStringLiteral("10"));
    EXPECT_EQ(read(QStringLiteral("事前表示"), QStringLiteral("時間")), QStringLiteral("0"));
    EXPECT_EQ(read(QStringLiteral("事前表示"), QStringLiteral("遅延上限")), QStringLiteral("60"));
    // Nothing set the look or the sound: those keys stay absent.
    for (const QString& key : displayKeys())
        EXPECT_FALSE(exists(QStringLiteral("表示フォーム"), key)) << key.toStdString();
    for (const QString& key : soundKeys())
        EXPECT_FALSE(exists(QStringLiteral("サウンド"), key)) << key.toStdString();
    EXPECT_FALSE(exists(QStringLiteral("祝日"), QStringLiteral("登録日1")));
}

TEST_F(GeneralSettingsTest, NumbersAreSavedRoundedHalvesToEven)
{
    LoadGeneralSettings(path(), m_settings);
    const struct {
        const char16_t* typed;
        const char16_t* stored;
    } rows[] = {{u"010", u"10"}, {u"7.5", u"8"}, {u"8.5", u"8"}, {u"０１２", u"12"}};
    for (const auto& row : rows) {
        m_settings.displaySeconds = QString::fromUtf16(row.typed);
        m_settings.advanceMinutes = QString::fromUtf16(row.typed);
        m_settings.lateLimitMinutes = QString::fromUtf16(row.typed);
        ASSERT_TRUE(SaveGeneralSettings(path(), m_settings));
        EXPECT_EQ(read(QStringLiteral("表示"), QStringLiteral("時間")), QString::fromUtf16(row.stored));
        EXPECT_EQ(read(QStringLiteral("事前表示"), QStringLiteral("時間")), QString::fromUtf16(row.stored));
        EXPECT_EQ(read(QStringLiteral("事前表示"), QStringLiteral("遅延上限")), QString::fromUtf16(row.stored));
    }
}

TEST_F(GeneralSettingsTest, HolidaysAreSortedPastOnesDroppedAndRenumbered)
{
    put(QStringLiteral("祝日"), QStringLiteral("登録日1"), QStringLiteral("2099/5/5"));
    put(QStringLiteral("祝日"), QStringLiteral("登録日2"), QStringLiteral("2000/1/1"));
    put(QStringLiteral("祝日"), QStringLiteral("登録日3"), QStringLiteral("2099/1/3"));
    loadAndSave();
    EXPECT_EQ(m_settings.HolidayDates, (QStringList{QStringLiteral("2099/1/3"), QStringLiteral("2099/5/5")}));
    EXPECT_EQ(read(QStringLiteral("祝日"), QStringLiteral("登録日1")), QStringLiteral("2099/1/3"));
    EXPECT_EQ(read(QStringLiteral("祝日"), QStringLiteral("登録日2")), QStringLiteral("2099/5/5"));
    EXPECT_FALSE(exists(QStringLiteral("祝日"), QStringLiteral("登録日3")));

    m_settings.HolidayDates.clear();
    ASSERT_TRUE(SaveGeneralSettings(path(), m_settings));
    EXPECT_TRUE(profile::readSection(path(), QStringLiteral("祝日")).isEmpty());
    EXPECT_FALSE(m_folder.readBytes(QStringLiteral("corvane設定.ini")).contains("[\x8f\x6a\x93\xfa]"));
}

TEST_F(GeneralSettingsTest, SixtyHolidaysSurviveALoadAndSave)
{
    QList<ProfileLine> lines;
    for (int i = 0; i < 60; ++i)
        lines.append({QStringLiteral("登録日%1").arg(i + 1), formatDate(QDate(2027, 1, 1).addDays(i))});
    ASSERT_TRUE(profile::writeSection(path(), QStringLiteral("祝日"), lines));
    loadAndSave();
    EXPECT_EQ(m_settings.HolidayDates.size(), 60);
    EXPECT_EQ(read(QStringLiteral("祝日"), QStringLiteral("登録日60")), QStringLiteral("2027/3/1"));
}

TEST_F(GeneralSettingsTest, OnlyChangedAbbreviationsAreWritten)
{
    put(QStringLiteral("略称登録"), QStringLiteral("略称0"), QStringLiteral("会"));
    put(QStringLiteral("略称登録"), QStringLiteral("内容0"), QStringLiteral("会議"));
    LoadGeneralSettings(path(), m_settings);
    EXPECT_EQ(m_settings.abbreviationTexts[0], QStringLiteral("会議"));
    m_settings.abbreviations[3] = QStringLiteral("昼");
    m_settings.abbreviationTexts[0].clear();
    ASSERT_TRUE(SaveGeneralSettings(path(), m_settings));
    EXPECT_EQ(read(QStringLiteral("略称登録"), QStringLiteral("略称3")), QStringLiteral("昼"));
    EXPECT_FALSE(exists(QStringLiteral("略称登録"), QStringLiteral("内容3")));
    EXPECT_FALSE(exists(QStringLiteral("略称登録"), QStringLiteral("略称4")));
    EXPECT_EQ(read(QStringLiteral("略称登録"), QStringLiteral("略称0")), QStringLiteral("会"));
    EXPECT_TRUE(exists(QStringLiteral("略称登録"), QStringLiteral("内容0")));
    EXPECT_EQ(read(QStringLiteral("略称登録"), QStringLiteral("内容0")), QString());
}

TEST_F(GeneralSettingsTest, StoredLookAndSoundRoundTripAndTheAddressIsKept)
{
    put(QStringLiteral("表示フォーム"), QStringLiteral("FSIZE"), QStringLiteral("10.5"));
    put(QStringLiteral("サウンド"), QStringLiteral("音声SH1"), QStringLiteral("say \"x\""));
    put(QStringLiteral("経済指標"), QStringLiteral("URL"), QStringLiteral("https://example.test/web/market/calendar/"));
    put(QStringLiteral("時差"), QStringLiteral("ET"), QStringLiteral("14"));
    loadAndSave();
    EXPECT_EQ(m_settings.et, QStringLiteral("14"));
    EXPECT_EQ(read(QStringLiteral("表示フォーム"), QStringLiteral("FSIZE")), QStringLiteral("10.5"));
    EXPECT_FALSE(exists(QStringLiteral("表示フォーム"), QStringLiteral("FNAME")));
    EXPECT_EQ(read(QStringLiteral("サウンド"), QStringLiteral("音声SH1")), QStringLiteral("say \"x\""));
    EXPECT_EQ(read(QStringLiteral("経済指標"), QStringLiteral("URL")),
              QStringLiteral("https://example.test/web/market/calendar/"));
}

// Every general setting the editor saves is found by the runner's readers under the same name.
TEST_F(GeneralSettingsTest, EverySettingSavedIsWhatTheRunnerReads)
{
    LoadGeneralSettings(path(), m_settings);
    m_settings.displaySeconds = QStringLiteral("17");
    m_settings.advanceMinutes = QStringLiteral("3");
    m_settings.lateLimitMinutes = QStringLiteral("45");
    m_settings.economic = true;
    m_settings.et = QStringLiteral("14");
    m_settings.cet = QStringLiteral("8");
    m_settings.gmt = QStringLiteral("9");
    m_settings.HolidayDates = {QStringLiteral("2026/12/7"), QStringLiteral("2026/12/8")};
    for (int k = 0; k < kAbbreviationCount; ++k) {
        m_settings.abbreviations[size_t(k)] = QStringLiteral("略%1").arg(k);
        m_settings.abbreviationTexts[size_t(k)] = QStringLiteral("全文%1").arg(k);
    }
    const QStringList look = displayKeys(), sound = soundKeys();
    for (qsizetype i = 0; i < look.size(); ++i)
        m_settings.display[look[i]] = QString::number(101 + i);
    for (qsizetype i = 0; i < sound.size(); ++i)
        m_settings.sound[sound[i]] = QStringLiteral("s%1").arg(i);
    ASSERT_TRUE(SaveGeneralSettings(path(), m_settings));

    const DisplaySettings d = readDisplaySettings(path());
    EXPECT_EQ(QStringList({d.displaySeconds, d.advanceMinutes, d.lateLimitMinutes}),
              QStringList({QStringLiteral("17"), QStringLiteral("3"), QStringLiteral("45")}));
    EXPECT_EQ(QStringList({d.colour, d.top, d.left, d.height, d.width, d.fontName, d.fontSize, d.bold, d.italic,
                           d.underline, d.strikeout, d.textColour}),
              QStringList({m_settings.display.value(look[0]), m_settings.display.value(look[1]),
                           m_settings.display.value(look[2]), m_settings.display.value(look[3]),
                           m_settings.display.value(look[4]), m_settings.display.value(look[5]),
                           m_settings.display.value(look[6]), m_settings.display.value(look[7]),
                           m_settings.display.value(look[8]), m_settings.display.value(look[9]),
                           m_settings.display.value(look[10]), m_settings.display.value(look[11])}));
    const QStringList soundRead = {d.sound,          d.soundPath,         d.soundRepeat,       d.speech,
                                   d.speechTextPath, d.speechCommands[0], d.speechCommands[1], d.speechCommands[2]};
    for (qsizetype i = 0; i < sound.size(); ++i)
        EXPECT_EQ(soundRead[i], m_settings.sound.value(sound[i])) << sound[i].toStdString();

    const TimeDifferences zones = readTimeDifferences(path());
    EXPECT_EQ(std::make_tuple(zones.et, zones.cet, zones.gmt), std::make_tuple(14, 8, 9));
    // Stamped as imported this month, so that the refresh policy reads the switch and stops.
    put(keyName(kEconomicSection), keyName(kEconomicBuiltOnKey), QStringLiteral("2026/12/1"));
    EXPECT_EQ(CheckEconomicRefresh(path()), QStringLiteral("1"));

    for (int k = 0; k < kAbbreviationCount; ++k) {
        put(keyName(kTimeSection), QStringLiteral("0-%1").arg(k), QStringLiteral("9:%1").arg(k + 10));
        put(keyName(kTextSection), QStringLiteral("0-%1").arg(k), QStringLiteral("略%1").arg(k));
    }
    DaySchedule schedule;
    schedule.LoadHolidays(path());
    EXPECT_EQ(schedule.dayClass(0), kHolidayClass);
    EXPECT_EQ(schedule.dayClass(1), kHolidayClass);
    schedule.BuildDaySchedule(path(), QString());
    schedule.ExpandAbbreviations();
    ASSERT_EQ(schedule.today().size(), kAbbreviationCount);
    for (int k = 0; k < kAbbreviationCount; ++k)
        EXPECT_EQ(schedule.today()[k].text, QStringLiteral("全文%1").arg(k));
}

TEST_F(GeneralSettingsTest, AFailedWriteIsReported)
{
    QString error;
    EXPECT_FALSE(SaveGeneralSettings(m_folder.file(QStringLiteral("無い/x.ini")), m_settings, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("設定ファイルに書き込めませんでした")));

    // A speech command the file cannot hold is named, and nothing is written.
    m_settings.sound[QStringLiteral("音声SH0")] = QStringLiteral("say 🔔");
    EXPECT_FALSE(SaveGeneralSettings(path(), m_settings, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("「🔔」"))) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(path()));
}

TEST(HolidayList, RebuildKeepsEntryOrderAndDuplicatesAndDropsThePast)
{
    ScopedClock clock([] { return QDateTime(QDate(2026, 12, 7), QTime(8, 0)); });
    EXPECT_EQ(RebuildHolidayList({QStringLiteral("2030/1/5"), QStringLiteral("2020/1/1"), QStringLiteral("2027/1/1"),
                                  QStringLiteral("2030/1/5"), QStringLiteral("2026/12/7")}),
              (QStringList{QStringLiteral("2030/1/5"), QStringLiteral("2027/1/1"), QStringLiteral("2030/1/5"),
                           QStringLiteral("2026/12/7")}));
    EXPECT_TRUE(RebuildHolidayList({QStringLiteral("2026/12/6")}).isEmpty());
    EXPECT_EQ(holidayFromInput(QStringLiteral("2030/01/05")), QStringLiteral("2030/1/5"));
    EXPECT_EQ(holidayFromInput(QStringLiteral("あした")), std::nullopt);
}

TEST(HolidayList, NationalHolidaysFromTodayFillUpToTheLimitEarliestFirst)
{
    {
        // A national holiday today is added; the rest of next year follows.
        ScopedClock clock([] { return QDateTime(QDate(2027, 11, 23), QTime(8, 0)); });
        const NationalHolidayAddition added = addNationalHolidays({});
        ASSERT_FALSE(added.list.isEmpty());
        EXPECT_EQ(added.list.first(), QStringLiteral("2027/11/23"));
        EXPECT_EQ(added.list.last(), QStringLiteral("2028/11/23"));
        EXPECT_TRUE(added.message.isEmpty());
    }
    ScopedClock clock([] { return QDateTime(QDate(2026, 12, 7), QTime(8, 0)); });
    QStringList items = {QStringLiteral("2020/1/1"), QStringLiteral("2027/01/01")};
    for (int i = 0; i < 50; ++i)
        items << formatDate(QDate(2030, 1, 1).addDays(i));
    const NationalHolidayAddition added = addNationalHolidays(items);
    ASSERT_EQ(added.list.size(), kHolidayListLimit);
    EXPECT_EQ(added.list.mid(0, 2), (QStringList{QStringLiteral("2027/01/01"), QStringLiteral("2030/1/1")}));
    EXPECT_EQ(added.list.mid(51),
              (QStringList{QStringLiteral("2027/1/11"), QStringLiteral("2027/2/11"), QStringLiteral("2027/2/23"),
                           QStringLiteral("2027/3/21"), QStringLiteral("2027/3/22"), QStringLiteral("2027/4/29"),
                           QStringLiteral("2027/5/3"), QStringLiteral("2027/5/4"), QStringLiteral("2027/5/5")}));
    EXPECT_EQ(added.message, QStringLiteral("祝日は60日まで登録できます。国民の祝日のうち7日は追加できませんでした"));
}

TEST(GeneralChecks, InputBoxes)
{
    const QString range = QStringLiteral("時差を確認してください。");
    const QString whole = QStringLiteral("正の整数値を記入してください");
    const struct {
        const char16_t* text;
        QString message;
    } differences[] = {{u"", {}},      {u"0", {}},        {u"24", {}},     {u"14", {}},     {u"25", range},
                       {u"-1", range}, {u"99999", range}, {u"abc", whole}, {u"2.5", whole}, {u"24.4", whole}};
    for (const auto& row : differences)
        EXPECT_EQ(checkTimeDifference(QString::fromUtf16(row.text)), row.message)
            << QString::fromUtf16(row.text).toStdString();

    EXPECT_TRUE(acceptsNonNegativeWhole(QString()));
    EXPECT_TRUE(acceptsNonNegativeWhole(QStringLiteral("0")));
    EXPECT_TRUE(acceptsNonNegativeWhole(QStringLiteral("7.5")));
    EXPECT_FALSE(acceptsNonNegativeWhole(QStringLiteral("-3")));
    EXPECT_FALSE(acceptsNonNegativeWhole(QStringLiteral("a")));
    EXPECT_FALSE(acceptsNonNegativeWhole(QStringLiteral("40000")));

    EXPECT_TRUE(checkCalendarUrl(QString()).isEmpty());
    EXPECT_TRUE(checkCalendarUrl(QStringLiteral("https://example.test/web/market/calendar/")).isEmpty());
    EXPECT_TRUE(checkCalendarUrl(QStringLiteral("http://127.0.0.1:8080/x")).isEmpty());
    EXPECT_FALSE(checkCalendarUrl(QStringLiteral("ftp://example.test/")).isEmpty());
    EXPECT_FALSE(checkCalendarUrl(QStringLiteral("example.test/calendar")).isEmpty());
    EXPECT_FALSE(checkCalendarUrl(QStringLiteral("file:///etc/passwd")).isEmpty());

    EXPECT_TRUE(acceptsAbsolutePath(QString()));
    EXPECT_TRUE(acceptsAbsolutePath(QStringLiteral("/home/user/ding.wav")));
    EXPECT_FALSE(acceptsAbsolutePath(QStringLiteral("ding.wav")));
    EXPECT_TRUE(acceptsRepeatCount(QStringLiteral("3")));
    EXPECT_FALSE(acceptsRepeatCount(QStringLiteral("three")));
}

TEST(SoundCapture, RulesOfTheTwoOptions)
{
    GeneralSettings settings;
    settings.sound[QStringLiteral("音声TXT")] = QStringLiteral("/tmp/old.txt");
    SoundForm form;
    form.wave = true;
    EXPECT_EQ(CaptureSoundSettings(form, settings), QStringLiteral("WAVEファイルのパスを記入してください"));
    EXPECT_FALSE(settings.sound.contains(QStringLiteral("音")));

    form.wavePath = QStringLiteral("/usr/share/sounds/ding.wav");
    EXPECT_EQ(CaptureSoundSettings(form, settings), QString());
    EXPECT_EQ(settings.soundValue(QStringLiteral("音")), QStringLiteral("1"));
    EXPECT_EQ(settings.soundValue(QStringLiteral("音声")), QStringLiteral("0"));
    EXPECT_EQ(settings.soundValue(QStringLiteral("音回数")), QStringLiteral("1"));
    EXPECT_EQ(settings.soundValue(QStringLiteral("音声TXT")), QStringLiteral("/tmp/old.txt"));

    form.wave = false;
    form.speech = true;
    form.textPath = QStringLiteral("/tmp/yomi.txt");
    form.commands = {QStringLiteral("yomi /tmp/yomi.txt"), QString(), QString()};
    EXPECT_EQ(CaptureSoundSettings(form, settings), QString());
    EXPECT_EQ(settings.soundValue(QStringLiteral("音")), QStringLiteral("0"));
    EXPECT_EQ(settings.soundValue(QStringLiteral("音声")), QStringLiteral("1"));
    EXPECT_EQ(settings.soundValue(QStringLiteral("音声SH0")), QStringLiteral("yomi /tmp/yomi.txt"));
    EXPECT_EQ(settings.soundValue(QStringLiteral("音パス")), QStringLiteral("/usr/share/sounds/ding.wav"));

    // Both off: no sound at all, the paths stay for later.
    form.speech = false;
    EXPECT_EQ(CaptureSoundSettings(form, settings), QString());
    EXPECT_EQ(settings.soundValue(QStringLiteral("音")), QStringLiteral("0"));
    EXPECT_EQ(settings.soundValue(QStringLiteral("音声")), QStringLiteral("0"));
    EXPECT_EQ(settings.soundValue(QStringLiteral("音声TXT")), QStringLiteral("/tmp/yomi.txt"));

    // Both stored on: the window can show only one; speech wins.
    settings.sound[QStringLiteral("音")] = QStringLiteral("1");
    settings.sound[QStringLiteral("音声")] = QStringLiteral("1");
    const SoundForm shown = soundFormFrom(settings);
    EXPECT_FALSE(shown.wave);
    EXPECT_TRUE(shown.speech);
}

} // namespace
