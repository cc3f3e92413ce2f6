#pragma once
// The shared string table (SST) and its index (EXTSST). Text cells refer to strings by
// their position in the table.
#include "xls/bytewriter.h"

#include <QHash>
#include <QStringList>

namespace corvane::xls {

// Collects unique strings in first-use order.
class StringTable {
public:
    // Index of text in the table, adding it on first use.
    uint32_t add(const QString& text);
    const QStringList& strings() const { return m_strings; }
    uint32_t references() const { return m_references; }

private:
    QStringList m_strings;
    QHash<QString, uint32_t> m_index;
    uint32_t m_references = 0;
};

// Writes SST (split into CONTINUE records as the format requires: a string's header stays
// with its first character, a continued string starts with a fresh flags byte) and EXTSST.
// out's position 0 must be the start of the Workbook stream, as EXTSST holds stream offsets.
void writeSst(ByteWriter& out, const StringTable& table);

} // namespace corvane::xls
