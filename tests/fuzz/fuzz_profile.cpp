// The settings-file parser on arbitrary bytes: never crashes, the fast single-key lookup
// agrees with the full document, and writing a document back and reading it again changes
// nothing that readers see.
// fuzz-sources: profiledocument.cpp textcodec.cpp
#include "profiledocument.h"

#include <cstdint>
#include <cstdlib>

using namespace corvane;

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// Names to look up: taken from the input itself so that they often exist.
QByteArray pick(const QByteArray& data, size_t seed)
{
    if (data.isEmpty())
        return "a";
    const qsizetype start = qsizetype(seed % size_t(data.size()));
    const qsizetype length = qsizetype(1 + seed % 7);
    QByteArray name = profilebytes::trimmed(data.mid(start, length));
    name.replace('\r', ' ').replace('\n', ' ').replace('=', ' ').replace(']', ' ');
    name = profilebytes::trimmed(name);
    return name.isEmpty() ? QByteArray("a") : name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
    ProfileDocument document(data);
    const QByteArray normalized = profilebytes::normalizedFileBytes(data);

    for (size_t seed = 0; seed < 4; ++seed) {
        const QByteArray section = pick(data, size * 31 + seed * 7);
        const QByteArray key = pick(data, size * 17 + seed * 13 + 3);
        const auto fast = profilebytes::findValue(normalized, profilebytes::foldName(section),
                                                  profilebytes::foldName(key));
        const auto full = document.value(section, key);
        require(fast.has_value() == full.has_value());
        if (fast)
            require(QByteArray(fast->first, fast->second) == *full);
        const QByteArray read = profilebytes::valueAsRead(full ? full->constData() : "", full ? full->size() : 0);
        require(read.size() <= 254);
    }

    // Serialising is stable: a second round gives the same bytes.
    const QByteArray once = document.serialize();
    const QByteArray twice = ProfileDocument(once).serialize();
    require(once == twice);

    // A write then reads back as written, and other sections are untouched.
    const QByteArray section = pick(data, size);
    const QByteArray key = pick(data, size + 5);
    ProfileDocument changed(once);
    changed.setValue(section, key, "value");
    const ProfileDocument reread(changed.serialize());
    require(reread.value(section, key) == QByteArray("value"));
    changed.removeSection(section);
    require(!ProfileDocument(changed.serialize()).value(section, key).has_value());
    return 0;
}
