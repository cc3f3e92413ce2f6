#pragma once
// A settings file in a fresh folder, read and written through the real profile library, with
// the clock fixed at Monday 2026/12/7 8:00.
#include <gtest/gtest.h>

#include "clock.h"
#include "profile.h"
#include "tempfolder.h"

namespace corvane::test {

class SettingsFileFixture : public ::testing::Test {
protected:
    SettingsFileFixture() : m_clock([] { return QDateTime(QDate(2026, 12, 7), QTime(8, 0)); }) {}

    QString path() const { return m_folder.file(QStringLiteral("corvane設定.ini")); }
    QString read(const QString& section, const QString& key) const { return profile::readString(path(), section, key); }
    bool exists(const QString& section, const QString& key) const
    {
        return ProfileTransaction(path()).hasKey(section, key);
    }
    void put(const QString& section, const QString& key, const QString& value)
    {
        ASSERT_TRUE(profile::writeString(path(), section, key, value));
    }

    TempFolder m_folder;
    ScopedClock m_clock;
};

} // namespace corvane::test
