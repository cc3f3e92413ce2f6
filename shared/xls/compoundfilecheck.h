#pragma once
// A structural check of a Compound File before it is handed to FreeXL. FreeXL 1.0.6
// trusts the directory entries' name lengths and overruns a stack buffer on a damaged
// file; the runner reads a file that anything may have written, so it must never get there.
#include <QByteArray>
#include <QString>

namespace corvane::xls {

// True when the header is a Compound File header with 512- or 4096-byte sectors, the FAT
// and directory chains stay inside the file without loops, and every directory entry's
// name fits its 64-byte field as an even number of bytes ending in NUL, and every stream's
// sectors (or mini sectors) lie inside the file as far as its size says. False with *error
// otherwise. Nothing about the streams' contents is checked.
// workbookStream, when given, receives the "Workbook" (or older "Book") stream, empty
// when the file has neither.
bool checkCompoundFile(const QByteArray& file, QString* error = nullptr, QByteArray* workbookStream = nullptr);

} // namespace corvane::xls
