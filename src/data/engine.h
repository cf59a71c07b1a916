#pragma once

#include "dataerror.h"
#include "recordsource.h"

#include <QHash>
#include <QList>
#include <QVariant>

#include <memory>
#include <optional>

class Database;

// Keys of a record source in the engine's order, between two bounds.
struct KeyRange
{
    std::optional<qint64> above = {}; // exclusive
    std::optional<qint64> below = {}; // exclusive
    bool descending = false;
    qint64 limit = 0; // 0: every key
    qint64 offset = 0;
};

// What a record set asks of the register about the rows of one record source.
// Each engine writes its own statements for the few shapes of source there
// are; nothing above it sees any. A row is known by a key the engine gives it
// (SQLite's rowid), keys rise in the order rows were stored, and the values of
// a row come in the order of RecordSource::columns().
class Engine
{
public:
    // Rows read by one statement: about what a grid page shows.
    static constexpr int FetchBatch = 16;

    virtual ~Engine() = default;

    // The engine of the database the register lives in, for one source.
    static std::unique_ptr<Engine> create(Database *db, const RecordSource &source);

    // The reads between these two see one snapshot of the register.
    virtual bool beginRead(DataError *error) = 0;
    virtual void endRead() = 0;

    virtual bool count(qint64 *count, DataError *error) = 0;
    virtual bool keys(const KeyRange &range, QList<qint64> *keys, DataError *error) = 0;
    // The keys of deleted rows the register recorded strictly between the two,
    // at most limit + 1 of them; false when it records none for this source.
    virtual bool recordedGaps(qint64 above, qint64 below, int limit, QList<qint64> *gaps) = 0;
    // The rows of those keys that are still there, added to rows.
    virtual bool rows(const QList<qint64> &keys, QHash<qint64, QVariantList> *rows,
                      DataError *error) = 0;

    // Writes the values marked set. No key when the register ignored the row
    // as one it holds already (a repeated link).
    virtual bool insert(const QVariantList &values, const QList<bool> &set,
                        std::optional<qint64> *key, DataError *error) = 0;
    // A row is changed or deleted only while it still holds every value it
    // held when it was read, its link included: a key alone may have passed
    // to another row meanwhile. Otherwise nothing is written, and the error
    // is EngineError::ChangedMeanwhile. No lock is held between the two.
    virtual bool update(qint64 key, const QVariantList &read, const QVariantList &values,
                        const QList<bool> &set, DataError *error) = 0;
    virtual bool remove(qint64 key, const QVariantList &read, DataError *error) = 0;
};
