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
//    BOM is honoured (the file is then read and written as UTF-8).
//  - readString: a missing file, section or key gives the empty string. A value longer than
//    254 bytes is cut to its first 254 bytes, or 253 when byte 254 would split a double-byte
//    character.
//  - Every value reads back exactly as written: a value that begins and ends with a double
//    quote, or has blanks at an end, is stored inside one more pair of quotes.
//  - The file keeps its encoding: CP932, or UTF-8 when it starts with a UTF-8 byte-order mark
//    (a mark in front of CP932 text is a stray one: the text is read as CP932 and the mark
//    kept), or UTF-8 without a mark when its text is valid UTF-8 with multi-byte characters
//    and no CP932 (text that reads either way is CP932). An encoding other than CP932 is
//    logged once per file and process. A file in another encoding (UTF-16, binary) is read as
//    far as it can be and never written. Text a CP932 file cannot hold is refused, never
//    stored as "?".
//  - writeString replaces an existing key's value where it stands, or appends the key at the
//    end of its section (after its last key line), creating the section at the end of the
//    file. The first write creates the file.
//  - Comments, unknown sections and key order survive every write; only the touched lines
//    change.
//  - Every write takes an advisory lock (flock on "<file>.lock" beside the settings file,
//    mode 0600, dropped by the system when its holder dies) and replaces the file atomically
//    (a fresh temporary file in the same folder, fsync, rename), so a reader sees the old or
//    the new file, never a torn one, and concurrent writers lose nothing. A new file gets 0666
//    less the umask; an existing file keeps its mode, and one whose owner write bit is off is
//    never written. Reads take no lock. A write that changes nothing leaves the file untouched.
//    A program that saves without the lock (a text editor) is not overwritten: a write replaces
//    the file only while it is the one read under the lock, otherwise it reads again, decides
//    again and logs it.
//    Each write costs one fsync: many writes belong in one ProfileTransaction, and writes that
//    depend on what the file holds belong in updateProfile.
//  - A write whose section name holds "]" or a line break, whose key holds "=" or a line
//    break (or starts with ";" or "["), or whose value holds a line break is refused: stored,
//    it would be read back as other lines.
//  - Write operations return false with a reason in *error when the file cannot be written
//    (read-only folder, full disk, lock not obtained); the file is then unchanged. The caller
//    that takes the reason reports it; without *error the reason is logged here.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace corvane {

// One "key=value" line of a section body.
struct ProfileLine {
    QString key;
    QString value;
    bool operator==(const ProfileLine&) const = default;
};

// The message that names characters the settings file cannot store.
QString unstorableMessage(const QStringList& characters);
// Empty when text can be stored in the settings file; otherwise the message for the user.
QString checkStorable(const QString& text);

namespace profile {

// GetPrivateProfileString with "" default and a 255-byte buffer.
QString readString(const QString& path, const QString& section, const QString& key);
// WritePrivateProfileString with a value.
bool writeString(const QString& path, const QString& section, const QString& key, const QString& value,
                 QString* error = nullptr);
// WritePrivateProfileString without a value: deletes the key (no-op when absent).
bool deleteKey(const QString& path, const QString& section, const QString& key, QString* error = nullptr);
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
// overwrites the same key. That suits writes that do not depend on what the file holds; a
// write decided on the file's content goes through updateProfile. Without commit() nothing is
// written.
class ProfileTransaction {
public:
    // Reads the file once (waiting briefly while another program rewrites it in place).
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
    // "=" in a key) fails the commit as a whole. The transaction handed to updateProfile's
    // decide is written by updateProfile: its commit() writes nothing, returns false and fails
    // that update as a whole.
    bool commit(QString* error = nullptr);
    const QString& path() const { return m_path; }

    // Why the file must never be written (UTF-16, binary), or empty.
    const QString& unwritableReason() const;
    // True when both read the same file content.
    bool readsSameFileAs(const ProfileTransaction& other) const;

    struct Operation; // a recorded change, applied in the file's own encoding

private:
    friend bool updateProfile(const QString&, const std::function<bool(ProfileTransaction&)>&, QString*);
    ProfileTransaction(const QString& path, const QByteArray& lockedBytes);
    void record(Operation operation, const QString& invalid);
    QString m_path;
    QString m_invalid;
    // Made by updateProfile, which holds the lock and writes it; a commit() was refused.
    bool m_insideUpdate = false;
    bool m_commitRefused = false;
    QByteArray m_fileBytes;
    std::unique_ptr<ProfileDocument> m_view;
    std::vector<Operation> m_operations;
};

// A read-modify-write step under the lock: decide reads the file as it is under the lock and
// records its changes on tx, which are written before the lock is released, so no other
// writer of the suite can act on the same content in between. decide returns false to write
// nothing; a commit() inside decide is refused and fails the update (nothing is written). False with *error when the
// lock cannot be had or the write fails (then nothing was written).
bool updateProfile(const QString& path, const std::function<bool(ProfileTransaction& tx)>& decide,
                   QString* error = nullptr);

// Cuts a value as the 255-byte read buffer does, at a character boundary.
QString cutToReadBuffer(const QString& value);
// A value read through a transaction as every reader of this file gets it: cut as above.
QString readCut(const ProfileTransaction& tx, const QString& section, const QString& key);

} // namespace corvane
