#pragma once
// Reads the cells of an Excel 97-2003 workbook (ours, or one re-saved by a spreadsheet
// application) through FreeXL. Dates and times come back as values, decided as the
// spreadsheet decides them: from the cell's number format.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

namespace corvane::xls {

struct ReadCell {
    enum class Type { Empty, Number, Text, Date, Time, DateTime };
    Type type = Type::Empty;
    double number = 0; // Number
    QString text;      // Text
    QDate date;        // Date, DateTime
    QTime time;        // Time, DateTime
    bool isEmpty() const { return type == Type::Empty; }
};

class XlsReader {
public:
    XlsReader() = default;
    ~XlsReader();
    XlsReader(const XlsReader&) = delete;
    XlsReader& operator=(const XlsReader&) = delete;

    // Opens the file. False with *error (the reason; callers name the file) when it is
    // missing, not a workbook, encrypted or damaged.
    bool open(const QString& path, QString* error = nullptr);
    void close();

    QStringList sheetNames() const { return m_sheetNames; }
    // Makes the sheet of that name (exact match) the one cell() reads. False with *error when
    // the workbook has no such sheet or it cannot be read.
    bool selectSheet(const QString& name, QString* error = nullptr);
    int rowCount() const { return m_rows; }
    int columnCount() const { return m_cols; }

    // The cell at row, col (from 0) of the selected sheet; Empty outside the used area.
    ReadCell cell(int row, int col) const;

private:
    const void* m_handle = nullptr;
    QStringList m_sheetNames;
    int m_rows = 0;
    int m_cols = 0;
};

} // namespace corvane::xls
