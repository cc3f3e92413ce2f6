#pragma once
// The settings file held as its lines, in CP932 bytes. Untouched lines are kept byte for byte;
// only the lines an operation changes are rewritten, and the whole is written with CRLF ends.
// The rules for names, values, comments and duplicates are those of profile.h.
#include <QByteArray>
#include <optional>
#include <utility>
#include <vector>

namespace corvane {

namespace profilebytes {

// True for a CP932 byte that starts a double-byte character.
inline bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// ASCII letters lowered, double-byte characters copied whole (their second byte may look like
// an ASCII letter), so that names compare as the profile functions compare them.
QByteArray foldName(const char* data, qsizetype size);
inline QByteArray foldName(const QByteArray& name) { return foldName(name.constData(), name.size()); }

// Blanks and tabs cut from both ends.
QByteArray trimmed(const QByteArray& text);

// A stored value as readers see it: one pair of surrounding quotes and everything from the
// first NUL dropped.
QByteArray unquoted(const char* data, qsizetype size);
// At most 254 bytes, never ending in the first half of a double-byte character.
QByteArray cutToReadBuffer(const QByteArray& value);
// unquoted, then cut: what the 255-byte read buffer receives.
QByteArray valueAsRead(const char* data, qsizetype size);

// The raw value of section/key (names folded with foldName) in file bytes, found without
// building a document; nullopt when the section or key is absent.
std::optional<std::pair<const char*, qsizetype>> findValue(const QByteArray& fileBytes,
                                                           const QByteArray& foldedSection,
                                                           const QByteArray& foldedKey);

// File bytes as CP932: a UTF-8 file (with BOM) converted, anything else unchanged.
QByteArray normalizedFileBytes(const QByteArray& fileBytes);

} // namespace profilebytes

class ProfileDocument {
public:
    ProfileDocument() = default;
    explicit ProfileDocument(const QByteArray& fileBytes);

    QByteArray serialize() const;
    bool isEmpty() const;

    // Names and values are CP932 bytes, names already trimmed. Values are as stored (no
    // quote removal, no cut).
    std::optional<QByteArray> value(const QByteArray& section, const QByteArray& key) const;
    std::vector<std::pair<QByteArray, QByteArray>> sectionLines(const QByteArray& section) const;

    // Each returns true when the document changed.
    bool setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    bool removeKey(const QByteArray& section, const QByteArray& key);
    bool removeSection(const QByteArray& section);
    bool replaceSection(const QByteArray& section,
                        const std::vector<std::pair<QByteArray, QByteArray>>& lines);

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

    static Line makeLine(const QByteArray& raw);
    static Line makeKeyLine(const QByteArray& key, const QByteArray& value);
    Section* findSection(const QByteArray& foldedName);
    const Section* findSection(const QByteArray& foldedName) const;
    static qsizetype findKey(const Section& section, const QByteArray& foldedKey);
    Section& appendSection(const QByteArray& name);

    std::vector<Section> m_sections;
};

} // namespace corvane
