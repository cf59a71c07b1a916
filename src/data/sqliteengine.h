#pragma once

#include "sqlengine.h"

// The record sets' statements on an SQLite register, which keeps the counts of
// the sources selected whole and the gaps among the persons' keys.
class SqliteEngine final : public SqlEngine
{
public:
    SqliteEngine(Database *db, const RecordSource &source);

    bool beginRead(DataError *error) override;
    void endRead() override;
    bool count(qint64 *count, DataError *error) override;
    bool recordedGaps(qint64 above, qint64 below, int limit, QList<qint64> *gaps) override;

private:
    bool keepsCount() const;
    void repairKept();

    // The kept count of this read was believed, and with it the recorded gaps.
    bool m_keptBelieved = false;
};
