// The settings file's read and write rules, each on a real file in a fresh folder and checked
// byte for byte where the layout matters.
#include "profile.h"
#include "profiledocument.h"
#include "stderrcapture.h"
#include "tempfolder.h"
#include "textcodec.h"

#include <QDir>
#include <functional>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvane;
using corvane::test::TempFolder;
using namespace Qt::StringLiterals;

namespace {

// CP932 bytes of text, for building fixtures in the file's own encoding.
QByteArray sj(const QString& text) { return toCp932(text); }

class ProfileFile : public ::testing::Test {
protected:
    void put(const QByteArray& bytes) { m_folder.writeBytes(name(), bytes); }
    QByteArray bytes() const { return m_folder.readBytes(name()); }
    QString path() const { return m_folder.file(name()); }
    static QString name() { return QStringLiteral("corvane設定.ini"); }
    QString read(const QString& section, const QString& key) const { return profile::readString(path(), section, key); }

    TempFolder m_folder;
};

} // namespace

// ---- reading ----

TEST_F(ProfileFile, MissingFileSectionOrKeyReadsEmpty)
{
    EXPECT_EQ(read(u"表示"_s, u"時間"_s), QString());
    EXPECT_TRUE(profile::readSection(path(), u"祝日"_s).isEmpty());
    put(sj(u"[表示]\r\n時間=10\r\n"_s));
    EXPECT_EQ(read(u"事前表示"_s, u"時間"_s), QString());
    EXPECT_EQ(read(u"表示"_s, u"色"_s), QString());
    EXPECT_EQ(read(u"表示"_s, u"時間"_s), u"10"_s);
}

// A settings file that is there but cannot be read reads empty, and each read says why in the log.
TEST_F(ProfileFile, AFileThatCannotBeReadReadsEmptyAndIsLogged)
{
    QDir().mkpath(path()); // a folder where the file belongs: opened, never read
    const std::function<bool()> reads[] = {
        [&] { return read(u"表示"_s, u"時間"_s).isEmpty(); },
        [&] { return profile::readSection(path(), u"祝日"_s).isEmpty(); },
    };
    for (const auto& readsEmpty : reads) {
        test::StderrCapture log;
        EXPECT_TRUE(readsEmpty());
        EXPECT_EQ(log.lines().filter(u"設定ファイルを読み込めません"_s).size(), 1);
    }
}

TEST_F(ProfileFile, NamesCompareCaseInsensitivelyForAsciiOnly)
{
    put(sj(u"[表示フォーム]\r\nTOP=120\r\nFname=ＭＳ Ｐゴシック\r\n[Time]\r\nET=14\r\n"_s));
    EXPECT_EQ(read(u"表示フォーム"_s, u"top"_s), u"120"_s);
    EXPECT_EQ(read(u"表示フォーム"_s, u"FNAME"_s), u"ＭＳ Ｐゴシック"_s);
    EXPECT_EQ(read(u"TIME"_s, u"et"_s), u"14"_s);
    // Full-width letters are not ASCII: no folding.
    EXPECT_EQ(read(u"表示フォーム"_s, u"ＴＯＰ"_s), QString());
}

TEST_F(ProfileFile, SecondBytesThatLookLikeAsciiAreNotFoldedOrParsed)
{
    // 0x8341 "ア" and 0x8361 differ only in what would be ASCII case of the second byte;
    // "ゾ" (0x835D) ends in "]" and "表" (0x955C) in a backslash.
    const QString a = fromCp932("\x83\x41"), small = fromCp932("\x83\x61");
    ASSERT_TRUE(profile::writeString(path(), u"ゾ"_s, a, u"1"_s));
    ASSERT_TRUE(profile::writeString(path(), u"ゾ"_s, small, u"2"_s));
    ASSERT_TRUE(profile::writeString(path(), u"表示"_s, u"時間"_s, u"ソ表"_s));
    EXPECT_EQ(read(u"ゾ"_s, a), u"1"_s);
    EXPECT_EQ(read(u"ゾ"_s, small), u"2"_s);
    EXPECT_EQ(read(u"表示"_s, u"時間"_s), u"ソ表"_s);
    EXPECT_EQ(bytes(), QByteArray("[\x83\x5D]\r\n\x83\x41=1\r\n\x83\x61=2\r\n[\x95\x5C\x8E\xA6]\r\n"
                                  "\x8E\x9E\x8A\xD4=\x83\x5C\x95\x5C\r\n"));
}

TEST_F(ProfileFile, HandWrittenLayoutIsReadAsWindowsReadsIt)
{
    put(sj(u"orphan=before any section\n"
           "; a comment=not a key\n"
           "[ 時刻 ]\n"
           "  0-0 \t=\t 9:00  \n"
           "no equals sign here\n"
           "0-1=\"  quoted  \"\n"
           "0-2=\"\n"
           "0-0=duplicate loses\n"
           "[時刻]\r"
           "0-3=second section of that name is not seen\r"
           "[内容]\r\n"
           "0-0=　全角の空白　\r\n"_s));
    EXPECT_EQ(read(u"時刻"_s, u"0-0"_s), u"9:00"_s);
    EXPECT_EQ(read(u"時刻"_s, u"0-1"_s), u"  quoted  "_s);
    EXPECT_EQ(read(u"時刻"_s, u"0-2"_s), u"\""_s);
    EXPECT_EQ(read(u"時刻"_s, u"no equals sign here"_s), QString());
    EXPECT_EQ(read(u"時刻"_s, u"0-3"_s), QString());
    EXPECT_EQ(read(u"時刻"_s, u"; a comment"_s), QString());
    EXPECT_EQ(read(u"内容"_s, u"0-0"_s), u"　全角の空白　"_s); // the full-width blank stays
    const QList<ProfileLine> lines = profile::readSection(path(), u"時刻"_s);
    const QList<ProfileLine> expected{
        {u"0-0"_s, u"9:00"_s}, {u"0-1"_s, u"  quoted  "_s}, {u"0-2"_s, u"\""_s}, {u"0-0"_s, u"duplicate loses"_s}};
    EXPECT_EQ(lines, expected);
}

TEST_F(ProfileFile, FileKeepsItsEncodingAndOtherEncodingsAreNeverWritten)
{
    const QByteArray bom = "\xEF\xBB\xBF";
    const QByteArray utf8Rest = u"; メモ 😀 한글\n[表示]\n時間=10\n[메모]\nx=①😀\n"_s.toUtf8();
    const QByteArray utf16 =
        QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(u"[表示]\r\n時間=10\r\n"), 2 * 15);
    struct Row {
        const char* what;
        QByteArray before;
        bool writable;
        QByteArray after; // when writable
    } rows[] = {
        {"UTF-8 with its mark: stays UTF-8, other bytes kept", bom + utf8Rest, true,
         bom + u"; メモ 😀 한글\r\n[表示]\r\n時間=15\r\n[메모]\r\nx=①😀\r\n"_s.toUtf8()},
        {"a stray mark in front of CP932 text", bom + sj(u"[表示]\r\n時間=10\r\n"_s), true,
         bom + sj(u"[表示]\r\n時間=15\r\n"_s)},
        {"UTF-8 without a mark, as Linux editors save it: stays UTF-8 without one", utf8Rest, true,
         u"; メモ 😀 한글\r\n[表示]\r\n時間=15\r\n[메모]\r\nx=①😀\r\n"_s.toUtf8()},
        {"UTF-16", utf16, false, {}},
        {"binary", QByteArray("[\xE8\xA1\0\x01]\r\n", 8) + sj(u"[表示]\r\n時間=10\r\n"_s), false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        put(row.before);
        EXPECT_EQ(read(u"表示"_s, u"時間"_s), u"10"_s);
        QString error;
        EXPECT_EQ(profile::writeString(path(), u"表示"_s, u"時間"_s, u"15"_s, &error), row.writable)
            << qPrintable(error);
        EXPECT_EQ(bytes(), row.writable ? row.after : row.before);
    }
    // In a UTF-8 file any character can be stored and read back.
    for (const QByteArray& prefix : {bom, QByteArray()}) {
        put(prefix + utf8Rest);
        ASSERT_TRUE(profile::writeString(path(), u"内容"_s, u"2-0"_s, u"会議😀한글"_s));
        EXPECT_EQ(read(u"内容"_s, u"2-0"_s), u"会議😀한글"_s);
    }
}

TEST(ProfileEncoding, TextWithoutAMarkIsUtf8OnlyWhenCp932CannotReadIt)
{
    const QByteArray eitherWay = u"[表示]\n時間=10\n"_s.toUtf8(); // also CP932 (as "[陦ｨ遉ｺ]")
    ASSERT_TRUE(isCp932(eitherWay));
    struct Row {
        const char* what;
        QByteArray bytes;
        ProfileCharset charset;
    } rows[] = {
        {"UTF-8 from a text editor", u"[時刻]\n0-0=9:00\n[内容]\n0-0=朝会\n"_s.toUtf8(), ProfileCharset::Utf8},
        {"CP932", toCp932(u"[時刻]\r\n0-0=9:00\r\n[内容]\r\n0-0=朝会\r\n"_s), ProfileCharset::Cp932},
        {"ASCII only", "[A]\r\nx=1\r\n", ProfileCharset::Cp932},
        {"bytes that read either way", eitherWay, ProfileCharset::Cp932},
        {"a long text that reads either way", eitherWay.repeated(2000), ProfileCharset::Cp932},
        {"UTF-8 with one broken sequence", u"[内容]\n0-0=朝会\n"_s.toUtf8() + "\xE6\x9C", ProfileCharset::Cp932},
    };
    TempFolder folder;
    const QString path = folder.file(u"corvane設定.ini"_s);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ProfileDocument(row.bytes).charset(), row.charset);
        // Told once, not at every read.
        folder.writeBytes(u"corvane設定.ini"_s, row.bytes);
        test::StderrCapture log;
        const ProfileTransaction first(path), second(path);
        const bool utf8 = row.charset == ProfileCharset::Utf8;
        EXPECT_EQ(log.lines().filter(u"を文字コード UTF-8 (BOM なし) として読み込みます"_s).size(), utf8 ? 1 : 0);
    }
}

TEST_F(ProfileFile, EveryValueReadsBackAsWritten)
{
    const QString values[] = {
        u"\"/opt/my say/say\" -f \"$HOME/読み上げ/a b.txt\""_s,
        u"\"至急\""_s,
        u"\"\""_s,
        u"\""_s,
        u" 前に空白"_s,
        u"後ろにタブ\t"_s,
        u"普通の値"_s,
        QString(),
    };
    for (const QString& value : values) {
        SCOPED_TRACE(qPrintable(value));
        ASSERT_TRUE(profile::writeString(path(), u"サウンド"_s, u"音声SH0"_s, value));
        EXPECT_EQ(read(u"サウンド"_s, u"音声SH0"_s), value);
        ASSERT_TRUE(profile::writeSection(path(), u"祝日"_s, {{u"登録日1"_s, value}}));
        EXPECT_EQ(profile::readSection(path(), u"祝日"_s).value(0).value, value);
    }
    // One extra pair of quotes, which Windows drops on reading as well.
    ASSERT_TRUE(profile::writeString(path(), u"内容"_s, u"2-0"_s, u"\"至急\""_s));
    EXPECT_TRUE(bytes().contains(sj(u"2-0=\"\"至急\"\"\r\n"_s)));
}

TEST_F(ProfileFile, TextWithoutACp932FormIsRefusedNotStoredAsQuestionMarks)
{
    put(sj(u"[内容]\r\n2-0=会議\r\n"_s));
    QString error;
    EXPECT_FALSE(profile::writeString(path(), u"内容"_s, u"2-1"_s, u"会議😀한글～①"_s, &error));
    EXPECT_TRUE(error.contains(u"「😀」「한」「글」"_s)) << qPrintable(error);
    ProfileTransaction tx(path());
    tx.writeString(u"時刻"_s, u"2-1"_s, u"9:00"_s);
    tx.writeString(u"内容"_s, u"2-1"_s, u"😀"_s);
    EXPECT_FALSE(tx.commit());
    EXPECT_EQ(bytes(), sj(u"[内容]\r\n2-0=会議\r\n"_s));
    // Characters with a CP932 form, including the ones Windows maps by hand, are stored.
    ASSERT_TRUE(profile::writeString(path(), u"内容"_s, u"2-1"_s, u"～①〜"_s));
    EXPECT_EQ(read(u"内容"_s, u"2-1"_s), u"～①～"_s);
}

TEST_F(ProfileFile, CreatedFilesArePrivateAndAReadOnlyFileIsNeverReplaced)
{
    const auto mode = [](const QString& file) {
        struct stat st {};
        return ::lstat(QFile::encodeName(file).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    };
    const mode_t saved = ::umask(022);
    for (const auto& [mask, expected] : {std::pair{022, 0644}, std::pair{077, 0600}}) {
        QFile::remove(path());
        ::umask(mode_t(mask));
        ASSERT_TRUE(profile::writeString(path(), u"表示"_s, u"時間"_s, u"10"_s));
        EXPECT_EQ(mode(path()), expected) << "umask " << mask;
        EXPECT_EQ(mode(path() + u".lock"_s), 0600);
    }
    ::umask(saved);
    ::chmod(QFile::encodeName(path()).constData(), 0640);
    ASSERT_TRUE(profile::writeString(path(), u"表示"_s, u"時間"_s, u"11"_s));
    EXPECT_EQ(mode(path()), 0640);

    // Names another user could have prepared beside the file are neither followed nor reused.
    const QString victim = m_folder.file(u"victim"_s);
    m_folder.writeBytes(u"victim"_s, "untouched");
    ASSERT_TRUE(QFile::link(victim, path() + u".tmp"_s));
    ASSERT_TRUE(profile::writeString(path(), u"表示"_s, u"時間"_s, u"12"_s));
    EXPECT_EQ(m_folder.readBytes(u"victim"_s), QByteArray("untouched"));

    // The user's write protection holds for root too, and for a file of another user.
    const QByteArray before = bytes();
    for (const bool otherOwner : {false, true}) {
        if (otherOwner && ::geteuid() != 0)
            continue;
        if (otherOwner) {
            ASSERT_EQ(::chown(QFile::encodeName(path()).constData(), 65534, 65534), 0);
        }
        ::chmod(QFile::encodeName(path()).constData(), 0444);
        QString error;
        EXPECT_FALSE(profile::writeString(path(), u"表示"_s, u"時間"_s, u"13"_s, &error));
        EXPECT_TRUE(error.contains(u"読み取り専用"_s)) << qPrintable(error);
        EXPECT_EQ(bytes(), before);
    }
}

TEST_F(ProfileFile, LongValuesAreCutAsTheReadBufferCutsThem)
{
    const QString ascii300(300, QLatin1Char('x'));
    ASSERT_TRUE(profile::writeString(path(), u"内容"_s, u"0-0"_s, ascii300));
    EXPECT_EQ(read(u"内容"_s, u"0-0"_s), ascii300.left(254));
    // The whole value is stored; only reading cuts.
    EXPECT_TRUE(bytes().contains(ascii300.toLatin1()));

    // 150 double-byte characters: 127 of them fill 254 bytes exactly.
    const QString wide(150, QChar(u'予'));
    ASSERT_TRUE(profile::writeString(path(), u"内容"_s, u"0-1"_s, wide));
    EXPECT_EQ(read(u"内容"_s, u"0-1"_s), wide.left(127));

    // One ASCII character first: byte 254 is the first half of "予", so 253 bytes remain.
    const QString shifted = u"a"_s + wide;
    ASSERT_TRUE(profile::writeString(path(), u"内容"_s, u"0-2"_s, shifted));
    const QString cut = read(u"内容"_s, u"0-2"_s);
    EXPECT_EQ(cut, shifted.left(127));
    EXPECT_EQ(cp932Length(cut), 253);
    EXPECT_FALSE(cut.contains(QChar(0xFFFD)));
    EXPECT_EQ(cutToReadBuffer(shifted), cut);
    EXPECT_EQ(cutToReadBuffer(u"短い"_s), u"短い"_s);

    // The section read is not cut.
    EXPECT_EQ(profile::readSection(path(), u"内容"_s).value(2).value, shifted);
}

// ---- writing ----

TEST_F(ProfileFile, FirstWriteCreatesTheFileWithCrlfLines)
{
    ASSERT_TRUE(profile::writeString(path(), u"時刻"_s, u"3-0"_s, u"9:00"_s));
    EXPECT_EQ(bytes(), QByteArray("[\x8E\x9E\x8D\x8F]\r\n3-0=9:00\r\n"));
}

TEST_F(ProfileFile, WritesReplaceInPlaceAppendAtSectionEndAndAddSectionsAtFileEnd)
{
    put(sj(u"; header comment\r\n"
           "[時刻]\r\n"
           "3-0=9:00\r\n"
           "3-1=10:00\r\n"
           "; trailing note\r\n"
           "\r\n"
           "[Unknown]\r\n"
           "Key With Spaces = kept as is \r\n"_s));
    ASSERT_TRUE(profile::writeString(path(), u"時刻"_s, u"3-0"_s, u"8:30"_s));
    ASSERT_TRUE(profile::writeString(path(), u"時刻"_s, u"3-2"_s, u"11:00"_s));
    ASSERT_TRUE(profile::writeString(path(), u"内容"_s, u"3-0"_s, u"朝会"_s));
    ASSERT_TRUE(profile::writeString(path(), u"unknown"_s, u"KEY WITH SPACES"_s, u"changed"_s));
    EXPECT_EQ(bytes(), sj(u"; header comment\r\n"
                          "[時刻]\r\n"
                          "3-0=8:30\r\n"
                          "3-1=10:00\r\n"
                          "3-2=11:00\r\n"
                          "; trailing note\r\n"
                          "\r\n"
                          "[Unknown]\r\n"
                          "Key With Spaces=changed\r\n"
                          "[内容]\r\n"
                          "3-0=朝会\r\n"_s));
}

TEST_F(ProfileFile, KeyInAnEmptySectionGoesRightAfterItsHeader)
{
    put("; only a comment\r\n[A]\r\n; nothing here\r\n[B]\r\nx=1\r\n");
    ASSERT_TRUE(profile::writeString(path(), u"a"_s, u"k"_s, u"v"_s));
    EXPECT_EQ(bytes(), QByteArray("; only a comment\r\n[A]\r\nk=v\r\n; nothing here\r\n[B]\r\nx=1\r\n"));
}

TEST_F(ProfileFile, LfOnlyFileKeepsItsLinesAndGetsCrlfEnds)
{
    put("[A]\nx=1\ny=2\n[B]\nz=3");
    ASSERT_TRUE(profile::writeString(path(), u"B"_s, u"w"_s, u"4"_s));
    EXPECT_EQ(bytes(), QByteArray("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\nw=4\r\n"));
}

TEST_F(ProfileFile, DeletionsRemoveOnlyTheirLines)
{
    put(sj(u"[本日の予定]\r\n時刻0=9:00\r\n内容0=朝会\r\n時刻1=12:00\r\n; note\r\n[翌日の予定]\r\n時刻0=8:00\r\n"
           "[本日の予定]\r\n時刻1=duplicate\r\n"_s));
    ASSERT_TRUE(profile::deleteKey(path(), u"本日の予定"_s, u"時刻0"_s));
    EXPECT_EQ(bytes(), sj(u"[本日の予定]\r\n内容0=朝会\r\n時刻1=12:00\r\n; note\r\n[翌日の予定]\r\n時刻0=8:00\r\n"
                          "[本日の予定]\r\n時刻1=duplicate\r\n"_s));
    // Absent key: nothing changes.
    ASSERT_TRUE(profile::deleteKey(path(), u"本日の予定"_s, u"時刻9"_s));
    // Every section of the name goes, so that the duplicate does not surface afterwards.
    ASSERT_TRUE(profile::deleteSection(path(), u"本日の予定"_s));
    EXPECT_EQ(bytes(), sj(u"[翌日の予定]\r\n時刻0=8:00\r\n"_s));
    EXPECT_EQ(read(u"本日の予定"_s, u"時刻1"_s), QString());
}

TEST_F(ProfileFile, DeletingFromAMissingFileDoesNotCreateIt)
{
    ASSERT_TRUE(profile::deleteKey(path(), u"時刻"_s, u"0-0"_s));
    ASSERT_TRUE(profile::deleteSection(path(), u"祝日"_s));
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(ProfileFile, SectionBodyIsReplacedWholeAndReadWhole)
{
    put(sj(u"[祝日]\r\n登録日1=2026/1/1\r\n; old comment\r\n登録日2=2026/1/12\r\n\r\n[表示]\r\n時間=10\r\n"_s));
    const QList<ProfileLine> holidays{
        {u"登録日1"_s, u"2026/5/3"_s}, {u"登録日2"_s, u"2026/5/4"_s}, {u"登録日3"_s, u"2026/5/5"_s}};
    ASSERT_TRUE(profile::writeSection(path(), u"祝日"_s, holidays));
    EXPECT_EQ(bytes(), sj(u"[祝日]\r\n登録日1=2026/5/3\r\n登録日2=2026/5/4\r\n登録日3=2026/5/5\r\n\r\n"
                          "[表示]\r\n時間=10\r\n"_s));
    EXPECT_EQ(profile::readSection(path(), u"祝日"_s), holidays);

    // A body longer than 1,024 bytes comes back whole.
    QList<ProfileLine> many;
    for (int i = 1; i <= 60; ++i)
        many.append({u"登録日%1"_s.arg(i), u"2027/%1/%2"_s.arg(i % 12 + 1).arg(i % 28 + 1)});
    ASSERT_TRUE(profile::writeSection(path(), u"祝日"_s, many));
    EXPECT_EQ(profile::readSection(path(), u"祝日"_s), many);

    // An absent section is created at the end.
    ASSERT_TRUE(profile::writeSection(path(), u"略称登録"_s, {{u"略称0"_s, u"会"_s}}));
    EXPECT_TRUE(bytes().endsWith(sj(u"[略称登録]\r\n略称0=会\r\n"_s)));
}

TEST_F(ProfileFile, Cp932BytesOfUntouchedLinesSurviveEveryWrite)
{
    // 0x8160 (～), NEC row 13 (0x8740 ①), IBM extension (0xFA40 ⅰ, 0xFBFC 髙), an NEC-selected
    // IBM character (0xED40) that Windows would re-encode as 0xFA5C, and a stray byte that is
    // no CP932 at all.
    const QByteArray original("[\x93\xC1\x8E\xEA]\r\n"
                              "a=\x81\x60\x87\x40\xFA\x40\xFB\xFC\r\n"
                              "b=\xED\x40\r\n"
                              "c=\xA0\xFF\r\n");
    put(original);
    ASSERT_TRUE(profile::writeString(path(), u"other"_s, u"k"_s, u"v"_s));
    EXPECT_EQ(bytes(), original + "[other]\r\nk=v\r\n");
    EXPECT_EQ(read(fromCp932("\x93\xC1\x8E\xEA"), u"a"_s), u"～①ⅰ髙"_s);

    // Written from text, the same characters give the same bytes back.
    ASSERT_TRUE(profile::writeString(path(), u"other"_s, u"k"_s, u"～①ⅰ髙〜"_s));
    EXPECT_TRUE(bytes().endsWith("k=\x81\x60\x87\x40\xFA\x40\xFB\xFC\x81\x60\r\n"));
}

TEST_F(ProfileFile, WriteOfAnUnchangedValueLeavesTheFileAlone)
{
    put("[A]\nx=1\n");
    ASSERT_TRUE(profile::writeString(path(), u"A"_s, u"x"_s, u"1"_s));
    EXPECT_EQ(bytes(), QByteArray("[A]\nx=1\n"));
}

TEST_F(ProfileFile, NamesAndValuesThatWouldBreakTheFileAreRefused)
{
    put("[A]\r\nx=1\r\n");
    const QByteArray before = bytes();
    QString error;
    EXPECT_FALSE(profile::writeString(path(), u"A"_s, u"x"_s, u"1\r\n[B]\r\ny=2"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(profile::writeString(path(), u"A]"_s, u"x"_s, u"1"_s));
    EXPECT_FALSE(profile::writeString(path(), u"A"_s, u"x=y"_s, u"1"_s));
    EXPECT_FALSE(profile::writeString(path(), u"A"_s, u" "_s, u"1"_s));
    EXPECT_FALSE(profile::writeSection(path(), u"A"_s, {{u"k"_s, u"a\nb"_s}}));
    EXPECT_EQ(bytes(), before);
}

TEST_F(ProfileFile, FailedWriteIsReportedAndChangesNothing)
{
    const QString nowhere = m_folder.file(u"no such folder/corvane設定.ini"_s);
    QString error;
    EXPECT_FALSE(profile::writeString(nowhere, u"A"_s, u"x"_s, u"1"_s, &error));
    EXPECT_FALSE(error.isEmpty());

    // The settings path taken by a folder: the replace fails, the folder stays.
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(name()));
    error.clear();
    EXPECT_FALSE(profile::writeString(path(), u"A"_s, u"x"_s, u"1"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(ProfileFile, ReplaceKeepsPermissionsAndLinksAndLeavesNoTemporaryFile)
{
    put("[A]\r\nx=1\r\n");
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(profile::writeString(path(), u"A"_s, u"x"_s, u"2"_s));
    EXPECT_EQ(QFile::permissions(path()) & QFileDevice::Permissions(0x7077),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList({name(), name() + u".lock"_s}));

    // A settings file that is a link: the linked file changes, the link stays.
    const QString link = m_folder.file(u"link.ini"_s);
    ASSERT_TRUE(QFile::link(path(), link));
    ASSERT_TRUE(profile::writeString(link, u"A"_s, u"x"_s, u"3"_s));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(read(u"A"_s, u"x"_s), u"3"_s);
}
