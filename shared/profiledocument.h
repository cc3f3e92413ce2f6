#pragma once
// The settings file held as its lines, in the file's own bytes (CP932, or UTF-8 for a file
// saved with a UTF-8 byte-order mark or holding text that only UTF-8 reads). Untouched lines
// are kept byte for byte; only the lines an operation changes are rewritten, and the whole is
// written with CRLF ends. The rules for names, values, comments and duplicates are those of
// profile.h.
#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace corvane {

// The text encoding of a file's lines. In UTF-8 no byte of a multi-byte character is ASCII,
// so the byte-level rules need no lead-byte handling there.
enum class ProfileCharset { Cp932, Utf8 };

// What a file's bytes hold: the encoding of its text, the bytes kept in front of the text (a
// byte-order mark), and, for a file that must never be written (UTF-16, binary), why.
struct ProfileEncoding {
    ProfileCharset charset = ProfileCharset::Cp932;
    QByteArray prefix;
    QString unwritable;
    const char* name = "CP932"; // for the log
};

// Detects the encoding and returns the text part as the parser reads it (a UTF-16 file is
// converted to UTF-8 for reading). A UTF-8 byte-order mark before text that is not UTF-8 is a
// stray mark in front of CP932 text: the text is read as CP932 and the mark kept. Without a
// mark, text that is valid UTF-8 with multi-byte characters and is no CP932 is UTF-8 (as most
// Linux text editors save); text that reads either way stays CP932.
QByteArray profileText(const QByteArray& fileBytes, ProfileEncoding* encoding);

// Text in a file's encoding; characters without a form there are not checked here.
QByteArray encodeProfileText(const QString& text, ProfileCharset charset);
QString decodeProfileText(const QByteArray& bytes, ProfileCharset charset);

// Cuts a value as the 255-byte read buffer does, at a whole character.
QString cutToReadBuffer(const QString& value);

namespace profilebytes {

// True for a CP932 byte that starts a double-byte character.
inline bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// ASCII letters lowered, double-byte characters copied whole (their second byte may look like
// an ASCII letter), so that names compare as the profile functions compare them.
QByteArray foldName(const char* data, qsizetype size, ProfileCharset charset = ProfileCharset::Cp932);
inline QByteArray foldName(const QByteArray& name, ProfileCharset charset = ProfileCharset::Cp932)
{
    return foldName(name.constData(), name.size(), charset);
}

// Blanks and tabs cut from both ends.
QByteArray trimmed(const QByteArray& text);

// A stored value as readers see it: one pair of surrounding quotes and everything from the
// first NUL dropped.
QByteArray unquoted(const char* data, qsizetype size);
// At most 254 bytes, never ending in the first half of a double-byte character.
QByteArray cutToReadBuffer(const QByteArray& value);
// unquoted, then cut: what the 255-byte read buffer receives.
QByteArray valueAsRead(const char* data, qsizetype size);
// A value as written: wrapped in one more pair of quotes when reading would otherwise drop its
// own surrounding quotes or the blanks at its ends.
QByteArray quotedForWrite(const QByteArray& value);

// The raw value of section/key (names folded with foldName) in a file's text, found without
// building a document; nullopt when the section or key is absent.
std::optional<std::pair<const char*, qsizetype>> findValue(const QByteArray& text, const QByteArray& foldedSection,
                                                           const QByteArray& foldedKey,
                                                           ProfileCharset charset = ProfileCharset::Cp932);

} // namespace profilebytes

class ProfileDocument {
public:
    ProfileDocument() = default;
    explicit ProfileDocument(const QByteArray& fileBytes);

    QByteArray serialize() const;
    bool isEmpty() const;
    const ProfileEncoding& encoding() const { return m_encoding; }
    ProfileCharset charset() const { return m_encoding.charset; }

    // Names and values are bytes in the file's charset, names already trimmed. Values are as stored (no
    // quote removal, no cut).
    std::optional<QByteArray> value(const QByteArray& section, const QByteArray& key) const;
    std::vector<std::pair<QByteArray, QByteArray>> sectionLines(const QByteArray& section) const;

    // Each returns true when the document changed.
    bool setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    bool removeKey(const QByteArray& section, const QByteArray& key);
    bool removeSection(const QByteArray& section);
    bool replaceSection(const QByteArray& section, const std::vector<std::pair<QByteArray, QByteArray>>& lines);

private:
    struct Line {
        QByteArray raw;
        QByteArray foldedKey; // empty: not a key line
        qsizetype keyStart = 0, keyLength = 0, valueStart = 0, valueLength = 0;
        bool isKey() const { return !foldedKey.isEmpty(); }
        QByteArray key() const { return raw.mid(keyStart, keyLength); }
        QByteArray value() const { return raw.mid(valueStart, valueLength); }
    };
    struct Section {
        bool hasHeader = false; // false only for the lines before the first section
        QByteArray headerRaw;
        QByteArray foldedName;
        std::vector<Line> lines;
    };

    Line makeLine(const QByteArray& raw) const;
    Line makeKeyLine(const QByteArray& key, const QByteArray& value) const;
    QByteArray fold(const QByteArray& name) const { return profilebytes::foldName(name, charset()); }
    Section* findSection(const QByteArray& foldedName);
    const Section* findSection(const QByteArray& foldedName) const;
    static qsizetype findKey(const Section& section, const QByteArray& foldedKey);
    Section& appendSection(const QByteArray& name);

    ProfileEncoding m_encoding;
    std::vector<Section> m_sections;
};

} // namespace corvane
