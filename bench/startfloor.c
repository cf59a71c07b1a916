/* zavoni_bench_startfloor: the floor of the program's start, a process that
 * opens Zavoni.mdb in the current folder through SQLite's C interface, reads
 * its schema, and ends. */

#include <sqlite3.h>

int main(void)
{
    sqlite3 *db = 0;
    sqlite3_stmt *stmt = 0;
    int rows = 0;
    if (sqlite3_open_v2("Zavoni.mdb", &db, SQLITE_OPEN_READWRITE, 0) != SQLITE_OK)
        return 1;
    if (sqlite3_prepare_v2(db, "SELECT type, name, tbl_name, sql FROM sqlite_master", -1, &stmt,
                           0)
        != SQLITE_OK)
        return 1;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        sqlite3_column_text(stmt, 3);
        ++rows;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows > 0 ? 0 : 1;
}
