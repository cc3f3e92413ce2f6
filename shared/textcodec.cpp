#include "textcodec.h"

#include <cerrno>
#include <iconv.h>

namespace corvane {
namespace {

// iconv_open loads a conversion module; a handle per thread keeps the per-call cost to a reset.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return m_cd != iconv_t(-1); }
    iconv_t get()
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

private:
    iconv_t m_cd;
};

iconv_t decoder()
{
    thread_local IconvHandle handle("UTF-16LE", "CP932");
    return handle.valid() ? handle.get() : iconv_t(-1);
}

iconv_t encoder()
{
    thread_local IconvHandle handle("CP932", "UTF-16LE");
    return handle.valid() ? handle.get() : iconv_t(-1);
}

bool isAscii(const char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

bool isAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// JIS-flavoured and Latin-1 code points that CP932 lacks, stored as Windows' conversion
// stores them. glibc's CP932 knows most of these already; the table keeps the result the same
// on a C library that does not.
int fallbackFor(char16_t c)
{
    switch (c) {
    case 0x301C:
        return 0x8160; // wave dash → full-width tilde's code
    case 0x2016:
        return 0x8161; // double vertical line
    case 0x2212:
        return 0x817C; // minus sign
    case 0x2014:
        return 0x815C; // em dash
    case 0x00A2:
        return 0x8191; // cent
    case 0x00A3:
        return 0x8192; // pound
    case 0x00AC:
        return 0x81CA; // not sign
    case 0x00A5:
        return 0x5C; // yen sign: Windows' best fit
    case 0x203E:
        return 0x7E; // overline: Windows' best fit
    default:
        return -1;
    }
}

} // namespace

QString fromCp932(const QByteArray& bytes)
{
    if (isAscii(bytes.constData(), bytes.size()))
        return QString::fromLatin1(bytes);
    iconv_t cd = decoder();
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes);

    QString out(bytes.size(), Qt::Uninitialized); // CP932 never needs more UTF-16 units than bytes
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char* outStart = reinterpret_cast<char*>(out.data());
    char* outPtr = outStart;
    size_t outLeft = size_t(out.size()) * 2;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen given the size above; keep what was converted
        // An invalid or truncated sequence: one replacement character per bad byte.
        *reinterpret_cast<char16_t*>(outPtr) = 0xFFFD;
        outPtr += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.truncate((outPtr - outStart) / 2);
    return out;
}

bool isCp932(const QByteArray& bytes)
{
    if (isAscii(bytes.constData(), bytes.size()))
        return true;
    iconv_t cd = decoder();
    if (cd == iconv_t(-1))
        return false;
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        // E2BIG only means the buffer is full: the text so far was fine, go on.
        if (iconv(cd, &in, &inLeft, &out, &outLeft) == size_t(-1) && errno != E2BIG)
            return false;
    }
    return true;
}

QByteArray toCp932(const QString& text)
{
    if (isAscii(text))
        return text.toLatin1();
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype count = text.size();
    QByteArray out(count * 2, Qt::Uninitialized); // at most two bytes per UTF-16 unit
    char* outStart = out.data();
    char* outPtr = outStart;
    size_t outLeft = size_t(out.size());
    iconv_t cd = encoder();
    qsizetype i = 0;
    while (i < count) {
        if (cd != iconv_t(-1)) {
            char* in = const_cast<char*>(reinterpret_cast<const char*>(units + i));
            size_t inLeft = size_t(count - i) * 2;
            const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
            i = count - qsizetype(inLeft / 2);
            if (result != size_t(-1) || i >= count)
                break;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        // The unit at i has no CP932 form (or iconv is missing): Windows' choice or "?".
        const char16_t c = units[i];
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < count && QChar::isLowSurrogate(units[i + 1]);
        const int code = c < 0x80 ? int(c) : (pair ? -1 : fallbackFor(c));
        if (code > 0xFF) {
            *outPtr++ = char(code >> 8);
            --outLeft;
        }
        *outPtr++ = code >= 0 ? char(code & 0xFF) : '?';
        --outLeft;
        i += pair ? 2 : 1;
    }
    out.truncate(outPtr - outStart);
    return out;
}

QStringList cp932Unstorable(const QString& text)
{
    QStringList unstorable;
    if (isAscii(text))
        return unstorable;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
        if (character[0].unicode() < 0x80 || unstorable.contains(character))
            continue;
        if (toCp932(character) == "?")
            unstorable.append(character);
    }
    return unstorable;
}

qsizetype cp932Length(const QString& text)
{
    if (isAscii(text))
        return text.size();
    return toCp932(text).size();
}

} // namespace corvane
