#include "profiledocument.h"

#include "textcodec.h"

#include <QString>
#include <QStringDecoder>
#include <QUtf8StringView>
#include <cstring>

namespace corvane {
namespace profilebytes {
namespace {

constexpr qsizetype kReadCut = 254;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool startsCharacter(unsigned char b, ProfileCharset charset)
{
    return charset == ProfileCharset::Cp932 && isLeadByte(b);
}

enum class LineKind { Other, Header, Key };

// What one line is, with the trimmed name (section or key) and the trimmed value.
struct LineShape {
    LineKind kind = LineKind::Other;
    qsizetype nameStart = 0, nameLength = 0, valueStart = 0, valueLength = 0;
};

void trimRange(const char* data, qsizetype& start, qsizetype& end)
{
    while (start < end && isBlank(data[start]))
        ++start;
    while (end > start && isBlank(data[end - 1]))
        --end;
}

LineShape shapeOf(const char* data, qsizetype size, ProfileCharset charset)
{
    LineShape shape;
    qsizetype start = 0, end = size;
    trimRange(data, start, end);
    if (start == end || data[start] == ';')
        return shape;
    if (data[start] == '[') {
        // "]" can be the second byte of a double-byte character, so walk by characters.
        for (qsizetype i = start + 1; i < end; ++i) {
            const auto b = static_cast<unsigned char>(data[i]);
            if (b == ']') {
                qsizetype nameStart = start + 1, nameEnd = i;
                trimRange(data, nameStart, nameEnd);
                shape.kind = LineKind::Header;
                shape.nameStart = nameStart;
                shape.nameLength = nameEnd - nameStart;
                return shape;
            }
            if (startsCharacter(b, charset))
                ++i;
        }
        return shape; // "[" without "]" is no header
    }
    // "=" (0x3D) is never the second byte of a CP932 character.
    const void* equals = std::memchr(data + start, '=', size_t(end - start));
    if (!equals)
        return shape;
    const qsizetype at = static_cast<const char*>(equals) - data;
    qsizetype keyStart = start, keyEnd = at;
    trimRange(data, keyStart, keyEnd);
    if (keyStart == keyEnd)
        return shape;
    qsizetype valueStart = at + 1, valueEnd = end;
    trimRange(data, valueStart, valueEnd);
    shape.kind = LineKind::Key;
    shape.nameStart = keyStart;
    shape.nameLength = keyEnd - keyStart;
    shape.valueStart = valueStart;
    shape.valueLength = valueEnd - valueStart;
    return shape;
}

// Calls visit(lineStart, lineSize) for every line; CRLF, LF and a lone CR end a line.
// visit returns false to stop.
template <typename Visit>
void forEachLine(const char* data, qsizetype size, Visit visit)
{
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        if (!visit(data + pos, end - pos))
            return;
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
            pos = end + 2;
        else
            pos = end + 1;
    }
}

bool equalsFolded(const char* data, qsizetype size, const QByteArray& folded, ProfileCharset charset)
{
    if (size != folded.size())
        return false;
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (startsCharacter(b, charset) && i + 1 < size) {
            if (data[i] != folded[i] || data[i + 1] != folded[i + 1])
                return false;
            ++i;
            continue;
        }
        const char lowered = (b >= 'A' && b <= 'Z') ? char(b + 32) : char(b);
        if (lowered != folded[i])
            return false;
    }
    return true;
}

} // namespace

QByteArray foldName(const char* data, qsizetype size, ProfileCharset charset)
{
    QByteArray out(data, size);
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(out[i]);
        if (startsCharacter(b, charset))
            ++i;
        else if (b >= 'A' && b <= 'Z')
            out[i] = char(b + 32);
    }
    return out;
}

QByteArray trimmed(const QByteArray& text)
{
    qsizetype start = 0, end = text.size();
    trimRange(text.constData(), start, end);
    return text.mid(start, end - start);
}

QByteArray unquoted(const char* data, qsizetype size)
{
    if (size >= 2 && data[0] == '"' && data[size - 1] == '"') {
        ++data;
        size -= 2;
    }
    if (const void* nul = std::memchr(data, '\0', size_t(size)))
        size = static_cast<const char*>(nul) - data;
    return QByteArray(data, size);
}

QByteArray cutToReadBuffer(const QByteArray& value)
{
    const qsizetype size = value.size();
    if (size <= kReadCut)
        return value;
    qsizetype kept = 0;
    while (kept < size) {
        const qsizetype width = isLeadByte(static_cast<unsigned char>(value[kept])) && kept + 1 < size ? 2 : 1;
        if (kept + width > kReadCut)
            break;
        kept += width;
    }
    return value.left(kept);
}

QByteArray valueAsRead(const char* data, qsizetype size) { return cutToReadBuffer(unquoted(data, size)); }

QByteArray quotedForWrite(const QByteArray& value)
{
    const bool quoted = value.size() >= 2 && value.startsWith('"') && value.endsWith('"');
    const bool blankEnds = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    return quoted || blankEnds ? '"' + value + '"' : value;
}

std::optional<std::pair<const char*, qsizetype>> findValue(const QByteArray& text, const QByteArray& foldedSection,
                                                           const QByteArray& foldedKey, ProfileCharset charset)
{
    std::optional<std::pair<const char*, qsizetype>> found;
    enum { Before, Inside } state = Before;
    forEachLine(text.constData(), text.size(), [&](const char* line, qsizetype size) {
        const LineShape shape = shapeOf(line, size, charset);
        if (shape.kind == LineKind::Header) {
            if (state == Inside)
                return false; // the first section of that name has ended: the key is absent
            if (equalsFolded(line + shape.nameStart, shape.nameLength, foldedSection, charset))
                state = Inside;
            return true;
        }
        if (state == Inside && shape.kind == LineKind::Key
            && equalsFolded(line + shape.nameStart, shape.nameLength, foldedKey, charset)) {
            found = std::make_pair(line + shape.valueStart, shape.valueLength);
            return false;
        }
        return true;
    });
    return found;
}

} // namespace profilebytes

using namespace profilebytes;

namespace {

// Short UTF-8 text can also be valid CP932 (then as other characters); the suite's own
// encoding wins there, so only text that CP932 cannot read is taken as UTF-8. ASCII is CP932.
bool readsOnlyAsUtf8(const QByteArray& text) { return QUtf8StringView(text).isValidUtf8() && !isCp932(text); }

} // namespace

QByteArray profileText(const QByteArray& fileBytes, ProfileEncoding* encoding)
{
    *encoding = {};
    const auto utf16 = [&](QStringDecoder::Encoding which) {
        encoding->charset = ProfileCharset::Utf8;
        encoding->name = "UTF-16";
        encoding->unwritable = QStringLiteral("UTF-16 で保存された設定ファイルには書き込めません");
        QStringDecoder decode(which, QStringDecoder::Flag::ConvertInvalidToNull);
        return QString(decode(fileBytes)).toUtf8();
    };
    if (fileBytes.startsWith("\xFF\xFE"))
        return utf16(QStringDecoder::Utf16LE);
    if (fileBytes.startsWith("\xFE\xFF"))
        return utf16(QStringDecoder::Utf16BE);
    const bool bom = fileBytes.startsWith("\xEF\xBB\xBF");
    const QByteArray text = bom ? fileBytes.mid(3) : fileBytes;
    if (bom)
        encoding->prefix = fileBytes.left(3);
    if (text.contains('\0')) {
        // UTF-16 without a mark, or no text at all: read what can be read, never write it.
        encoding->unwritable = QStringLiteral("設定ファイルが文字コード CP932 のテキストではないため書き込めません");
        return text;
    }
    if (bom) {
        QStringDecoder strict(QStringDecoder::Utf8);
        const QString decoded = strict(text);
        if (!strict.hasError()) {
            encoding->charset = ProfileCharset::Utf8;
            encoding->name = "UTF-8 (BOM 付き)";
        }
    } else if (readsOnlyAsUtf8(text)) {
        encoding->charset = ProfileCharset::Utf8;
        encoding->name = "UTF-8 (BOM なし)";
    }
    return text;
}

QByteArray encodeProfileText(const QString& text, ProfileCharset charset)
{
    return charset == ProfileCharset::Utf8 ? text.toUtf8() : toCp932(text);
}

QString decodeProfileText(const QByteArray& bytes, ProfileCharset charset)
{
    return charset == ProfileCharset::Utf8 ? QString::fromUtf8(bytes) : fromCp932(bytes);
}

QString cutToReadBuffer(const QString& value)
{
    if (cp932Length(value) <= kReadCut)
        return value;
    // Whole characters while their CP932 bytes fit, as the buffer receives them.
    qsizetype bytes = 0, kept = 0;
    while (kept < value.size()) {
        const qsizetype width = value[kept].isHighSurrogate() && kept + 1 < value.size() ? 2 : 1;
        const qsizetype size = cp932Length(value.mid(kept, width));
        if (bytes + size > kReadCut)
            break;
        bytes += size;
        kept += width;
    }
    return value.left(kept);
}

ProfileDocument::ProfileDocument(const QByteArray& fileBytes)
{
    const QByteArray bytes = profileText(fileBytes, &m_encoding);
    m_sections.emplace_back(); // lines before the first section
    forEachLine(bytes.constData(), bytes.size(), [&](const char* data, qsizetype size) {
        const QByteArray raw(data, size);
        const LineShape shape = shapeOf(data, size, charset());
        if (shape.kind == LineKind::Header) {
            Section section;
            section.hasHeader = true;
            section.headerRaw = raw;
            section.foldedName = foldName(data + shape.nameStart, shape.nameLength, charset());
            m_sections.push_back(std::move(section));
        } else {
            m_sections.back().lines.push_back(makeLine(raw));
        }
        return true;
    });
}

ProfileDocument::Line ProfileDocument::makeLine(const QByteArray& raw) const
{
    Line line;
    line.raw = raw;
    const LineShape shape = shapeOf(raw.constData(), raw.size(), charset());
    if (shape.kind == LineKind::Key) {
        line.foldedKey = foldName(raw.constData() + shape.nameStart, shape.nameLength, charset());
        line.keyStart = shape.nameStart;
        line.keyLength = shape.nameLength;
        line.valueStart = shape.valueStart;
        line.valueLength = shape.valueLength;
    }
    return line;
}

ProfileDocument::Line ProfileDocument::makeKeyLine(const QByteArray& key, const QByteArray& value) const
{
    Line line;
    line.raw.reserve(key.size() + 1 + value.size());
    line.raw.append(key).append('=').append(value);
    line.foldedKey = fold(key);
    line.keyStart = 0;
    line.keyLength = key.size();
    line.valueStart = key.size() + 1;
    line.valueLength = value.size();
    return line;
}

QByteArray ProfileDocument::serialize() const
{
    qsizetype total = 0;
    for (const Section& section : m_sections) {
        total += section.headerRaw.size() + 2;
        for (const Line& line : section.lines)
            total += line.raw.size() + 2;
    }
    QByteArray out = m_encoding.prefix;
    out.reserve(total + out.size());
    for (const Section& section : m_sections) {
        if (section.hasHeader)
            out.append(section.headerRaw).append("\r\n");
        for (const Line& line : section.lines)
            out.append(line.raw).append("\r\n");
    }
    return out;
}

bool ProfileDocument::isEmpty() const
{
    return m_sections.size() <= 1 && (m_sections.empty() || m_sections.front().lines.empty());
}

const ProfileDocument::Section* ProfileDocument::findSection(const QByteArray& foldedName) const
{
    for (const Section& section : m_sections)
        if (section.hasHeader && section.foldedName == foldedName)
            return &section;
    return nullptr;
}

ProfileDocument::Section* ProfileDocument::findSection(const QByteArray& foldedName)
{
    return const_cast<Section*>(std::as_const(*this).findSection(foldedName));
}

qsizetype ProfileDocument::findKey(const Section& section, const QByteArray& foldedKey)
{
    for (size_t i = 0; i < section.lines.size(); ++i)
        if (section.lines[i].foldedKey == foldedKey)
            return qsizetype(i);
    return -1;
}

ProfileDocument::Section& ProfileDocument::appendSection(const QByteArray& name)
{
    if (m_sections.empty())
        m_sections.emplace_back();
    Section section;
    section.hasHeader = true;
    section.headerRaw = '[' + name + ']';
    section.foldedName = fold(name);
    m_sections.push_back(std::move(section));
    return m_sections.back();
}

std::optional<QByteArray> ProfileDocument::value(const QByteArray& section, const QByteArray& key) const
{
    const Section* found = findSection(fold(section));
    if (!found)
        return std::nullopt;
    const qsizetype at = findKey(*found, fold(key));
    if (at < 0)
        return std::nullopt;
    return found->lines[size_t(at)].value();
}

std::vector<std::pair<QByteArray, QByteArray>> ProfileDocument::sectionLines(const QByteArray& section) const
{
    std::vector<std::pair<QByteArray, QByteArray>> lines;
    if (const Section* found = findSection(fold(section)))
        for (const Line& line : found->lines)
            if (line.isKey())
                lines.emplace_back(line.key(), line.value());
    return lines;
}

bool ProfileDocument::setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    Section* found = findSection(fold(section));
    if (!found) {
        appendSection(section).lines.push_back(makeKeyLine(key, value));
        return true;
    }
    const QByteArray foldedKey = fold(key);
    const qsizetype at = findKey(*found, foldedKey);
    if (at >= 0) {
        Line& line = found->lines[size_t(at)];
        if (line.value() == value)
            return false;
        // The stored spelling of the name stays; the line is rewritten as name=value.
        line = makeKeyLine(line.key(), value);
        return true;
    }
    size_t insertAt = 0;
    for (size_t i = found->lines.size(); i > 0; --i) {
        if (found->lines[i - 1].isKey()) {
            insertAt = i;
            break;
        }
    }
    found->lines.insert(found->lines.begin() + qsizetype(insertAt), makeKeyLine(key, value));
    return true;
}

bool ProfileDocument::removeKey(const QByteArray& section, const QByteArray& key)
{
    Section* found = findSection(fold(section));
    if (!found)
        return false;
    // Every line of that name goes, so that no later duplicate surfaces as the value.
    const QByteArray foldedKey = fold(key);
    const auto before = found->lines.size();
    std::erase_if(found->lines, [&](const Line& line) { return line.foldedKey == foldedKey; });
    return found->lines.size() != before;
}

bool ProfileDocument::removeSection(const QByteArray& section)
{
    const QByteArray folded = fold(section);
    const auto before = m_sections.size();
    std::erase_if(m_sections, [&](const Section& s) { return s.hasHeader && s.foldedName == folded; });
    return m_sections.size() != before;
}

bool ProfileDocument::replaceSection(const QByteArray& section,
                                     const std::vector<std::pair<QByteArray, QByteArray>>& lines)
{
    Section* found = findSection(fold(section));
    const bool created = !found;
    if (!found)
        found = &appendSection(section);
    // Blank lines that end the old body separate it from the next section; they stay.
    std::vector<Line> body;
    body.reserve(lines.size() + 1);
    for (const auto& [key, value] : lines)
        body.push_back(makeKeyLine(key, value));
    size_t trailing = found->lines.size();
    while (trailing > 0 && trimmed(found->lines[trailing - 1].raw).isEmpty())
        --trailing;
    for (size_t i = trailing; i < found->lines.size(); ++i)
        body.push_back(found->lines[i]);
    bool same = body.size() == found->lines.size();
    for (size_t i = 0; same && i < body.size(); ++i)
        same = body[i].raw == found->lines[i].raw;
    if (same)
        return created;
    found->lines = std::move(body);
    return true;
}

} // namespace corvane
