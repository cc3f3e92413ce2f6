#pragma once
// Which character set a fetched page is written in, and the page turned into UTF-8 for the
// HTML reader.
#include <QByteArray>
#include <QString>

namespace corvane {

enum class PageCharset { Utf8, Cp932, EucJp, Latin1, Other };

struct PageEncoding {
    PageCharset charset = PageCharset::Utf8;
    QByteArray name; // the declared name as found (lower case), or the one chosen
};

// The charset label of a Content-Type value ("text/html; charset=Shift_JIS" → "shift_jis"),
// empty when it names none.
QByteArray charsetFromContentType(const QByteArray& contentType);
// The charset a <meta charset> or <meta http-equiv content="...charset=..."> tag in the first
// 4 KiB of the page declares, empty when none.
QByteArray charsetFromMeta(const QByteArray& body);
// Maps a label to a charset: the Shift_JIS family (shift_jis, sjis, windows-31j, cp932, ...)
// is CP932, as Japanese pages in Shift_JIS are written by Windows tools.
PageCharset charsetForLabel(const QByteArray& label);

// The page's encoding, decided in the order a browser uses: a byte-order mark, then the
// HTTP header, then the meta tag; without any, UTF-8 when the bytes are valid UTF-8, else
// CP932.
PageEncoding detectPageEncoding(const QByteArray& body, const QByteArray& contentType);

// The page as UTF-8 (BOM removed). Bytes that are not valid in the page's charset become
// U+FFFD; never fails.
QByteArray pageToUtf8(const QByteArray& body, const QByteArray& contentType);

} // namespace corvane
