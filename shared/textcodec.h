#pragma once
// CP932 text as Windows writes it: 0x8160 <-> U+FF5E, NEC and IBM extension characters
// round-trip. Built on glibc iconv "CP932" (never "SHIFT_JIS", which maps 0x5C to the yen
// sign). JIS-style code points that CP932 lacks (U+301C wave dash, U+2016, U+2212, ...) are
// written as the characters Windows would have stored for them.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane {

// Decodes CP932 bytes. A byte sequence that is not CP932 becomes U+FFFD; never fails.
QString fromCp932(const QByteArray& bytes);

// True when every byte sequence of bytes is a CP932 character (fromCp932 would need no U+FFFD).
bool isCp932(const QByteArray& bytes);

// Encodes to CP932. A character without a CP932 form becomes "?" (as Windows' best-fit
// does for unmapped characters); never fails.
QByteArray toCp932(const QString& text);

// The characters of text that have no CP932 form (toCp932 would store "?" for them), each
// once, in the order they first appear; empty when all can be stored.
QStringList cp932Unstorable(const QString& text);

// Length in CP932 bytes of text's encoding.
qsizetype cp932Length(const QString& text);

} // namespace corvane
