#include "tempfolder.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace corvane::test {

TempFolder::TempFolder()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempFolder::file(const QString& name) const { return QDir(path()).filePath(name); }

QString TempFolder::copyFixture(const QString& name, const QString& as) const
{
    const QString target = file(as.isEmpty() ? name : as);
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(CORVANE_TEST_DATA "/") + name, target))
        throw std::runtime_error("missing fixture " + name.toStdString());
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

void TempFolder::writeBytes(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + name.toStdString());
}

QByteArray TempFolder::readBytes(const QString& name) const { return readFileBytes(file(name)); }

QByteArray readFileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace corvane::test
