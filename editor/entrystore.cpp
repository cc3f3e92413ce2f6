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

QTime timeValue(const QString& text)
{
    return parseTime(text).value_or(QTime(0, 0));
}

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
    return QStringLiteral("設定ファイルに書き込めませんでした") +
           (reason.isEmpty() ? QString() : QStringLiteral("\n") + reason);
}

} // namespace

void EntryStore::clear()
{
    for (int c = 0; c < kCategoryCount; ++c) {
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            EntryDate[c][n].clear();
            EntryTime[c][n].clear();
            EntryText[c][n].clear();
            m_loadedTime[c][n].clear();
            m_malformed[c][n] = false;
        }
    }
    for (QString& date : m_loadedDate)
        date.clear();
}

bool EntryStore::LoadEntries(const QString& path, QString* error)
{
    clear();
    ProfileTransaction tx(path);
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
        if (!day) {
            logLine(QStringLiteral("設定ファイル: 指定日 %1 の日付 \"%2\" を読めないため無視します").arg(key, date));
            m_malformed[Dated][n] = true;
            m_loadedDate[n] = date;
            continue;
        }
        if (*day < today) {
            deleteEntry(tx, key);
            removedPast = true;
            continue;
        }
        const QString time = readCut(tx, kTime, key);
        if (!time.isEmpty() && !parseTime(time)) {
            logLine(QStringLiteral("設定ファイル: 時刻 %1 の値 \"%2\" を読めないため無視します").arg(key, time));
            m_malformed[Dated][n] = true;
            m_loadedDate[n] = date;
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
        EntryDate[Dated][slot] = k.entry.date;
        EntryTime[Dated][slot] = k.entry.time;
        EntryText[Dated][slot] = k.entry.text;
        m_loadedTime[Dated][slot] = k.entry.time;
        m_loadedDate[slot] = k.entry.date;
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
            EntryTime[c][n] = time;
            m_loadedTime[c][n] = time;
            EntryDate[c][n] = readCut(tx, kDate, key);
            EntryText[c][n] = readCut(tx, kText, key);
        }
    }

    QString reason;
    if (!tx.commit(&reason)) {
        logLine(QStringLiteral("過去の指定日の予定を削除できませんでした: ") + reason);
        if (error)
            *error = writeFailedMessage(reason);
        return false;
    }
    return true;
}

QString EntryStore::missingTimeMessage() const
{
    for (int c = 0; c < kCategoryCount; ++c) {
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            if (!EntryText[c][n].isEmpty() && EntryTime[c][n].isEmpty()) {
                return QStringLiteral("「%1」の%2番の登録に時刻の記入がありません")
                    .arg(categoryCaption(c))
                    .arg(n + 1);
            }
        }
    }
    return {};
}

int EntryStore::countEntries(int category) const
{
    const auto& times = EntryTime[category];
    return int(std::count_if(times.begin(), times.end(), [](const QString& t) { return !t.isEmpty(); }));
}

SaveOutcome EntryStore::SaveEntries(const QString& path)
{
    if (QString message = missingTimeMessage(); !message.isEmpty())
        return {SaveOutcome::MissingTime, message};

    ProfileTransaction tx(path);
    for (int c = 0; c < kCategoryCount; ++c) {
        QList<Entry> entries;
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            if (!EntryTime[c][n].isEmpty())
                entries.append({EntryDate[c][n], EntryTime[c][n], EntryText[c][n]});
        }

        // Dated entries someone else added to the file since the load are saved with ours.
        std::array<bool, kEntriesPerCategory> added{};
        if (c == Dated) {
            for (int n = 0; n < kEntriesPerCategory; ++n) {
                if (!m_loadedDate[n].isEmpty())
                    continue;
                const QString key = entryKey(Dated, n);
                const QString date = readCut(tx, kDate, key);
                const QString time = readCut(tx, kTime, key);
                if (date.isEmpty() || !parseDate(date) || !parseTime(time))
                    continue;
                entries.append({date, time, readCut(tx, kText, key)});
                added[size_t(n)] = true;
            }
        }

        const auto& malformed = m_malformed[c];
        const int freeKeys = int(std::count(malformed.begin(), malformed.end(), false));
        if (entries.size() > freeKeys) {
            return {SaveOutcome::TooManyDated,
                    QStringLiteral("「%1」の登録が%2件を超えるため登録できません。不要な登録を削除してください")
                        .arg(categoryCaption(c))
                        .arg(freeKeys)};
        }

        // Equal times keep their slot order, as the original bubble sort did.
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return timeValue(a.time) < timeValue(b.time);
        });

        qsizetype next = 0;
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            if (malformed[n])
                continue;
            const QString key = entryKey(c, n);
            if (next < entries.size())
                writeEntry(tx, key, entries[next++]);
            else if (!m_loadedTime[c][n].isEmpty() || added[size_t(n)])
                deleteEntry(tx, key);
        }
    }

    QString reason;
    if (!tx.commit(&reason)) {
        logLine(QStringLiteral("予定を保存できませんでした: ") + reason);
        return {SaveOutcome::WriteFailed, writeFailedMessage(reason)};
    }
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
