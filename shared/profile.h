#pragma once
// The settings file: a private-profile text file ("[section]" lines, then "key=value"
// lines) in CP932 with CRLF line ends, with the semantics the Windows profile functions give.
//
// Contract
//  - Section and key names compare case-insensitively for ASCII letters only.
//  - Blanks and tabs around names and values are trimmed (the full-width blank is not); a
//    value's one pair of surrounding double quotes is dropped on read.
//  - The first of duplicate sections or keys wins. A line without "=" is no key. Lines before
//    the first section belong to no section. CRLF, LF and a lone CR all end a line; a UTF-8
//    BOM is honoured (the file is then read as UTF-8 and written back as CP932).
//  - readString: a missing file, section or key gives the empty string. A value longer than
//    254 bytes is cut to its first 254 bytes, or 253 when byte 254 would split a double-byte
//    character.
//  - writeString replaces an existing key's value where it stands, or appends the key at the
//    end of its section (after its last key line), creating the section at the end of the
//    file. The first write creates the file.
//  - Comments, unknown sections and key order survive every write; only the touched lines
//    change.
//  - Every write takes an advisory lock (flock on "<file>.lock" beside the settings file,
//    dropped by the system when its holder dies) and replaces the file atomically
//    ("<file>.tmp" in the same folder, fsync, rename), so a reader sees the old or the new
//    file, never a torn one, and concurrent writers lose nothing. Reads take no lock. A write
//    that changes nothing leaves the file untouched. Each write costs one fsync: many writes
//    belong in one ProfileTransaction.
//  - A write whose section name holds "]" or a line break, whose key holds "=" or a line
//    break (or starts with ";" or "["), or whose value holds a line break is refused: stored,
//    it would be read back as other lines.
//  - Write operations return false with a reason in *error when the file cannot be written
//    (read-only folder, full disk, lock not obtained); the file is then unchanged.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace corvane {

// One "key=value" line of a section body.
struct ProfileLine {
    QString key;
    QString value;
    bool operator==(const ProfileLine&) const = default;
};

namespace profile {

// GetPrivateProfileString with "" default and a 255-byte buffer.
QString readString(const QString& path, const QString& section, const QString& key);
// WritePrivateProfileString with a value.
bool writeString(const QString& path, const QString& section, const QString& key,
                 const QString& value, QString* error = nullptr);
// WritePrivateProfileString without a value: deletes the key (no-op when absent).
bool deleteKey(const QString& path, const QString& section, const QString& key,
               QString* error = nullptr);
// WritePrivateProfileString without a key: deletes the whole section.
bool deleteSection(const QString& path, const QString& section, QString* error = nullptr);
// WritePrivateProfileSection: replaces the section's body with these lines (in order);
// creates the section at the end of the file when absent.
bool writeSection(const QString& path, const QString& section, const QList<ProfileLine>& lines,
                  QString* error = nullptr);
// GetPrivateProfileSection, whole (no buffer cut): the key lines of the section in file order.
QList<ProfileLine> readSection(const QString& path, const QString& section);

} // namespace profile

class ProfileDocument;

// Many operations under one lock and one atomic replace. Reads see the file as it was when the
// transaction began, with the transaction's own pending changes applied. commit() takes the
// lock, re-reads the current file, applies the recorded operations in order and replaces the
// file once; so a change someone else made in between is kept unless an operation here
// overwrites the same key. Without commit() nothing is written.
class ProfileTransaction {
public:
    explicit ProfileTransaction(const QString& path);
    ~ProfileTransaction();
    ProfileTransaction(const ProfileTransaction&) = delete;
    ProfileTransaction& operator=(const ProfileTransaction&) = delete;

    QString readString(const QString& section, const QString& key) const;
    QList<ProfileLine> readSection(const QString& section) const;
    // True when the key exists in the section (even with an empty value).
    bool hasKey(const QString& section, const QString& key) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void deleteKey(const QString& section, const QString& key);
    void deleteSection(const QString& section);
    void writeSection(const QString& section, const QList<ProfileLine>& lines);

    // Writes all recorded operations at once. Nothing recorded → nothing written, true.
    // A write with a name or value the file cannot hold (a line break, "]" in a section name,
    // "=" in a key) fails the commit as a whole.
    bool commit(QString* error = nullptr);
    const QString& path() const { return m_path; }

private:
    struct Operation;
    void record(Operation operation, const QString& invalid);
    QString m_path;
    QString m_invalid;
    std::unique_ptr<ProfileDocument> m_view;
    std::vector<Operation> m_operations;
};

// Cuts a value as the 255-byte read buffer does, at a character boundary.
QString cutToReadBuffer(const QString& value);
// A value read through a transaction as the file's original readers got it: cut as above.
QString readCut(const ProfileTransaction& tx, const QString& section, const QString& key);

} // namespace corvane
