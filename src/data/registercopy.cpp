#include "registercopy.h"

#include "catalogue.h"
#include "database.h"
#include "registerserver.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <deque>

namespace RegisterCopy {

namespace {

// Rows a statement: enough that a million persons go in minutes, few enough
// that a statement's values stay far below the server's limit of parameters.
constexpr int BatchRows = 400;
constexpr qint64 ProgressRows = 100000;

struct Table
{
    QString name;   // the catalogue's
    QString label;  // for the operator
    QString key;    // rowid, or the offence's code
    QStringList fields;
};

// In the order the references allow: an offence after its person, a link after
// its offence and its accomplice.
QList<Table> tables()
{
    const QList<std::pair<QString, QString>> order{
        {Catalogue::Persons, QStringLiteral("persoane")},
        {Catalogue::Offences, QStringLiteral("infracțiuni")},
        {Catalogue::Accomplices, QStringLiteral("complici")},
        {Catalogue::Links, QStringLiteral("legături de complicitate")},
        {Catalogue::Articles, QStringLiteral("articole")}};
    QList<Table> all;
    for (const auto &[name, label] : order) {
        const Catalogue::Object *object = Catalogue::find(name);
        Table t{name, label, object->keyColumn, {}};
        // The offence's rowid on the server is its code, computed there.
        if (t.key == QLatin1String("rowid"))
            t.fields << t.key;
        for (const Catalogue::Field &f : object->fields)
            t.fields << f.name;
        all << t;
    }
    return all;
}

// The file, read-only, in a connection of its own removed at the end.
class FileSource
{
public:
    explicit FileSource(const QString &fileName)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
        db.setDatabaseName(fileName);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.open();
    }
    ~FileSource() { QSqlDatabase::removeDatabase(Name); }
    QSqlDatabase db() const { return QSqlDatabase::database(Name, false); }

private:
    static inline const QString Name = QStringLiteral("zavoni-copy-source");
};

class Copy
{
public:
    Copy(QSqlDatabase file, Database &server,
         const std::function<void(const QString &)> &progress)
        : m_file(file), m_server(server), m_progress(progress)
    {}

    bool run();
    QString problem;

private:
    bool fail(const QString &text)
    {
        problem = text;
        return false;
    }
    bool fileFailed(const QSqlQuery &q)
    {
        return fail(QStringLiteral("Fișierul nu a putut fi citit: %1").arg(q.lastError().text()));
    }
    bool serverFailed(const QSqlQuery &q)
    {
        return fail(m_server.failure(q.lastError()).text);
    }
    bool serverEmpty();
    bool triggers(bool enabled);
    qint64 fileCount(const Table &t);
    bool copyTable(const Table &t);
    bool insert(QSqlQuery &q, const Table &t, const QVariantList &values);
    bool setNextKey(const Table &t);
    bool sameCount(const Table &t, qint64 expected);

    QSqlDatabase m_file;
    Database &m_server;
    const std::function<void(const QString &)> &m_progress;
    // Kept past the rollback: a prepared statement cannot be freed in a
    // transaction that failed.
    std::deque<QSqlQuery> m_statements;
};

bool Copy::serverEmpty()
{
    for (const Table &t : tables()) {
        QSqlQuery q(m_server.connection());
        if (!q.exec(QStringLiteral("select exists (select 1 from %1)")
                        .arg(RegisterServer::table(t.name))))
            return serverFailed(q);
        if (q.next() && q.value(0).toBool())
            return fail(QStringLiteral("Registrul de pe server are deja rânduri (%1): se copiază "
                                       "numai într-un registru gol.")
                            .arg(t.label));
    }
    return true;
}

// The register's own triggers would drop an accomplice not yet linked and
// record every copied row as a change: the copy is the register's start.
bool Copy::triggers(bool enabled)
{
    DataError error;
    for (const Table &t : tables()) {
        if (!m_server.exec(QStringLiteral("alter table %1 %2 trigger user")
                               .arg(RegisterServer::table(t.name),
                                    enabled ? QStringLiteral("enable") : QStringLiteral("disable")),
                           &error))
            return fail(error.text);
    }
    return true;
}

qint64 Copy::fileCount(const Table &t)
{
    QSqlQuery q(m_file);
    if (!q.exec(QStringLiteral("select count(*) from %1").arg(Catalogue::quoted(t.name)))
        || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

bool Copy::insert(QSqlQuery &q, const Table &t, const QVariantList &values)
{
    const qsizetype rows = values.size() / t.fields.size();
    if (q.lastQuery().isEmpty()) {
        QStringList columns, tuples;
        for (const QString &f : t.fields)
            columns << RegisterServer::field(f);
        const QString tuple = QLatin1Char('(')
                              + QStringList(t.fields.size(), QStringLiteral("?")).join(',')
                              + QLatin1Char(')');
        for (qsizetype i = 0; i < rows; ++i)
            tuples << tuple;
        if (!q.prepare(QStringLiteral("insert into %1 (%2) overriding system value values %3")
                           .arg(RegisterServer::table(t.name), columns.join(','),
                                tuples.join(','))))
            return serverFailed(q);
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        q.bindValue(int(i), values.at(i));
    return q.exec() || serverFailed(q);
}

bool Copy::copyTable(const Table &t)
{
    const qint64 total = fileCount(t);
    QSqlQuery read(m_file);
    read.setForwardOnly(true);
    QStringList columns;
    for (const QString &f : t.fields)
        columns << (f == QLatin1String("rowid") ? f : Catalogue::quoted(f));
    if (total < 0
        || !read.exec(QStringLiteral("select %1 from %2 order by %3")
                          .arg(columns.join(','), Catalogue::quoted(t.name), columns.first())))
        return fileFailed(read);
    QSqlQuery &full = m_statements.emplace_back(m_server.connection());
    QVariantList values;
    values.reserve(BatchRows * t.fields.size());
    qint64 done = 0;
    while (read.next()) {
        for (int c = 0; c < t.fields.size(); ++c)
            values << read.value(c);
        if (++done % BatchRows == 0) {
            if (!insert(full, t, values))
                return false;
            values.clear();
        }
        if (done % ProgressRows == 0)
            m_progress(QStringLiteral("%1: %2 din %3").arg(t.label).arg(done).arg(total));
    }
    if (read.lastError().isValid())
        return fileFailed(read);
    if (!values.isEmpty() && !insert(m_statements.emplace_back(m_server.connection()), t, values))
        return false;
    m_progress(QStringLiteral("%1: %2 copiate").arg(t.label).arg(done));
    return setNextKey(t) && sameCount(t, total);
}

// Past the largest key copied and, for the offences, past every code the file
// ever gave, a deleted one included: a code is never given twice.
bool Copy::setNextKey(const Table &t)
{
    qint64 given = 0;
    QSqlQuery used(m_file);
    used.prepare(QStringLiteral("select seq from sqlite_sequence where name = ?"));
    used.addBindValue(t.name);
    if (used.exec() && used.next())
        given = used.value(0).toLongLong();
    const QString key = RegisterServer::field(t.key);
    QSqlQuery q(m_server.connection());
    q.prepare(QStringLiteral("select setval(pg_get_serial_sequence(?, ?), "
                             "greatest(coalesce(max(%1), 0), ?) + 1, false) from %2")
                  .arg(key, RegisterServer::table(t.name)));
    q.addBindValue(RegisterServer::table(t.name));
    q.addBindValue(t.key.toLower());
    q.addBindValue(given);
    return q.exec() || serverFailed(q);
}

bool Copy::sameCount(const Table &t, qint64 expected)
{
    QSqlQuery q(m_server.connection());
    if (!q.exec(QStringLiteral("select count(*) from %1").arg(RegisterServer::table(t.name)))
        || !q.next())
        return serverFailed(q);
    if (q.value(0).toLongLong() == expected)
        return true;
    return fail(QStringLiteral("Pe server sunt %1 %2, în fișier %3: copierea a fost anulată.")
                    .arg(q.value(0).toLongLong())
                    .arg(t.label)
                    .arg(expected));
}

bool Copy::run()
{
    DataError error;
    if (!m_server.exec(QStringLiteral("begin"), &error))
        return fail(error.text);
    // The triggers are turned off first: that locks the tables against a
    // second copy started meanwhile.
    bool ok = triggers(false) && serverEmpty();
    for (const Table &t : tables()) {
        if (ok && !(ok = copyTable(t)))
            problem = QStringLiteral("Copierea s-a oprit la %1: %2\nPe server nu a rămas nimic "
                                     "din ea.").arg(t.label, problem);
    }
    ok = ok && triggers(true);
    if (ok && !m_server.exec(QStringLiteral("commit"), &error))
        ok = fail(error.text);
    if (!ok)
        m_server.exec(QStringLiteral("rollback"));
    return ok;
}

} // namespace

bool copy(const QString &fileName, const QString &address,
          const std::function<void(const QString &)> &progress, QString *problem)
{
    FileSource source(fileName);
    QString text;
    bool ok = false;
    DataError error;
    if (!source.db().isOpen()) {
        text = QStringLiteral("Fișierul %1 nu a putut fi deschis: %2")
                   .arg(fileName, source.db().lastError().text());
    } else if (const auto server = Database::open(address, &error)) {
        Copy copy(source.db(), *server, progress);
        ok = copy.run();
        text = copy.problem;
    } else {
        text = error.text;
    }
    if (!ok && problem)
        *problem = text;
    return ok;
}

} // namespace RegisterCopy
