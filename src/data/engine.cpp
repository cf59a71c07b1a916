#include "engine.h"

#include "database.h"
#include "pgengine.h"
#include "sqliteengine.h"

std::unique_ptr<Engine> Engine::create(Database *db, const RecordSource &source)
{
    if (db->isServer())
        return std::make_unique<PgEngine>(db, source);
    return std::make_unique<SqliteEngine>(db, source);
}
