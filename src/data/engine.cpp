#include "engine.h"

#include "sqliteengine.h"

std::unique_ptr<Engine> Engine::create(Database *db, const RecordSource &source)
{
    // SQLite is the only engine a register lives in so far.
    return std::make_unique<SqliteEngine>(db, source);
}
