#include "pagecharset.h"

#include "textcodec.h"

#include <iconv.h>

#include <cerrno>

namespace corvane {

namespace {

constexpr qsizetype kMetaScanBytes = 4096;

bool hasUtf8Bom(const QByteArray& b) { return b.startsWith("\xEF\xBB\xBF"); }

QByteArray trimLabel(QByteArray label)
{
    label = label.trimmed();
    while (!label.isEmpty() && (label.front() == '"' || label.front() == '\''))
        label.remove(0, 1);
    qsizetype end = 0;
    while (end < label.size() && label[end] != '"' && label[end] != '\'' && label[end] != ';' && label[end] != ' '
           && label[end] != '>' && label[end] != '/' && label[end] != '\t')
        ++end;
    return label.left(end).toLower();
}

// The value after "charset=" in text (case-insensitive), or empty.
QByteArray labelAfterCharset(const QByteArray& text)
{
    const QByteArray lower = text.toLower();
    const qsizetype at = lower.indexOf("charset");
    if (at < 0)
        return {};
    qsizetype i = at + 7;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i >= text.size() || text[i] != '=')
        return {};
    return trimLabel(text.mid(i + 1));
}

// Decodes with glibc iconv, replacing undecodable bytes by U+FFFD one byte at a time.
QByteArray iconvToUtf8(const QByteArray& bytes, const char* from)
{
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == iconv_t(-1))
        return {};
    QByteArray out;
    out.reserve(bytes.size() * 3 / 2 + 16);
    char buffer[8192];
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, qsizetype(outPtr - buffer));
        if (rc != size_t(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ or a truncated sequence at the end: one replacement character, skip a byte.
        out.append("\xEF\xBF\xBD");
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

} // namespace

QByteArray charsetFromContentType(const QByteArray& contentType) { return labelAfterCharset(contentType); }

QByteArray charsetFromMeta(const QByteArray& body)
{
    const QByteArray head = body.left(kMetaScanBytes);
    const QByteArray lower = head.toLower();
    qsizetype from = 0;
    while ((from = lower.indexOf("<meta", from)) >= 0) {
        const qsizetype end = lower.indexOf('>', from);
        const QByteArray tag = head.mid(from, end < 0 ? -1 : end - from + 1);
        const QByteArray label = labelAfterCharset(tag);
        if (!label.isEmpty())
            return label;
        if (end < 0)
            break;
        from = end;
    }
    return {};
}

PageCharset charsetForLabel(const QByteArray& rawLabel)
{
    const QByteArray label = rawLabel.trimmed().toLower();
    if (label == "utf-8" || label == "utf8" || label == "unicode-1-1-utf-8")
        return PageCharset::Utf8;
    if (label == "shift_jis" || label == "shift-jis" || label == "sjis" || label == "x-sjis" || label == "windows-31j"
        || label == "cp932" || label == "ms932" || label == "ms_kanji" || label == "csshiftjis"
        || label == "x-ms-cp932")
        return PageCharset::Cp932;
    if (label == "euc-jp" || label == "eucjp" || label == "x-euc-jp" || label == "cseucpkdfmtjapanese")
        return PageCharset::EucJp;
    if (label == "iso-8859-1" || label == "latin1" || label == "us-ascii" || label == "ascii")
        return PageCharset::Latin1;
    return PageCharset::Other;
}

PageEncoding detectPageEncoding(const QByteArray& body, const QByteArray& contentType)
{
    if (hasUtf8Bom(body))
        return {PageCharset::Utf8, "utf-8"};
    for (const QByteArray& label : {charsetFromContentType(contentType), charsetFromMeta(body)}) {
        if (label.isEmpty())
            continue;
        const PageCharset charset = charsetForLabel(label);
        // A label iconv does not know is no better than none.
        if (charset == PageCharset::Other) {
            iconv_t cd = iconv_open("UTF-8", label.constData());
            if (cd == iconv_t(-1))
                continue;
            iconv_close(cd);
        }
        return {charset, label};
    }
    if (body.isValidUtf8())
        return {PageCharset::Utf8, "utf-8"};
    return {PageCharset::Cp932, "cp932"};
}

QByteArray pageToUtf8(const QByteArray& body, const QByteArray& contentType)
{
    const PageEncoding encoding = detectPageEncoding(body, contentType);
    switch (encoding.charset) {
    case PageCharset::Utf8: {
        const QByteArray bytes = hasUtf8Bom(body) ? body.mid(3) : body;
        return bytes.isValidUtf8() ? bytes : QString::fromUtf8(bytes).toUtf8();
    }
    case PageCharset::Cp932:
        return fromCp932(body).toUtf8();
    case PageCharset::EucJp: {
        // The Windows flavour first, so NEC extension characters (①, ㈱) decode as they do there.
        QByteArray utf8 = iconvToUtf8(body, "EUC-JP-MS");
        if (utf8.isEmpty() && !body.isEmpty())
            utf8 = iconvToUtf8(body, "EUC-JP");
        return utf8;
    }
    case PageCharset::Latin1:
        return QString::fromLatin1(body).toUtf8();
    case PageCharset::Other:
        return iconvToUtf8(body, encoding.name.constData());
    }
    return body;
}

} // namespace corvane
