#pragma once

#include "sqlengine.h"

// The record sets' statements on a register on a PostgreSQL server. No lock is
// held between a read and a write, so no operator waits on another's open edit;
// the checked writes catch what another did meanwhile.
class PgEngine final : public SqlEngine
{
public:
    PgEngine(Database *db, const RecordSource &source);

    bool beginRead(DataError *error) override;
    void endRead() override;
    bool recordedGaps(qint64 above, qint64 below, int limit, QList<qint64> *gaps) override;

protected:
    void writeFailed(DataError *error) override;

private:
    bool m_reading = false;
};
