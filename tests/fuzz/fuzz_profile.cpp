// The settings-file parser on arbitrary bytes: never crashes, the fast single-key lookup
// agrees with the full document, and writing a document back and reading it again changes
// nothing that readers see.
// fuzz-sources: profiledocument.cpp textcodec.cpp
#include "fuzzrequire.h"
#include "profiledocument.h"

#include <cstdint>

using namespace corvane;

namespace {

// Names to look up: taken from the input itself so that they often exist, then made into
// names the library's callers can pass (whole characters, no line break, "=", "]", and no
// leading ";" or "[").
QByteArray pick(const QByteArray& data, size_t seed)
{
    if (data.isEmpty())
        return "a";
    const qsizetype start = qsizetype(seed % size_t(data.size()));
    const qsizetype length = qsizetype(1 + seed % 7);
    QByteArray name;
    const QByteArray raw = data.mid(start, length);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (profilebytes::isLeadByte(static_cast<unsigned char>(c))) {
            const auto trail = i + 1 < raw.size() ? static_cast<unsigned char>(raw[i + 1]) : 0;
            if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F)
                name.append(c).append(char(trail));
            ++i;
        } else if (c != '\r' && c != '\n' && c != '=' && c != ']' && c != '\0') {
            name.append(c);
        }
    }
    name = profilebytes::trimmed(name);
    while (name.startsWith(';') || name.startsWith('['))
        name = profilebytes::trimmed(name.mid(1));
    return name.isEmpty() ? QByteArray("a") : name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
    ProfileDocument document(data);
    ProfileEncoding encoding;
    const QByteArray text = profileText(data, &encoding);

    for (size_t seed = 0; seed < 4; ++seed) {
        const QByteArray section = pick(data, size * 31 + seed * 7);
        const QByteArray key = pick(data, size * 17 + seed * 13 + 3);
        const auto fast = profilebytes::findValue(text, profilebytes::foldName(section, encoding.charset),
                                                  profilebytes::foldName(key, encoding.charset), encoding.charset);
        const auto full = document.value(section, key);
        REQUIRE(fast.has_value() == full.has_value());
        if (fast)
            REQUIRE(QByteArray(fast->first, fast->second) == *full);
        const QByteArray read = profilebytes::valueAsRead(full ? full->constData() : "", full ? full->size() : 0);
        REQUIRE(read.size() <= 254);
    }

    // Serialising is stable: a second round gives the same bytes.
    const QByteArray once = document.serialize();
    const QByteArray twice = ProfileDocument(once).serialize();
    REQUIRE(once == twice);

    // A write then reads back as written, and other sections are untouched.
    const QByteArray section = pick(data, size);
    const QByteArray key = pick(data, size + 5);
    ProfileDocument changed(once);
    changed.setValue(section, key, "value");
    const ProfileDocument reread(changed.serialize());
    REQUIRE(reread.value(section, key) == QByteArray("value"));
    changed.removeSection(section);
    REQUIRE(!ProfileDocument(changed.serialize()).value(section, key).has_value());
    return 0;
}
