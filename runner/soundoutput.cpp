#include "soundoutput.h"

#include "log.h"

#include <QCoreApplication>
#include <QDir>

namespace corvane {

SoundPlugin::SoundPlugin(const QString& folder) : m_folder(folder) {}

bool SoundPlugin::load()
{
    if (m_make)
        return true;
    if (m_failed)
        return false;
    const QString folder = m_folder.isEmpty() ? QCoreApplication::applicationDirPath() : m_folder;
    m_library.setFileName(QDir(folder).filePath(QLatin1String(kSoundPluginName)));
    m_make = reinterpret_cast<MakeSoundOutput>(m_library.resolve(kMakeSoundOutputSymbol));
    if (!m_make) {
        m_failed = true;
        logLine(QStringLiteral("サウンドの部品を読み込めないため、音を鳴らさずにお知らせします: %1")
                    .arg(m_library.errorString()));
    }
    return m_make;
}

std::unique_ptr<SoundOutput> SoundPlugin::make(const QString& path)
{
    if (!load())
        return nullptr;
    return std::unique_ptr<SoundOutput>(m_make(path, &logLine));
}

} // namespace corvane
