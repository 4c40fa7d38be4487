#pragma once

#include "common/Result.h"
#include "data/Database.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace korvane {

// A key as the database compares it: the letters A to Z without regard to case, every other
// character as it is.
inline QString rowKey(const QString& key) {
    QString folded = key;
    for (QChar& c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

// What OK and Cancel of a graphics window need to know of the rows tied to its drawing
// elements, whatever their table.
class PendingRows {
public:
    virtual ~PendingRows() = default;
    // Whether the window holds a row, or the deletion of one, that differs from what it read.
    virtual bool hasChanges() const = 0;
    // The rows the window changes that another program changed since the window read them,
    // one line each. The rows as stored now become the ones the window knows, so that a
    // second OK stores the window's over them.
    virtual Result<QStringList> conflicts(const Database& db) = 0;
    // Writes every change, inside the caller's transaction.
    virtual Status store(Database& db) const = 0;
};

// The rows tied to drawing elements by a key (the measurement locations of tanks, the marked
// areas of inspections) as a graphics window sees them while it is open: the stored rows with
// the rows accepted and deleted in the window laid over them. Nothing is written until OK stores
// the changes with the drawing pages in one transaction; Cancel drops them with the window.
//
// Rows belong to an owner (a tank, an inspection) and are named by their key within it. Each
// change remembers the row as stored when the window made it, so that OK can tell whether
// another program changed that row meanwhile.
template <class Row> class LinkedRows : public PendingRows {
public:
    struct Access {
        // The stored row of an owner's key; none when there is no such row.
        std::function<Result<std::optional<Row>>(const Database&, qint32 owner, const QString&)>
            read;
        // Makes the stored row of the key `row`: adds it or rewrites it, or deletes the stored
        // row when `row` is none.
        std::function<Status(Database&, qint32 owner, const QString& key,
                             const std::optional<Row>& row)>
            write;
        // What a row is called in messages: "Point", "Area".
        QString noun;
    };

    // The window's change of one key.
    struct Entry {
        QString key;               // as the user typed it last
        std::optional<Row> stored; // the row as stored when the window first changed it
        std::optional<Row> row;    // the row OK stores; none deletes the stored one
    };
    // The entry of a key before and after a change: none when the window held nothing for it.
    struct Change {
        qint32 owner = 0;
        QString key;
        std::optional<Entry> before;
        std::optional<Entry> after;
    };

    explicit LinkedRows(Access access) : access_(std::move(access)) {}

    // The row of a key as the window sees it.
    Result<std::optional<Row>> find(const QString& databaseName, qint32 owner,
                                    const QString& key) const {
        if (const Entry* held = entry(owner, key))
            return held->row;
        auto db = Database::open(databaseName);
        if (!db)
            return db.takeError();
        return access_.read(*db, owner, key);
    }

    // The change that makes `row` the row of a key (none deletes it), to be applied with
    // apply(); nothing is changed yet.
    Result<Change> change(const QString& databaseName, qint32 owner, const QString& key,
                          std::optional<Row> row) const {
        Change c{owner, key, std::nullopt, std::nullopt};
        if (const Entry* held = entry(owner, key)) {
            c.before = *held;
            c.after = Entry{key, held->stored, std::move(row)};
            return c;
        }
        auto db = Database::open(databaseName);
        if (!db)
            return db.takeError();
        auto stored = access_.read(*db, owner, key);
        if (!stored)
            return stored.takeError();
        c.after = Entry{key, std::move(stored.value()), std::move(row)};
        return c;
    }

    // Applies a change (forward) or takes it back (undo).
    void apply(const Change& c, bool forward) {
        const std::optional<Entry>& to = forward ? c.after : c.before;
        auto& held = owners_[c.owner];
        if (to)
            held.insert_or_assign(rowKey(c.key), *to);
        else
            held.erase(rowKey(c.key));
    }

    bool hasChanges(qint32 owner) const {
        const auto held = owners_.find(owner);
        if (held == owners_.end())
            return false;
        for (const auto& [key, e] : held->second)
            if (e.row != e.stored)
                return true;
        return false;
    }

    bool hasChanges() const override {
        for (const auto& [owner, held] : owners_)
            if (hasChanges(owner))
                return true;
        return false;
    }

    Result<QStringList> conflicts(const Database& db) override {
        QStringList lines;
        for (auto& [owner, held] : owners_)
            for (auto& [folded, e] : held) {
                if (e.row == e.stored)
                    continue;
                auto now = access_.read(db, owner, e.key);
                if (!now)
                    return now.takeError();
                if (now.value() == e.stored)
                    continue;
                const QString what = !e.stored      ? QStringLiteral("added")
                                     : !now.value() ? QStringLiteral("deleted")
                                                    : QStringLiteral("changed");
                lines << QStringLiteral("%1 \"%2\" was %3.").arg(access_.noun, e.key, what);
                e.stored = std::move(now.value());
            }
        return lines;
    }

    Status store(Database& db) const override {
        for (const auto& [owner, held] : owners_)
            for (const auto& [folded, e] : held)
                if (e.row != e.stored)
                    if (Status written = access_.write(db, owner, e.key, e.row); !written)
                        return written;
        return {};
    }

private:
    const Entry* entry(qint32 owner, const QString& key) const {
        const auto held = owners_.find(owner);
        if (held == owners_.end())
            return nullptr;
        const auto found = held->second.find(rowKey(key));
        return found == held->second.end() ? nullptr : &found->second;
    }

    Access access_;
    std::map<qint32, std::map<QString, Entry>> owners_;
};

} // namespace korvane
