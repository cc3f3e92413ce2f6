// A hand-edited settings file (odd blanks, a broken section line, a line without "=", LF-only
// and CR-only parts, a duplicate key, a 300-byte value, no line end at the end) read as the
// programs read it, then changed and compared with the checked-in result byte for byte.
#include "profile.h"
#include "tempfolder.h"
#include "textcodec.h"

#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::TempFolder;
using namespace Qt::StringLiterals;

TEST(ProfileFixture, HandEditedFileIsReadAndChangedLineByLine)
{
    TempFolder folder;
    const QString path = folder.copyFixture(u"profile/handwritten.ini"_s, u"corvane設定.ini"_s);

    EXPECT_EQ(profile::readString(path, u"表示"_s, u"時間"_s), u"10"_s);
    // "[表示フォーム" lacks its "]": its lines belong to the section above.
    EXPECT_EQ(profile::readString(path, u"表示"_s, u"FNAME"_s), u"ＭＳ Ｐゴシック"_s);
    EXPECT_EQ(profile::readString(path, u"表示フォーム"_s, u"FNAME"_s), QString());
    EXPECT_EQ(profile::readString(path, u"祝日"_s, u"登録日1"_s), u"2026/1/1"_s);
    EXPECT_EQ(profile::readSection(path, u"祝日"_s).size(), 2);
    EXPECT_EQ(profile::readString(path, u"時刻"_s, u"3-0"_s), u"9:00"_s);
    EXPECT_EQ(profile::readString(path, u"内容"_s, u"3-0"_s), u"長い値"_s.repeated(42) + u"長"_s);
    EXPECT_EQ(profile::readString(path, u"未知のセクション"_s, u"値"_s), u"～①ⅰ"_s);
    EXPECT_EQ(profile::readString(path, u"未知のセクション"_s, u"最後"_s), u"行末なし"_s);

    ASSERT_TRUE(profile::writeString(path, u"表示"_s, u"時間"_s, u"15"_s));
    ASSERT_TRUE(profile::writeString(path, u"表示フォーム"_s, u"FSIZE"_s, u"10.5"_s));
    ASSERT_TRUE(profile::writeString(path, u"時刻"_s, u"3-1"_s, u"10:00"_s));
    ASSERT_TRUE(profile::deleteKey(path, u"祝日"_s, u"登録日1"_s));
    ASSERT_TRUE(profile::writeString(path, u"未知のセクション"_s, u"追加"_s, u"〜"_s));

    EXPECT_EQ(folder.readBytes(u"corvane設定.ini"_s),
              test::readFileBytes(QStringLiteral(CORVANE_TEST_DATA "/profile/handwritten.after.ini")));
}
