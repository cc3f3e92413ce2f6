#include "xls/xlsreader.h"

#include "xls/biffcheck.h"
#include "xls/compoundfilecheck.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <freexl.h>

namespace corvane::xls {

namespace {

// Far above any workbook of ours; keeps a stray huge file from being read into memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString openFailure(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("ファイルがありません");
    case FREEXL_BIFF_OBFUSCATED:
        return QStringLiteral("保護されたブックは読めません");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("メモリが足りません");
    default:
        return QStringLiteral("ブックの形式が正しくありません (FreeXL %1)").arg(code);
    }
}

ReadCell textCell(const char* utf8)
{
    ReadCell cell;
    cell.type = ReadCell::Type::Text;
    cell.text = QString::fromUtf8(utf8 ? utf8 : "");
    return cell;
}

// FreeXL hands dates and times over as text; a form it should not produce stays text, so
// that a caller who wants a date sees "not a date".
ReadCell dateTimeCell(unsigned char type, const char* text)
{
    const QString value = QString::fromUtf8(text ? text : "");
    ReadCell cell;
    if (type == FREEXL_CELL_DATE) {
        cell.date = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
        cell.type = ReadCell::Type::Date;
    } else if (type == FREEXL_CELL_TIME) {
        cell.time = QTime::fromString(value, QStringLiteral("HH:mm:ss"));
        cell.type = ReadCell::Type::Time;
    } else {
        const QDateTime dt = QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        cell.date = dt.date();
        cell.time = dt.time();
        cell.type = ReadCell::Type::DateTime;
    }
    const bool valid = (cell.type == ReadCell::Type::Time || cell.date.isValid())
                       && (cell.type == ReadCell::Type::Date || cell.time.isValid());
    return valid ? cell : textCell(text);
}

} // namespace

XlsReader::~XlsReader() { close(); }

void XlsReader::close()
{
    if (m_handle)
        freexl_close(m_handle);
    m_handle = nullptr;
    m_sheetNames.clear();
    m_rows = m_cols = 0;
}

bool XlsReader::open(const QString& path, QString* error)
{
    close();
    if (!QFileInfo(path).isFile()) {
        setError(error, QStringLiteral("ファイルがありません"));
        return false;
    }
    // FreeXL trusts parts of the container that a damaged file gets wrong; check them first.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("ファイルを開けません (%1)").arg(file.errorString()));
        return false;
    }
    if (file.size() > kMaxFileSize) {
        setError(error, QStringLiteral("ブックが大きすぎます"));
        return false;
    }
    QString why;
    QByteArray stream;
    if (!checkCompoundFile(file.readAll(), &why, &stream) || !checkBiffStream(stream, &why)) {
        setError(error, why);
        return false;
    }
    file.close();

    const void* handle = nullptr;
    const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
    if (rc != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        setError(error, openFailure(rc));
        return false;
    }
    m_handle = handle;
    unsigned int count = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
        close();
        setError(error, QStringLiteral("ブックの形式が正しくありません"));
        return false;
    }
    for (unsigned int i = 0; i < count && i < 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(m_handle, uint16_t(i), &name) == FREEXL_OK && name)
            m_sheetNames.append(QString::fromUtf8(name));
        else
            m_sheetNames.append(QString());
    }
    return true;
}

bool XlsReader::selectSheet(const QString& name, QString* error)
{
    const qsizetype index = m_handle ? m_sheetNames.indexOf(name) : -1;
    if (index < 0) {
        setError(error, QStringLiteral("ワークシート「%1」がありません").arg(name));
        return false;
    }
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (freexl_select_active_worksheet(m_handle, uint16_t(index)) != FREEXL_OK
        || freexl_worksheet_dimensions(m_handle, &rows, &cols) != FREEXL_OK) {
        setError(error, QStringLiteral("ワークシート「%1」を読めません").arg(name));
        return false;
    }
    m_rows = int(std::min<unsigned int>(rows, 1u << 20));
    m_cols = cols;
    return true;
}

ReadCell XlsReader::cell(int row, int col) const
{
    if (!m_handle || row < 0 || col < 0 || row >= m_rows || col >= m_cols)
        return {};
    FreeXL_CellValue value{};
    if (freexl_get_cell_value(m_handle, unsigned(row), uint16_t(col), &value) != FREEXL_OK)
        return {};
    ReadCell cell;
    switch (value.type) {
    case FREEXL_CELL_INT:
        cell.type = ReadCell::Type::Number;
        cell.number = value.value.int_value;
        return cell;
    case FREEXL_CELL_DOUBLE:
        cell.type = ReadCell::Type::Number;
        cell.number = value.value.double_value;
        return cell;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return textCell(value.value.text_value);
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return dateTimeCell(value.type, value.value.text_value);
    default:
        return {};
    }
}

} // namespace corvane::xls
