// Which charset a page is read in: BOM, then HTTP header, then meta tag, then a guess; and the
// decoding of the Japanese charsets a calendar page comes in.
#include "import/pagecharset.h"

#include "tempfolder.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QByteArray fixture(const char* name)
{
    return test::readFileBytes(QStringLiteral(CORVANE_TEST_DATA "/import/") + QString::fromUtf8(name));
}

const QByteArray kSjisMeta =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\"></head>";

} // namespace

TEST(PageCharset, LabelsAreFoundInHeadersAndMetaTags)
{
    EXPECT_EQ(charsetFromContentType("text/html; charset=Shift_JIS"), "shift_jis");
    EXPECT_EQ(charsetFromContentType("text/html;charset=\"EUC-JP\""), "euc-jp");
    EXPECT_EQ(charsetFromContentType("text/html"), "");
    EXPECT_EQ(charsetFromMeta(kSjisMeta), "shift_jis");
    EXPECT_EQ(charsetFromMeta("<meta charset='utf-8'/>"), "utf-8");
    EXPECT_EQ(charsetFromMeta("<META CHARSET=euc-jp>"), "euc-jp");
    EXPECT_EQ(charsetFromMeta("<meta name=\"x\" content=\"y\"><p>charset=sjis</p>"), "") << "only meta tags count";
    EXPECT_EQ(charsetFromMeta(QByteArray(5000, ' ') + "<meta charset=euc-jp>"), "")
        << "only the head of the page is searched";
}

TEST(PageCharset, TheShiftJisFamilyIsReadAsCp932)
{
    for (const char* label : {"Shift_JIS", "shift-jis", "SJIS", "x-sjis", "Windows-31J", "cp932", "MS932"})
        EXPECT_EQ(charsetForLabel(label), PageCharset::Cp932) << label;
    EXPECT_EQ(charsetForLabel("EUC-JP"), PageCharset::EucJp);
    EXPECT_EQ(charsetForLabel("utf8"), PageCharset::Utf8);
}

TEST(PageCharset, ABomBeatsTheHeaderWhichBeatsTheMetaTag)
{
    EXPECT_EQ(detectPageEncoding("\xEF\xBB\xBF" + kSjisMeta, "text/html; charset=EUC-JP").charset, PageCharset::Utf8);
    EXPECT_EQ(detectPageEncoding(kSjisMeta, "text/html; charset=EUC-JP").charset, PageCharset::EucJp);
    EXPECT_EQ(detectPageEncoding(kSjisMeta, "text/html").charset, PageCharset::Cp932);
    // An unknown label is ignored in favour of the next source.
    EXPECT_EQ(detectPageEncoding(kSjisMeta, "text/html; charset=no-such-charset").charset, PageCharset::Cp932);
}

TEST(PageCharset, UndeclaredPagesAreUtf8WhenValidElseCp932)
{
    EXPECT_EQ(detectPageEncoding("<p>\xE6\x97\xA5</p>", "").charset, PageCharset::Utf8);
    EXPECT_EQ(detectPageEncoding("<p>\x93\xfa</p>", "").charset, PageCharset::Cp932); // 日 in CP932
    // Only strict UTF-8 counts: overlong forms, surrogates, code points past U+10FFFF and a cut
    // sequence do not.
    for (const char* notUtf8 : {"<p>\xC0\xAF</p>", "<p>\xED\xA0\x80</p>", "<p>\xF4\x90\x80\x80</p>", "<p>\xE6\x97"})
        EXPECT_EQ(detectPageEncoding(notUtf8, "").charset, PageCharset::Cp932) << notUtf8;
}

TEST(PageCharset, JapanesePagesDecodeToTheSameText)
{
    const QString utf8 = QString::fromUtf8(fixture("calendar_utf8.html"));
    const QString sjis = QString::fromUtf8(pageToUtf8(fixture("calendar_sjis.html"), "text/html"));
    EXPECT_TRUE(sjis.contains(u"景気ウォッチャー調査～現状判断")) << "0x8160 is U+FF5E as Windows has it";
    EXPECT_EQ(sjis.mid(sjis.indexOf(u"<body>")), utf8.mid(utf8.indexOf(u"<body>")));

    const QString euc = QString::fromUtf8(pageToUtf8(fixture("calendar_eucjp.html"), "text/html; charset=EUC-JP"));
    EXPECT_TRUE(euc.contains(u"10:00ET ISM製造業景況指数"));
    EXPECT_TRUE(euc.contains(u"（船舶・電力を除く）"));
}

TEST(PageCharset, BrokenBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(QString::fromUtf8(pageToUtf8("\xEF\xBB\xBF"
                                           "a\xFF"
                                           "b",
                                           "")),
              QString::fromUtf8("a\xEF\xBF\xBD"
                                "b"));
    const QString euc = QString::fromUtf8(pageToUtf8("a\xA4\xA2\xFF"
                                                     "b",
                                                     "text/html; charset=euc-jp"));
    EXPECT_EQ(euc, QString::fromUtf8("aあ\xEF\xBF\xBD"
                                     "b"));
    EXPECT_EQ(pageToUtf8("", "text/html; charset=euc-jp"), "");
}
