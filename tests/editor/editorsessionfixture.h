#pragma once
// An editor session on a programs' folder of its own, with the clock fixed at Monday
// 2026/12/7 8:00, message boxes recorded instead of shown, and the ending of the editor and
// the runner restart counted instead of done.
#include <gtest/gtest.h>

#include "clock.h"
#include "editorsession.h"
#include "messagebox.h"
#include "profile.h"
#include "settingspath.h"
#include "tempfolder.h"

namespace corvane::test {

class EditorSessionFixture : public ::testing::Test {
protected:
    EditorSessionFixture() : m_clock([] { return QDateTime(QDate(2026, 12, 7), QTime(8, 0)); })
    {
        setProgramsFolderOverride(m_folder.path());
    }
    ~EditorSessionFixture() override { setProgramsFolderOverride({}); }

    void startSession()
    {
        m_session.setEndEditor([this] { ++m_ended; });
        m_session.setRestartRunner([this](const auto& done) {
            ++m_restarts;
            done(QString());
        });
        m_session.start();
    }
    QString settings() const { return SettingsPath(); }
    QString read(const QString& section, const QString& key) const
    {
        return profile::readString(settings(), section, key);
    }

    TempFolder m_folder;
    ScopedClock m_clock;
    MessageRecorder m_messages;
    editor::EditorSession m_session;
    int m_ended = 0;
    int m_restarts = 0;
};

} // namespace corvane::test
