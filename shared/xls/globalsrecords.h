#pragma once
// Records of the workbook globals that frame the file: BOF/EOF, code page, window, date
// system, the Normal style and the sheet directory entry.
#include "xls/bytewriter.h"

namespace corvane::xls {

enum class BofType : uint16_t { Globals = 0x0005, Worksheet = 0x0010 };

void writeBof(ByteWriter& out, BofType type);
void writeEof(ByteWriter& out);
// UTF-16 (1200): every string we write is UTF-16.
void writeCodePage(ByteWriter& out);
void writeWindow1(ByteWriter& out);
// The 1900 date system.
void writeDateMode(ByteWriter& out);
// The built-in Normal style, bound to style XF 0.
void writeNormalStyle(ByteWriter& out);
// Writes BOUNDSHEET with a zero offset; returns the position of the offset field, to be
// patched with the sheet's BOF position once it is known.
int writeBoundSheet(ByteWriter& out, const QString& name);

} // namespace corvane::xls
