#pragma once
// A structural check of the Workbook stream before FreeXL parses it. FreeXL 1.0.6 trusts
// the string lengths of the shared string table and of a few other records, and a sheet's
// dimensions, and reads past its buffers or frees twice on a damaged file; the check
// refuses such streams first.
#include <QByteArray>
#include <QString>

namespace corvane::xls {

// True when the stream is BIFF8 (Excel 97 and later), every record lies inside the stream
// and within the format's record size, the strings of SST (with its CONTINUE records),
// BOUNDSHEET, FORMAT and LABEL fit the records that hold them, and each sheet has at most
// one DIMENSIONS record within 65536 rows × 256 columns. False with *error otherwise.
bool checkBiffStream(const QByteArray& stream, QString* error = nullptr);

} // namespace corvane::xls
