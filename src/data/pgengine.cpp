#include "pgengine.h"

#include "database.h"
#include "registerserver.h"

namespace {

// Every table shows its key as rowid, the stored queries too.
const SqlDialect server{RegisterServer::table, RegisterServer::field, QStringLiteral("rowid"),
                        QStringLiteral("IS NOT DISTINCT FROM"), true};

} // namespace

PgEngine::PgEngine(Database *db, const RecordSource &source)
    : SqlEngine(db, source, server)
{
}

// The count and both ends of the keys come from one snapshot of what was
// committed when the set was selected.
bool PgEngine::beginRead(DataError *error)
{
    m_reading = m_db->exec(QStringLiteral("START TRANSACTION ISOLATION LEVEL REPEATABLE READ, "
                                          "READ ONLY"),
                           error);
    return m_reading;
}

void PgEngine::endRead()
{
    if (m_reading)
        m_db->exec(QStringLiteral("COMMIT"));
    m_reading = false;
}

bool PgEngine::recordedGaps(qint64, qint64, int, QList<qint64> *)
{
    // The server records no gaps: the keys between the ends are counted.
    return false;
}

// Neither a lost connection nor a refused login is about the values typed.
void PgEngine::writeFailed(DataError *error)
{
    if (error->number == EngineError::ConnectionLost || error->number == EngineError::ReadOnly)
        error->text += QStringLiteral(" Datele tastate au rămas pe ecran.");
}
