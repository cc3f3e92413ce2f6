#include "entrystore.h"

#include <QList>
#include <algorithm>

#include "clock.h"
#include "log.h"
#include "profile.h"
#include "valueforms.h"

namespace corvane::editor {

namespace {

const QString kDate = QString::fromUtf16(kDateSection);
const QString kTime = QString::fromUtf16(kTimeSection);
const QString kText = QString::fromUtf16(kTextSection);

struct Entry {
    QString date;
    QString time;
    QString text;
};

QTime timeValue(const QString& text) { return parseTime(text).value_or(QTime(0, 0)); }

void writeEntry(ProfileTransaction& tx, const QString& key, const Entry& entry)
{
    tx.writeString(kDate, key, entry.date);
    tx.writeString(kTime, key, entry.time);
    tx.writeString(kText, key, entry.text);
}

void deleteEntry(ProfileTransaction& tx, const QString& key)
{
    tx.deleteKey(kDate, key);
    tx.deleteKey(kTime, key);
    tx.deleteKey(kText, key);
}

QString writeFailedMessage(const QString& reason)
{
    return QStringLiteral("設定ファイルに書き込めませんでした")
           + (reason.isEmpty() ? QString() : QStringLiteral("\n") + reason);
}

} // namespace

void EntryStore::clear()
{
    for (int c = 0; c < kCategoryCount; ++c) {
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            m_entryDate[c][n].clear();
            m_entryTime[c][n].clear();
            m_entryText[c][n].clear();
            m_loadedTime[c][n].clear();
            m_malformed[c][n] = false;
        }
    }
    m_loadedDated.fill({});
}

bool EntryStore::loadFrom(ProfileTransaction& tx, bool dropPast)
{
    clear();
    const QDate today = Clock::today();

    // Dated entries: drop the past ones, then close the gaps they leave.
    struct Kept {
        int oldSlot;
        Entry entry;
    };
    QList<Kept> kept;
    bool removedPast = false;
    for (int n = 0; n < kEntriesPerCategory; ++n) {
        const QString key = entryKey(Dated, n);
        const QString date = readCut(tx, kDate, key);
        if (date.isEmpty())
            continue;
        const auto day = parseDate(date);
        const QString time = readCut(tx, kTime, key);
        if (!day) {
            logLine(QStringLiteral("設定ファイル: 指定日 %1 の日付 \"%2\" を読めないため無視します").arg(key, date));
            m_malformed[Dated][n] = true;
            continue;
        }
        if (*day < today) {
            if (dropPast) {
                deleteEntry(tx, key);
                removedPast = true;
            } else {
                // Still in the file: known, so that the next save removes it.
                m_loadedDated[size_t(n)] = {date, time, readCut(tx, kText, key)};
                m_loadedTime[Dated][n] = time;
            }
            continue;
        }
        if (!time.isEmpty() && !parseTime(time)) {
            logLine(QStringLiteral("設定ファイル: 時刻 %1 の値 \"%2\" を読めないため無視します").arg(key, time));
            m_malformed[Dated][n] = true;
            continue;
        }
        kept.append({n, {date, time, readCut(tx, kText, key)}});
    }
    int slot = 0;
    for (const Kept& k : kept) {
        if (removedPast) {
            while (m_malformed[Dated][slot])
                ++slot;
        } else {
            slot = k.oldSlot;
        }
        if (slot != k.oldSlot) {
            writeEntry(tx, entryKey(Dated, slot), k.entry);
            deleteEntry(tx, entryKey(Dated, k.oldSlot));
        }
        m_entryDate[Dated][slot] = k.entry.date;
        m_entryTime[Dated][slot] = k.entry.time;
        m_entryText[Dated][slot] = k.entry.text;
        m_loadedTime[Dated][slot] = k.entry.time;
        m_loadedDated[size_t(slot)] = {k.entry.date, k.entry.time, k.entry.text};
        ++slot;
    }

    for (int c = 0; c < kCategoryCount; ++c) {
        if (c == Dated)
            continue;
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            const QString key = entryKey(c, n);
            const QString time = readCut(tx, kTime, key);
            if (time.isEmpty())
                continue;
            if (!parseTime(time)) {
                logLine(QStringLiteral("設定ファイル: 時刻 %1 の値 \"%2\" を読めないため無視します").arg(key, time));
                m_malformed[c][n] = true;
                continue;
            }
            m_entryTime[c][n] = time;
            m_loadedTime[c][n] = time;
            m_entryDate[c][n] = readCut(tx, kDate, key);
            m_entryText[c][n] = readCut(tx, kText, key);
        }
    }
    return removedPast;
}

bool EntryStore::LoadEntries(const QString& path, QString* error)
{
    // Most starts have nothing to clean up: they read without taking the lock.
    {
        ProfileTransaction snapshot(path);
        if (!loadFrom(snapshot, true))
            return true;
    }
    // The clean-up is decided again on the file as it is under the lock, and the tables show
    // exactly what was written.
    QString reason;
    if (updateProfile(
            path, [this](ProfileTransaction& tx) { return loadFrom(tx, true); }, &reason))
        return true;
    logLine(QStringLiteral("過去の指定日の予定を削除できませんでした: ") + reason);
    ProfileTransaction asItIs(path);
    loadFrom(asItIs, false);
    if (error)
        *error = writeFailedMessage(reason);
    return false;
}

SaveOutcome EntryStore::checkComplete() const
{
    for (int c = 0; c < kCategoryCount; ++c) {
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            const QString& time = m_entryTime[c][n];
            if (!m_entryText[c][n].isEmpty() && time.isEmpty()) {
                return {SaveOutcome::MissingTime,
                        QStringLiteral("「%1」の%2番の登録に時刻の記入がありません").arg(categoryCaption(c)).arg(n + 1),
                        c, n};
            }
            if (c == Dated && !time.isEmpty() && m_entryDate[c][n].trimmed().isEmpty()) {
                return {SaveOutcome::MissingDate,
                        QStringLiteral("「%1」の%2番の登録に日付の記入がありません").arg(categoryCaption(c)).arg(n + 1),
                        c, n};
            }
        }
    }
    return {};
}

int EntryStore::countEntries(int category) const
{
    const auto& times = m_entryTime[category];
    return int(std::count_if(times.begin(), times.end(), [](const QString& t) { return !t.isEmpty(); }));
}

SaveOutcome EntryStore::SaveEntries(const QString& path)
{
    if (SaveOutcome incomplete = checkComplete(); !incomplete.ok())
        return incomplete;
    QString typed;
    for (int c = 0; c < kCategoryCount; ++c)
        for (int n = 0; n < kEntriesPerCategory; ++n)
            typed += m_entryDate[c][n] + m_entryTime[c][n] + m_entryText[c][n];
    if (QString message = checkStorable(typed); !message.isEmpty())
        return {SaveOutcome::Unstorable, message};

    SaveOutcome refusal;
    // What the file holds after this save, per slot, as this editor will know it.
    SlotTable<QString> savedTime;
    std::array<StoredEntry, kEntriesPerCategory> savedDated;
    const auto decide = [&](ProfileTransaction& tx) {
        savedTime = {};
        savedDated.fill({});
        for (int c = 0; c < kCategoryCount; ++c) {
            struct Saved {
                Entry entry;
                bool ours;
            };
            QList<Saved> entries;
            for (int n = 0; n < kEntriesPerCategory; ++n) {
                if (!m_entryTime[c][n].isEmpty())
                    entries.append({{m_entryDate[c][n], m_entryTime[c][n], m_entryText[c][n]}, true});
            }

            // Dated entries that another program put into the file are saved with ours: a slot
            // holding something other than what this editor knows to be there.
            std::array<bool, kEntriesPerCategory> added{};
            if (c == Dated) {
                for (int n = 0; n < kEntriesPerCategory; ++n) {
                    if (m_malformed[Dated][n])
                        continue;
                    const QString key = entryKey(Dated, n);
                    const StoredEntry found{readCut(tx, kDate, key), readCut(tx, kTime, key), readCut(tx, kText, key)};
                    if (found == m_loadedDated[size_t(n)] || found.date.isEmpty() || !parseDate(found.date)
                        || !parseTime(found.time))
                        continue;
                    entries.append({{found.date, found.time, found.text}, false});
                    added[size_t(n)] = true;
                }
            }

            const auto& malformed = m_malformed[c];
            const int freeKeys = int(std::count(malformed.begin(), malformed.end(), false));
            if (entries.size() > freeKeys) {
                refusal = {SaveOutcome::TooManyDated,
                           QStringLiteral("「%1」の登録が%2件を超えるため登録できません。不要な登録を削除してください")
                               .arg(categoryCaption(c))
                               .arg(freeKeys)};
                return false;
            }

            // Equal times keep their slot order: a save never reorders entries of the same time.
            std::stable_sort(entries.begin(), entries.end(), [](const Saved& a, const Saved& b) {
                return timeValue(a.entry.time) < timeValue(b.entry.time);
            });

            qsizetype next = 0;
            for (int n = 0; n < kEntriesPerCategory; ++n) {
                if (malformed[n])
                    continue;
                const QString key = entryKey(c, n);
                if (next < entries.size()) {
                    const Saved& saved = entries[next++];
                    writeEntry(tx, key, saved.entry);
                    // Another program's entry stays unknown here, so the next save finds and
                    // keeps it again.
                    if (saved.ours) {
                        savedTime[c][n] = saved.entry.time;
                        if (c == Dated)
                            savedDated[size_t(n)] = {saved.entry.date, saved.entry.time, saved.entry.text};
                    }
                } else if (!m_loadedTime[c][n].isEmpty() || added[size_t(n)]) {
                    deleteEntry(tx, key);
                }
            }
        }
        return true;
    };

    QString reason;
    if (!updateProfile(path, decide, &reason)) {
        logLine(QStringLiteral("予定を保存できませんでした: ") + reason);
        return {SaveOutcome::WriteFailed, writeFailedMessage(reason)};
    }
    if (refusal.kind != SaveOutcome::Saved)
        return refusal;
    m_loadedTime = savedTime;
    m_loadedDated = savedDated;
    return {};
}

QString checkDateText(const QString& text)
{
    if (text.isEmpty())
        return {};
    const auto date = parseDate(text);
    if (!date)
        return QStringLiteral("yyyy/m/d 形式で記入してください");
    if (*date < Clock::today())
        return QStringLiteral("本日以後の予定を登録してください");
    return {};
}

QString checkTimeText(const QString& text)
{
    if (text.isEmpty() || parseTime(text))
        return {};
    return QStringLiteral("h:mm 形式で記入してください");
}

} // namespace corvane::editor
