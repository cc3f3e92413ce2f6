#pragma once
// The Compound File (version 3, 512-byte sectors) that carries one stream, "Workbook".
#include <QByteArray>
#include <QString>

namespace corvane::xls {

// The whole file holding stream as its only stream. A stream under the mini-stream cutoff
// (4096 bytes) is padded with zeros up to it, since readers expect small streams in the mini
// stream otherwise. Returns an empty array and sets *error when the stream is too large for
// a file without extra FAT index sectors (about 7 MB).
QByteArray buildCompoundFile(const QByteArray& stream, const QString& streamName = QStringLiteral("Workbook"),
                             QString* error = nullptr);

} // namespace corvane::xls
