#pragma once
// The editor's working copy of every schedule entry: 11 categories × 50 slots of (date, time,
// text) texts, loaded from the settings file and written back as one transaction.
//
// Slot n of category c is stored under the key "c-n" of the sections "指定日", "時刻" and
// "内容". A slot is a registered entry exactly when its time text is not empty.
//
// A slot whose time (or, in "指定日", whose date) in the file does not parse is loaded as
// empty; its key is left in the file as it is and later saves write around it, so a
// hand-edited value is never the reason an entry is lost.
#include <QString>
#include <array>

#include "daycategory.h"

namespace corvane::editor {

template <typename T>
using SlotTable = std::array<std::array<T, kEntriesPerCategory>, kCategoryCount>;

struct SaveOutcome {
    enum Kind { Saved, MissingTime, TooManyDated, WriteFailed };
    Kind kind = Saved;
    // The message for the user (empty when saved).
    QString message;
    bool ok() const { return kind == Saved; }
};

class EntryStore {
public:
    // The working tables the window edits (category, slot).
    SlotTable<QString> EntryDate;
    SlotTable<QString> EntryTime;
    SlotTable<QString> EntryText;

    // Empties the tables and fills them from the settings file at path. Dated entries whose
    // date is before today are deleted from the file and the remaining dated keys are
    // renumbered without gaps, so readers that stop at the first empty key see them all.
    // False with a reason when that clean-up could not be written (the tables are loaded
    // regardless).
    bool LoadEntries(const QString& path, QString* error = nullptr);

    // Validates every slot, then writes each category sorted by time to keys c-0 upward and
    // deletes the keys that held a time at load and are no longer used, all in one
    // transaction. Dated entries that appeared in the file since the load (a quick add from
    // the controller) are kept and saved with the editor's own.
    SaveOutcome SaveEntries(const QString& path);

    // The missing-time message for the first slot with a text but no time, or empty.
    QString missingTimeMessage() const;
    // Registered entries of a category (all 50 slots).
    int countEntries(int category) const;
    // The time text of the slot as read by the last load.
    const QString& loadedTime(int category, int slot) const { return m_loadedTime[category][slot]; }

private:
    void clear();

    SlotTable<QString> m_loadedTime;
    // The date text of each dated key as it stood after the load (renumbering included).
    std::array<QString, kEntriesPerCategory> m_loadedDate;
    // Keys holding a value that does not parse; the save leaves them where they are.
    SlotTable<bool> m_malformed{};
};

// The date box check of "指定日": empty when the text passes (empty, or a date of today or
// later), otherwise the message to show.
QString checkDateText(const QString& text);
// The time box check: empty when the text is empty or a time of day.
QString checkTimeText(const QString& text);

} // namespace corvane::editor
