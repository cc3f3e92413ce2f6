#pragma once
// Where the programs keep their files: the folder of the running executable.
#include <QString>

namespace corvane {

inline constexpr char16_t kSettingsFileName[] = u"corvane設定.ini";
inline constexpr char16_t kIndicatorWorkbookName[] = u"経済指標.xls";
inline constexpr char16_t kScheduleWorkbookName[] = u"corvane予定表.xls";
inline constexpr char16_t kRunnerProgramName[] = u"corvane_110";
inline constexpr char16_t kEditorProgramName[] = u"corvane設定";
inline constexpr char16_t kControllerProgramName[] = u"corvane操作";

// The programs' folder (QCoreApplication::applicationDirPath(), or the override below).
QString ProgramsFolder();
// Tests and tools may point the programs at another folder.
void setProgramsFolderOverride(const QString& folder);

// The programs' folder joined with "corvane設定.ini".
QString SettingsPath();
// A file of the programs' folder, e.g. the workbooks.
QString programsFile(const QString& name);
// The path of a program of the suite in the programs' folder (".exe" added on Windows).
QString programPath(const QString& programName);

} // namespace corvane
