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

namespace corvane {
class ProfileTransaction;
}

namespace corvane::editor {

template <typename T>
using SlotTable = std::array<std::array<T, kEntriesPerCategory>, kCategoryCount>;

struct SaveOutcome {
    enum Kind { Saved, MissingTime, MissingDate, TooManyDated, Unstorable, WriteFailed };
    SaveOutcome() = default;
    SaveOutcome(Kind kind, QString message, int category = -1, int slot = -1)
        : kind(kind), message(std::move(message)), category(category), slot(slot)
    {
    }
    Kind kind = Saved;
    // The message for the user (empty when saved).
    QString message;
    // The slot the message is about (MissingTime, MissingDate), or -1.
    int category = -1;
    int slot = -1;
    bool ok() const { return kind == Saved; }
};

class EntryStore {
public:
    // The working tables the window edits, by (category, slot).
    const QString& entryDate(int category, int slot) const { return m_entryDate[category][slot]; }
    const QString& entryTime(int category, int slot) const { return m_entryTime[category][slot]; }
    const QString& entryText(int category, int slot) const { return m_entryText[category][slot]; }
    void setEntryDate(int category, int slot, const QString& date) { m_entryDate[category][slot] = date; }
    void setEntryTime(int category, int slot, const QString& time) { m_entryTime[category][slot] = time; }
    void setEntryText(int category, int slot, const QString& text) { m_entryText[category][slot] = text; }

    // Empties the tables and fills them from the settings file at path. Dated entries whose
    // date is before today are deleted from the file and the remaining dated keys are
    // renumbered without gaps, so readers that stop at the first empty key see them all; the
    // clean-up is decided and written under the file's lock. False with a reason when it could
    // not be written: the tables then show the file as it is, without the past entries and
    // without renumbering (the next save removes the past entries).
    bool LoadEntries(const QString& path, QString* error = nullptr);

    // Validates every slot, then writes each category sorted by time to keys c-0 upward and
    // deletes the keys this editor wrote or loaded and no longer uses, in one locked
    // read-modify-write. Dated entries that another program put into the file since (a quick
    // add from the controller) are found on the file under the lock and saved with the
    // editor's own, at every save.
    SaveOutcome SaveEntries(const QString& path);

    // The first slot that cannot be saved as typed: a text without a time, or a "指定日" entry
    // (a time) without a date, which no reader could place on a day. Saved when none.
    SaveOutcome checkComplete() const;
    // Registered entries of a category (all 50 slots).
    int countEntries(int category) const;
    // The time text of the slot as read by the last load.
    const QString& loadedTime(int category, int slot) const { return m_loadedTime[category][slot]; }

    struct StoredEntry {
        QString date, time, text;
        bool operator==(const StoredEntry&) const = default;
    };

private:
    void clear();
    // Fills the tables from file; with dropPast, past dated entries are deleted on file (and
    // the rest renumbered). True when something was recorded on file.
    bool loadFrom(ProfileTransaction& file, bool dropPast);

    SlotTable<QString> m_entryDate;
    SlotTable<QString> m_entryTime;
    SlotTable<QString> m_entryText;

    // What this editor knows the file to hold in each slot: the time of each key as loaded or
    // last saved, and for dated keys the whole entry (an entry found there that differs was
    // put there by another program).
    SlotTable<QString> m_loadedTime;
    std::array<StoredEntry, kEntriesPerCategory> m_loadedDated;
    // Keys holding a value that does not parse; the save leaves them where they are.
    SlotTable<bool> m_malformed{};
};

// The date box check of "指定日": empty when the text passes (empty, or a date of today or
// later), otherwise the message to show.
QString checkDateText(const QString& text);
// The time box check: empty when the text is empty or a time of day.
QString checkTimeText(const QString& text);

} // namespace corvane::editor
