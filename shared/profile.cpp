#include "profile.h"

#include "log.h"
#include "profiledocument.h"
#include "profilefile.h"
#include "textcodec.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QStringList>

namespace corvane {
namespace {

QByteArray encodeName(const QString& name, ProfileCharset charset)
{
    return profilebytes::trimmed(encodeProfileText(name, charset));
}

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
    if (name.isEmpty() || hasLineBreak(name) || name.contains(QLatin1Char('=')) || name.startsWith(QLatin1Char(';'))
        || name.startsWith(QLatin1Char('[')))
        return QStringLiteral("設定ファイルのキー名に使えない文字があります: [%1] %2").arg(section, key);
    return {};
}

QString invalidValue(const QString& section, const QString& key, const QString& value)
{
    if (hasLineBreak(value))
        return QStringLiteral("改行を含む値は設定ファイルに書き込めません: [%1] %2").arg(section, key);
    return {};
}

QString invalidWrite(const QString& section, const QString& key, const QString& value)
{
    QString invalid = invalidSection(section);
    if (invalid.isEmpty())
        invalid = invalidKey(section, key);
    if (invalid.isEmpty())
        invalid = invalidValue(section, key, value);
    return invalid;
}

QString invalidBody(const QString& section, const QList<ProfileLine>& lines)
{
    QString invalid = invalidSection(section);
    for (const ProfileLine& line : lines) {
        if (!invalid.isEmpty())
            break;
        invalid = invalidKey(section, line.key);
        if (invalid.isEmpty())
            invalid = invalidValue(section, line.key, line.value);
    }
    return invalid;
}

// Names and values that a CP932 file cannot hold would be stored as "?": refused instead.
QString unstorableIn(ProfileCharset charset, const QStringList& texts)
{
    if (charset != ProfileCharset::Cp932)
        return {};
    QStringList characters;
    for (const QString& text : texts)
        for (const QString& c : cp932Unstorable(text))
            if (!characters.contains(c))
                characters.append(c);
    return characters.isEmpty() ? QString() : unstorableMessage(characters);
}

QString valueAsRead(const QByteArray& stored, ProfileCharset charset)
{
    if (charset == ProfileCharset::Cp932)
        return fromCp932(profilebytes::valueAsRead(stored.constData(), stored.size()));
    return cutToReadBuffer(QString::fromUtf8(profilebytes::unquoted(stored.constData(), stored.size())));
}

QList<ProfileLine> decodeLines(const std::vector<std::pair<QByteArray, QByteArray>>& lines, ProfileCharset charset)
{
    QList<ProfileLine> out;
    out.reserve(qsizetype(lines.size()));
    for (const auto& [key, value] : lines)
        out.append({decodeProfileText(key, charset),
                    decodeProfileText(profilebytes::unquoted(value.constData(), value.size()), charset)});
    return out;
}

// A caller that takes the reason reports it with its own context (log line, message box);
// logged here as well, one failure would show up twice in the log.
const QString kCommitInsideUpdate =
    QStringLiteral("設定ファイルの更新の途中で書き込もうとしたため、何も書き込みません");

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    else
        logLine(text);
    return false;
}

} // namespace

QString unstorableMessage(const QStringList& characters)
{
    QStringList quoted;
    for (const QString& c : characters)
        quoted.append(QStringLiteral("「%1」").arg(c));
    return QStringLiteral("%1は設定ファイルに保存できない文字です。別の文字に置き換えてください")
        .arg(quoted.join(QString()));
}

QString checkStorable(const QString& text) { return unstorableIn(ProfileCharset::Cp932, {text}); }

// ---- operations ----

struct ProfileTransaction::Operation {
    enum class Kind { Write, DeleteKey, DeleteSection, WriteSection } kind;
    QString section, key, value;
    QList<ProfileLine> lines;

    QStringList texts() const
    {
        QStringList all{section, key, value};
        for (const ProfileLine& line : lines)
            all << line.key << line.value;
        return all;
    }

    // Applies the operation in the document's own encoding. False with *error when the
    // document cannot hold it (a character without a form in the file's encoding).
    bool applyTo(ProfileDocument& document, bool* changed, QString* error) const
    {
        const ProfileCharset charset = document.charset();
        if (kind == Kind::Write || kind == Kind::WriteSection) {
            if (QString why = unstorableIn(charset, texts()); !why.isEmpty()) {
                *error = why;
                return false;
            }
        }
        const QByteArray s = encodeName(section, charset);
        bool did = false;
        switch (kind) {
        case Kind::Write:
            did = document.setValue(s, encodeName(key, charset),
                                    profilebytes::quotedForWrite(encodeProfileText(value, charset)));
            break;
        case Kind::DeleteKey:
            did = document.removeKey(s, encodeName(key, charset));
            break;
        case Kind::DeleteSection:
            did = document.removeSection(s);
            break;
        case Kind::WriteSection: {
            std::vector<std::pair<QByteArray, QByteArray>> body;
            body.reserve(size_t(lines.size()));
            for (const ProfileLine& line : lines)
                body.emplace_back(encodeName(line.key, charset),
                                  profilebytes::quotedForWrite(encodeProfileText(line.value, charset)));
            did = document.replaceSection(s, body);
            break;
        }
        }
        *changed = *changed || did;
        return true;
    }
};

namespace {

using Operations = std::vector<ProfileTransaction::Operation>;

// Tells once per file and process which encoding other than CP932 its text was read in, so
// that a user whose keys are not found can see how the file was taken. Every program's load
// begins with a snapshot, so that is where it is told.
void noteEncoding(const QString& path, const ProfileEncoding& encoding)
{
    static QMutex mutex;
    static QHash<QString, QByteArray> lastNamed;
    const QMutexLocker locker(&mutex);
    QByteArray& last = lastNamed[path];
    if (last == encoding.name)
        return;
    last = encoding.name;
    if (encoding.charset != ProfileCharset::Cp932)
        logLine(QStringLiteral("設定ファイル %1 を文字コード %2 として読み込みます")
                    .arg(path, QString::fromUtf8(encoding.name)));
}

// The file as it is under the lock just taken; false with *error when the lock or the read fails.
bool readLocked(const ProfileLock& lock, const QString& path, QByteArray* bytes, FileStamp* stamp, QString* error)
{
    if (!lock.isLocked())
        return fail(error, lock.error());
    QString readError;
    if (!readSettledProfileBytes(path, bytes, &readError, stamp))
        return fail(error, readError);
    return true;
}

enum class Decision { Write, Keep, Refuse };

// What a step decides on the bytes read under the lock: the document to write (Write), nothing
// to write (Keep), or a refusal with *why (Refuse).
using Decide = std::function<Decision(const QByteArray& bytes, ProfileDocument* document, QString* why)>;

// A text editor saves without the lock; how often a step reads again when the file changed
// between its read and its replace before it gives up.
constexpr int kReadAttempts = 10;
const QString kChangedSinceRead = QStringLiteral(
    "設定ファイル %1 が読み込みの後に他のプログラムによって書き換えられたため、読み直してから書き込みます");
const QString kKeptChanging =
    QStringLiteral("設定ファイル %1 が他のプログラムによって書き換えられ続けているため書き込めません");

// One locked read-decide-replace step. The replace happens only on the file that was read: a
// save that came in between is read again and decided on again, so it is never overwritten.
bool rewriteLocked(const QString& path, const Decide& decide, QString* error)
{
    ProfileLock lock(path);
    for (int attempt = 1;; ++attempt) {
        QByteArray bytes;
        FileStamp stamp;
        if (!readLocked(lock, path, &bytes, &stamp, error))
            return false;
        ProfileDocument document;
        QString why;
        const Decision decision = decide(bytes, &document, &why);
        if (decision == Decision::Keep)
            return true;
        if (decision == Decision::Refuse)
            return fail(error, why);
        if (!document.encoding().unwritable.isEmpty())
            return fail(error, QStringLiteral("%1: %2").arg(document.encoding().unwritable, path));
        QString writeError;
        bool changed = false;
        if (replaceProfileFile(path, document.serialize(), &writeError, &lock, &stamp, &changed))
            return true;
        if (!changed)
            return fail(error, writeError);
        if (attempt == kReadAttempts)
            return fail(error, kKeptChanging.arg(path));
        logLine(kChangedSinceRead.arg(path));
    }
}

// One locked read-change-replace cycle. An unchanged document is not written (and a missing
// file is not created).
bool modify(const QString& path, const Operations& operations, QString* error, ProfileDocument* result = nullptr)
{
    return rewriteLocked(
        path,
        [&](const QByteArray& bytes, ProfileDocument* document, QString* why) {
            *document = ProfileDocument(bytes);
            bool changed = false;
            for (const auto& operation : operations) {
                if (!operation.applyTo(*document, &changed, why))
                    return Decision::Refuse;
            }
            if (result)
                *result = *document;
            return changed ? Decision::Write : Decision::Keep;
        },
        error);
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
    ProfileEncoding encoding;
    const QByteArray text = profileText(bytes, &encoding);
    const ProfileCharset charset = encoding.charset;
    const auto found = profilebytes::findValue(text, profilebytes::foldName(encodeName(section, charset), charset),
                                               profilebytes::foldName(encodeName(key, charset), charset), charset);
    if (!found)
        return {};
    return valueAsRead(QByteArray(found->first, found->second), charset);
}

bool writeString(const QString& path, const QString& section, const QString& key, const QString& value, QString* error)
{
    if (QString invalid = invalidWrite(section, key, value); !invalid.isEmpty())
        return fail(error, invalid);
    return modify(path, {{ProfileTransaction::Operation::Kind::Write, section, key, value, {}}}, error);
}

bool deleteKey(const QString& path, const QString& section, const QString& key, QString* error)
{
    if (!QFileInfo::exists(path))
        return true;
    return modify(path, {{ProfileTransaction::Operation::Kind::DeleteKey, section, key, {}, {}}}, error);
}

bool deleteSection(const QString& path, const QString& section, QString* error)
{
    if (!QFileInfo::exists(path))
        return true;
    return modify(path, {{ProfileTransaction::Operation::Kind::DeleteSection, section, {}, {}, {}}}, error);
}

bool writeSection(const QString& path, const QString& section, const QList<ProfileLine>& lines, QString* error)
{
    if (QString invalid = invalidBody(section, lines); !invalid.isEmpty())
        return fail(error, invalid);
    return modify(path, {{ProfileTransaction::Operation::Kind::WriteSection, section, {}, {}, lines}}, error);
}

QList<ProfileLine> readSection(const QString& path, const QString& section)
{
    QByteArray bytes;
    QString error;
    if (!readProfileBytes(path, &bytes, &error)) {
        logLine(error);
        return {};
    }
    const ProfileDocument document(bytes);
    return decodeLines(document.sectionLines(encodeName(section, document.charset())), document.charset());
}

} // namespace profile

QString readCut(const ProfileTransaction& tx, const QString& section, const QString& key)
{
    return cutToReadBuffer(tx.readString(section, key));
}

// ---- ProfileTransaction ----

ProfileTransaction::ProfileTransaction(const QString& path) : m_path(path)
{
    QString error;
    if (!readSettledProfileBytes(path, &m_fileBytes, &error))
        logLine(error);
    m_view = std::make_unique<ProfileDocument>(m_fileBytes);
    noteEncoding(path, m_view->encoding());
}

ProfileTransaction::ProfileTransaction(const QString& path, const QByteArray& lockedBytes)
    : m_path(path), m_fileBytes(lockedBytes), m_view(std::make_unique<ProfileDocument>(lockedBytes))
{
}

ProfileTransaction::~ProfileTransaction() = default;

QString ProfileTransaction::readString(const QString& section, const QString& key) const
{
    const ProfileCharset charset = m_view->charset();
    const auto value = m_view->value(encodeName(section, charset), encodeName(key, charset));
    if (!value)
        return {};
    return valueAsRead(*value, charset);
}

QList<ProfileLine> ProfileTransaction::readSection(const QString& section) const
{
    const ProfileCharset charset = m_view->charset();
    return decodeLines(m_view->sectionLines(encodeName(section, charset)), charset);
}

bool ProfileTransaction::hasKey(const QString& section, const QString& key) const
{
    const ProfileCharset charset = m_view->charset();
    return m_view->value(encodeName(section, charset), encodeName(key, charset)).has_value();
}

const QString& ProfileTransaction::unwritableReason() const { return m_view->encoding().unwritable; }

bool ProfileTransaction::readsSameFileAs(const ProfileTransaction& other) const
{
    return m_fileBytes == other.m_fileBytes;
}

void ProfileTransaction::record(Operation operation, const QString& invalid)
{
    if (m_invalid.isEmpty())
        m_invalid = invalid;
    bool changed = false;
    QString why;
    if (m_invalid.isEmpty() && !operation.applyTo(*m_view, &changed, &why))
        m_invalid = why;
    if (!m_invalid.isEmpty())
        return;
    m_operations.push_back(std::move(operation));
}

void ProfileTransaction::writeString(const QString& section, const QString& key, const QString& value)
{
    record({Operation::Kind::Write, section, key, value, {}}, invalidWrite(section, key, value));
}

void ProfileTransaction::deleteKey(const QString& section, const QString& key)
{
    record({Operation::Kind::DeleteKey, section, key, {}, {}}, {});
}

void ProfileTransaction::deleteSection(const QString& section)
{
    record({Operation::Kind::DeleteSection, section, {}, {}, {}}, {});
}

void ProfileTransaction::writeSection(const QString& section, const QList<ProfileLine>& lines)
{
    record({Operation::Kind::WriteSection, section, {}, {}, lines}, invalidBody(section, lines));
}

bool ProfileTransaction::commit(QString* error)
{
    // Inside updateProfile the lock is held already: a second write here would wait on it, and
    // would put half of the decision on disk.
    if (m_insideUpdate) {
        m_commitRefused = true;
        return fail(error, kCommitInsideUpdate);
    }
    // A refused operation fails the whole transaction: writing the rest would store half a save.
    if (!m_invalid.isEmpty())
        return fail(error, m_invalid);
    if (m_operations.empty())
        return true;
    ProfileDocument committed;
    if (!modify(m_path, m_operations, error, &committed))
        return false;
    m_operations.clear();
    m_fileBytes = committed.serialize();
    *m_view = std::move(committed);
    return true;
}

bool updateProfile(const QString& path, const std::function<bool(ProfileTransaction&)>& decide, QString* error)
{
    return rewriteLocked(
        path,
        [&](const QByteArray& bytes, ProfileDocument* document, QString* why) {
            ProfileTransaction tx(path, bytes);
            tx.m_insideUpdate = true;
            const bool wanted = decide(tx);
            if (tx.m_commitRefused) {
                *why = kCommitInsideUpdate;
                return Decision::Refuse;
            }
            if (!wanted)
                return Decision::Keep;
            if (!tx.m_invalid.isEmpty()) {
                *why = tx.m_invalid;
                return Decision::Refuse;
            }
            if (tx.m_operations.empty() || tx.m_view->serialize() == bytes)
                return Decision::Keep;
            *document = std::move(*tx.m_view);
            return Decision::Write;
        },
        error);
}

} // namespace corvane
