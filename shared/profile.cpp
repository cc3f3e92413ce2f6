#include "profile.h"

#include "log.h"
#include "profiledocument.h"
#include "profilefile.h"
#include "textcodec.h"

#include <QFile>

namespace corvane {
namespace {

using Lines = std::vector<std::pair<QByteArray, QByteArray>>;

QByteArray encodeName(const QString& name) { return profilebytes::trimmed(toCp932(name)); }

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

// A name or value that the file could not hold as one line would change other entries when
// read back; such a write is refused instead of corrupting the file.
QString invalidSection(const QString& section)
{
    const QString name = section.trimmed();
    if (name.isEmpty() || hasLineBreak(name) || name.contains(QLatin1Char(']')))
        return QStringLiteral("設定ファイルのセクション名に使えない文字があります: [%1]").arg(section);
    return {};
}

QString invalidKey(const QString& section, const QString& key)
{
    const QString name = key.trimmed();
    if (name.isEmpty() || hasLineBreak(name) || name.contains(QLatin1Char('='))
        || name.startsWith(QLatin1Char(';')) || name.startsWith(QLatin1Char('[')))
        return QStringLiteral("設定ファイルのキー名に使えない文字があります: [%1] %2").arg(section, key);
    return {};
}

QString invalidValue(const QString& section, const QString& key, const QString& value)
{
    if (hasLineBreak(value))
        return QStringLiteral("改行を含む値は設定ファイルに書き込めません: [%1] %2").arg(section, key);
    return {};
}

// A section body as stored; *invalid names the first section name, key or value that the
// file cannot hold (empty when all can).
Lines encodeSectionBody(const QString& section, const QList<ProfileLine>& lines, QString* invalid)
{
    *invalid = invalidSection(section);
    Lines encoded;
    encoded.reserve(size_t(lines.size()));
    for (const ProfileLine& line : lines) {
        if (invalid->isEmpty())
            *invalid = invalidKey(section, line.key);
        if (invalid->isEmpty())
            *invalid = invalidValue(section, line.key, line.value);
        encoded.emplace_back(encodeName(line.key), toCp932(line.value));
    }
    return encoded;
}

QString fromStored(const QByteArray& value)
{
    return fromCp932(value);
}

QList<ProfileLine> decodeLines(const Lines& lines)
{
    QList<ProfileLine> out;
    out.reserve(qsizetype(lines.size()));
    for (const auto& [key, value] : lines)
        out.append({fromCp932(key), fromStored(profilebytes::unquoted(value.constData(), value.size()))});
    return out;
}

bool fail(QString* error, const QString& text)
{
    logLine(text);
    if (error)
        *error = text;
    return false;
}

// One locked read-change-replace cycle. change returns whether the document changed;
// an unchanged document is not written (and a missing file is not created).
template<typename Change>
bool modify(const QString& path, Change change, QString* error)
{
    ProfileLock lock(path);
    if (!lock.isLocked())
        return fail(error, lock.error());
    QByteArray bytes;
    QString readError;
    if (!readProfileBytes(path, &bytes, &readError))
        return fail(error, readError);
    ProfileDocument document(bytes);
    if (!change(document))
        return true;
    QString writeError;
    if (!replaceProfileFile(path, document.serialize(), &writeError))
        return fail(error, writeError);
    return true;
}

} // namespace

namespace profile {

QString readString(const QString& path, const QString& section, const QString& key)
{
    QByteArray bytes;
    QString error;
    if (!readProfileBytes(path, &bytes, &error)) {
        logLine(error);
        return {};
    }
    bytes = profilebytes::normalizedFileBytes(bytes);
    const auto found = profilebytes::findValue(bytes, profilebytes::foldName(encodeName(section)),
                                               profilebytes::foldName(encodeName(key)));
    if (!found)
        return {};
    return fromStored(profilebytes::valueAsRead(found->first, found->second));
}

bool writeString(const QString& path, const QString& section, const QString& key, const QString& value,
                 QString* error)
{
    QString invalid = invalidSection(section);
    if (invalid.isEmpty())
        invalid = invalidKey(section, key);
    if (invalid.isEmpty())
        invalid = invalidValue(section, key, value);
    if (!invalid.isEmpty())
        return fail(error, invalid);
    const QByteArray s = encodeName(section), k = encodeName(key), v = toCp932(value);
    return modify(path, [&](ProfileDocument& d) { return d.setValue(s, k, v); }, error);
}

bool deleteKey(const QString& path, const QString& section, const QString& key, QString* error)
{
    if (!QFile::exists(path))
        return true;
    const QByteArray s = encodeName(section), k = encodeName(key);
    return modify(path, [&](ProfileDocument& d) { return d.removeKey(s, k); }, error);
}

bool deleteSection(const QString& path, const QString& section, QString* error)
{
    if (!QFile::exists(path))
        return true;
    const QByteArray s = encodeName(section);
    return modify(path, [&](ProfileDocument& d) { return d.removeSection(s); }, error);
}

bool writeSection(const QString& path, const QString& section, const QList<ProfileLine>& lines, QString* error)
{
    QString invalid;
    Lines encoded = encodeSectionBody(section, lines, &invalid);
    if (!invalid.isEmpty())
        return fail(error, invalid);
    const QByteArray s = encodeName(section);
    return modify(path, [&](ProfileDocument& d) { return d.replaceSection(s, encoded); }, error);
}

QList<ProfileLine> readSection(const QString& path, const QString& section)
{
    QByteArray bytes;
    QString error;
    if (!readProfileBytes(path, &bytes, &error)) {
        logLine(error);
        return {};
    }
    return decodeLines(ProfileDocument(bytes).sectionLines(encodeName(section)));
}

} // namespace profile

QString cutToReadBuffer(const QString& value)
{
    const QByteArray bytes = toCp932(value);
    if (bytes.size() <= 254)
        return value;
    return fromCp932(profilebytes::cutToReadBuffer(bytes));
}

QString readCut(const ProfileTransaction& tx, const QString& section, const QString& key)
{
    return cutToReadBuffer(tx.readString(section, key));
}

// ---- ProfileTransaction ----

struct ProfileTransaction::Operation {
    enum class Kind { Write, DeleteKey, DeleteSection, WriteSection } kind;
    QByteArray section, key, value;
    Lines lines;

    bool applyTo(ProfileDocument& document) const
    {
        switch (kind) {
        case Kind::Write: return document.setValue(section, key, value);
        case Kind::DeleteKey: return document.removeKey(section, key);
        case Kind::DeleteSection: return document.removeSection(section);
        case Kind::WriteSection: return document.replaceSection(section, lines);
        }
        return false;
    }
};

ProfileTransaction::ProfileTransaction(const QString& path) : m_path(path)
{
    QByteArray bytes;
    QString error;
    if (!readProfileBytes(path, &bytes, &error))
        logLine(error);
    m_view = std::make_unique<ProfileDocument>(bytes);
}

ProfileTransaction::~ProfileTransaction() = default;

QString ProfileTransaction::readString(const QString& section, const QString& key) const
{
    const auto value = m_view->value(encodeName(section), encodeName(key));
    if (!value)
        return {};
    return fromStored(profilebytes::valueAsRead(value->constData(), value->size()));
}

QList<ProfileLine> ProfileTransaction::readSection(const QString& section) const
{
    return decodeLines(m_view->sectionLines(encodeName(section)));
}

bool ProfileTransaction::hasKey(const QString& section, const QString& key) const
{
    return m_view->value(encodeName(section), encodeName(key)).has_value();
}

void ProfileTransaction::record(Operation operation, const QString& invalid)
{
    if (!invalid.isEmpty()) {
        if (m_invalid.isEmpty())
            m_invalid = invalid;
        return;
    }
    operation.applyTo(*m_view);
    m_operations.push_back(std::move(operation));
}

void ProfileTransaction::writeString(const QString& section, const QString& key, const QString& value)
{
    QString invalid = invalidSection(section);
    if (invalid.isEmpty())
        invalid = invalidKey(section, key);
    if (invalid.isEmpty())
        invalid = invalidValue(section, key, value);
    record({Operation::Kind::Write, encodeName(section), encodeName(key), toCp932(value), {}}, invalid);
}

void ProfileTransaction::deleteKey(const QString& section, const QString& key)
{
    record({Operation::Kind::DeleteKey, encodeName(section), encodeName(key), {}, {}}, {});
}

void ProfileTransaction::deleteSection(const QString& section)
{
    record({Operation::Kind::DeleteSection, encodeName(section), {}, {}, {}}, {});
}

void ProfileTransaction::writeSection(const QString& section, const QList<ProfileLine>& lines)
{
    QString invalid;
    Lines encoded = encodeSectionBody(section, lines, &invalid);
    record({Operation::Kind::WriteSection, encodeName(section), {}, {}, std::move(encoded)}, invalid);
}

bool ProfileTransaction::commit(QString* error)
{
    // A refused operation fails the whole transaction: writing the rest would store half a save.
    if (!m_invalid.isEmpty())
        return fail(error, m_invalid);
    if (m_operations.empty())
        return true;
    auto committed = std::make_unique<ProfileDocument>();
    const bool ok = modify(m_path, [&](ProfileDocument& document) {
        bool changed = false;
        for (const Operation& operation : m_operations)
            changed = operation.applyTo(document) || changed;
        *committed = document;
        return changed;
    }, error);
    if (ok) {
        m_operations.clear();
        m_view = std::move(committed);
    }
    return ok;
}

} // namespace corvane
