#pragma once
// Each controller test runs in its own programs folder and its own runtime folder, so that it
// never meets a real runner, a real settings file or another test.
#include <QByteArray>
#include <QTemporaryDir>
#include <memory>

#include "settingspath.h"
#include "tempfolder.h"

namespace corvane::test {

class ControllerEnvironment {
public:
    ControllerEnvironment() : m_runtime(std::make_unique<QTemporaryDir>()), m_oldRuntime(qgetenv("XDG_RUNTIME_DIR"))
    {
        qputenv("XDG_RUNTIME_DIR", m_runtime->path().toLocal8Bit());
        setProgramsFolderOverride(m_programs.path());
    }
    ~ControllerEnvironment()
    {
        setProgramsFolderOverride({});
        qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
    }
    const TempFolder& programs() const { return m_programs; }
    QString runtimeFolder() const { return m_runtime->path(); }
    QString settingsPath() const { return SettingsPath(); }

private:
    TempFolder m_programs;
    std::unique_ptr<QTemporaryDir> m_runtime;
    QByteArray m_oldRuntime;
};

} // namespace corvane::test
