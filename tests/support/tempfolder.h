#pragma once
// A fresh folder per test, removed afterwards; fixtures from tests/data are copied in
// before a test changes them.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace corvane::test {

class TempFolder {
public:
    TempFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const;
    // Copies tests/data/<name> into the folder and returns the copy's path.
    QString copyFixture(const QString& name, const QString& as = {}) const;
    void writeBytes(const QString& name, const QByteArray& bytes) const;
    QByteArray readBytes(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Bytes of a file, or empty when it cannot be read.
QByteArray readFileBytes(const QString& path);

} // namespace corvane::test
