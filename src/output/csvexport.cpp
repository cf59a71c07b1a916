#include "csvexport.h"

#include "ownerfiles.h"
#include "progress.h"

#include "data/catalogue.h"
#include "data/database.h"
#include "data/personsearch.h"
#include "data/recordset.h"

#include <QDir>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include <memory>
#include <vector>

namespace CsvExport {

namespace {

constexpr qint64 FlushSize = 1 << 16;

QString text(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

// The rows of a source in the order its screen lists them. A table or stored
// query is read in one forward pass, which a million rows need; a screen's
// SELECT goes through the record set, which knows its joins and its order.
class Rows
{
public:
    bool open(Database *db, const QString &source, const PersonSearch::Order &order)
    {
        const Catalogue::Object *object = Catalogue::find(source);
        if (!object) {
            m_set = std::make_unique<Recordset>(db);
            if (order.sorted()) {
                m_set->setKeyOrder([order](Recordset *set, QList<qint64> *keys) {
                    *keys = set->keysByColumn(set->fieldIndex(order.column), order.descending);
                    return true;
                });
            }
            if (!m_set->open(source))
                return fail(m_set->lastError());
            m_names = m_set->fieldNames();
            m_count = m_set->recordCount();
            return true;
        }
        for (const Catalogue::Field &f : object->fields)
            m_names << f.name;
        QStringList columns;
        for (const QString &name : std::as_const(m_names))
            columns << Catalogue::quoted(name);
        const QString from = Catalogue::quoted(object->name);
        m_query = std::make_unique<QSqlQuery>(db->connection());
        m_query->setForwardOnly(true);
        if (!m_query->exec(QStringLiteral("SELECT count(*) FROM %1").arg(from))
            || !m_query->next())
            return fail(DataError::fromSql(m_query->lastError()));
        m_count = m_query->value(0).toLongLong();
        const QString direction = order.descending ? QStringLiteral(" DESC") : QString();
        QString orderBy = object->keyColumn + direction;
        // As the screen lists a sorted list: equal names by sex, then as entered.
        if (order.sorted())
            orderBy.prepend(QStringLiteral("%1%2, \"sex\"%2, ")
                                .arg(PersonSearch::sortKey(order.column), direction));
        if (!m_query->exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                               .arg(columns.join(QLatin1Char(',')), from, orderBy)))
            return fail(DataError::fromSql(m_query->lastError()));
        return true;
    }

    const QStringList &names() const { return m_names; }
    qint64 count() const { return m_count; }
    QString problem() const { return m_problem; }

    // Appends the next row as a line of the file.
    bool next(QByteArray *out)
    {
        if (m_query) {
            if (!m_query->next()) {
                const QSqlError error = m_query->lastError();
                return error.isValid() ? fail(DataError::fromSql(error)) : false;
            }
            for (int c = 0; c < m_names.size(); ++c)
                appendField(out, c, m_query->value(c).toString());
        } else {
            if (m_row >= m_set->recordCount())
                return m_set->lastError().isError() ? fail(m_set->lastError()) : false;
            for (int c = 0; c < m_names.size(); ++c)
                appendField(out, c, text(m_set->valueAt(m_row, c)));
            ++m_row;
        }
        *out += "\r\n";
        return true;
    }

    static void appendField(QByteArray *out, int column, const QString &value)
    {
        if (column)
            *out += ',';
        *out += field(value);
    }

private:
    bool fail(const DataError &error)
    {
        m_problem = error.describe();
        return false;
    }

    std::unique_ptr<Recordset> m_set;
    int m_row = 0;
    std::unique_ptr<QSqlQuery> m_query;
    QStringList m_names;
    qint64 m_count = 0;
    QString m_problem;
};

struct Part
{
    Rows rows;
    std::unique_ptr<QSaveFile> file;
};

Outcome failed(const QString &problem)
{
    return {Outcome::Failed, 0, problem};
}

// Opens the source and a temporary file beside the target, restricted before
// anything is written into it.
Outcome open(Database *db, const QString &registerFile, const QString &source,
             const PersonSearch::Order &order, const QString &target, Part *part)
{
    if (OwnerFiles::replacesRegister(target, registerFile))
        return failed(QStringLiteral("Fișierul ales este chiar registrul."));
    if (!part->rows.open(db, source, order))
        return failed(part->rows.problem());
    part->file = std::make_unique<QSaveFile>(target);
    if (!part->file->open(QIODevice::WriteOnly) || !OwnerFiles::restrict(part->file.get()))
        return failed(part->file->errorString());
    return {};
}

Outcome write(Part *part, qint64 *done, Progress *progress)
{
    Rows &rows = part->rows;
    QSaveFile &file = *part->file;
    QByteArray buffer = "\xEF\xBB\xBF";
    for (int c = 0; c < rows.names().size(); ++c)
        Rows::appendField(&buffer, c, rows.names().at(c));
    buffer += "\r\n";
    qint64 written = 0;
    while (rows.next(&buffer)) {
        ++written;
        if (buffer.size() >= FlushSize) {
            if (progress->cancelled())
                return {Outcome::Cancelled, 0, {}};
            if (file.write(buffer) != buffer.size())
                return failed(file.errorString());
            buffer.clear();
            progress->setDone(*done + written);
        }
    }
    if (!rows.problem().isEmpty())
        return failed(rows.problem());
    if (file.write(buffer) != buffer.size())
        return failed(file.errorString());
    *done += written;
    progress->setDone(*done);
    return {Outcome::Done, written, {}};
}

// Writes the parts in turn and makes them appear only when every one is whole.
Outcome writeAll(std::vector<Part> &parts, Progress *progress)
{
    qint64 total = 0;
    for (const Part &p : parts)
        total += p.rows.count();
    progress->setTotal(total);
    qint64 done = 0;
    for (Part &p : parts) {
        const Outcome o = write(&p, &done, progress);
        if (o.kind != Outcome::Done)
            return o; // the save files, never committed, remove their temporaries
    }
    if (progress->cancelled())
        return {Outcome::Cancelled, 0, {}};
    for (Part &p : parts) {
        if (!p.file->commit())
            return failed(p.file->errorString());
    }
    return {Outcome::Done, done, {}};
}

} // namespace

QByteArray field(const QString &text)
{
    QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n')
        && !utf8.contains('\r'))
        return utf8;
    utf8.replace('"', "\"\"");
    return '"' + utf8 + '"';
}

Outcome writeSource(const QString &registerFile, const QString &recordSource,
                    const PersonSearch::Order &order, const QString &target, Progress *progress)
{
    DataError error;
    auto db = Database::open(registerFile, &error);
    if (!db)
        return failed(error.describe());
    std::vector<Part> parts(1);
    const Outcome o = open(db.get(), registerFile, recordSource, order, target, &parts.front());
    if (o.kind != Outcome::Done)
        return o;
    return writeAll(parts, progress);
}

Outcome writeRegister(const QString &registerFile, const QString &folder, Progress *progress)
{
    DataError error;
    auto db = Database::open(registerFile, &error);
    if (!db)
        return failed(error.describe());
    // One read transaction: the five files agree with each other, as the tables
    // did at one moment, while the screens go on saving.
    if (!db->exec(QStringLiteral("BEGIN"), &error))
        return failed(error.describe());
    std::vector<Part> parts(5);
    const QString tables[] = {Catalogue::Persons, Catalogue::Offences, Catalogue::Accomplices,
                              Catalogue::Links, Catalogue::Articles};
    for (int i = 0; i < 5; ++i) {
        const QString target = QDir(folder).filePath(tables[i] + QStringLiteral(".csv"));
        const Outcome o = open(db.get(), registerFile, tables[i], {}, target, &parts[i]);
        if (o.kind != Outcome::Done)
            return o;
    }
    return writeAll(parts, progress);
}

} // namespace CsvExport
