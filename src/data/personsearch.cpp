#include "personsearch.h"

#include "catalogue.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString FullText = QStringLiteral("FTS_Zavoni");
const QString Tokenizer = QStringLiteral("tokenize='unicode61 remove_diacritics 2'");
const QStringList Indexed = {QStringLiteral("CNP_C"), QStringLiteral("Nume"),
                             QStringLiteral("Prenume"), QStringLiteral("Porecla1"),
                             QStringLiteral("Porecla2")};
// Rows put into the full-text index a statement while a register gains it.
constexpr qint64 FillChunk = 50000;
// Matches a find in a sorted list puts in order itself, their places read.
constexpr int FewMatches = 1000;
// Matches looked up before all in a range of sort keys are counted.
constexpr int SampledMatches = 64;

QString columns(const QString &prefix = {})
{
    QStringList list;
    for (const QString &c : Indexed)
        list << prefix + Catalogue::quoted(c);
    return list.join(QStringLiteral(", "));
}

// The register's copy of the names in the full-text index follows every
// change of a person, whoever makes it. An external-content index must be
// told the old values to forget them.
QStringList triggerStatements()
{
    const QString persons = Catalogue::quoted(Catalogue::Persons);
    const QString fts = Catalogue::quoted(FullText);
    const QString add = QStringLiteral("INSERT INTO %1(rowid, %2) VALUES (NEW.rowid, %3);")
                            .arg(fts, columns(), columns(QStringLiteral("NEW.")));
    const QString forget = QStringLiteral("INSERT INTO %1(%1, rowid, %2) "
                                          "VALUES ('delete', OLD.rowid, %3);")
                               .arg(fts, columns(), columns(QStringLiteral("OLD.")));
    const QString trigger = QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"%1\" AFTER %2 ON %3 "
                                           "BEGIN %4 END");
    return {trigger.arg(QStringLiteral("TR_Zavoni_cautare_adaugat"), QStringLiteral("INSERT"),
                        persons, add),
            trigger.arg(QStringLiteral("TR_Zavoni_cautare_sters"), QStringLiteral("DELETE"),
                        persons, forget),
            trigger.arg(QStringLiteral("TR_Zavoni_cautare_schimbat"), QStringLiteral("UPDATE"),
                        persons, forget + QLatin1Char(' ') + add)};
}

// The sex beside the key lets a sorted list of one sex be read from the index
// alone, without a look at each person.
QStringList sortIndexStatements()
{
    QStringList s;
    for (const QString &column : PersonSearch::sortableColumns())
        s << QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\" ON %2(%3, \"sex\")")
                 .arg(PersonSearch::sortIndex(column), Catalogue::quoted(Catalogue::Persons),
                      PersonSearch::sortKey(column));
    return s;
}

QString matchText(const QStringList &terms)
{
    QStringList quoted;
    for (const QString &t : terms)
        quoted << QLatin1Char('"') + t + QStringLiteral("\"*");
    return quoted.join(QStringLiteral(" AND "));
}

} // namespace

QString PersonSearch::indexedColumns(const QString &prefix)
{
    return columns(prefix);
}

bool PersonSearch::indexes(const QString &column)
{
    return Indexed.contains(column);
}

PersonSearch::PersonSearch(const QSqlDatabase &db)
    : m_db(db)
{
}

QString PersonSearch::sortIndex(const QString &column)
{
    return QStringLiteral("IX_Zavoni_ordine_%1").arg(column);
}

const QStringList &PersonSearch::sortableColumns()
{
    static const QStringList columns = {QStringLiteral("Nume"), QStringLiteral("Initiala"),
                                        QStringLiteral("Prenume"), QStringLiteral("Porecla1"),
                                        QStringLiteral("Porecla2")};
    return columns;
}

namespace {

// SQLite's upper() knows only ASCII, so each Romanian letter is first written
// as its base letter followed by tildes, which sort after every capital:
// A < Ă ("A~") < Â ("A~~") < B. The old cedilla letters count as the comma
// ones.
const QList<std::pair<QString, QString>> &spelledLetters()
{
    static const QList<std::pair<QString, QString>> letters = {
        {QStringLiteral("ă"), QStringLiteral("A~")},  {QStringLiteral("Ă"), QStringLiteral("A~")},
        {QStringLiteral("â"), QStringLiteral("A~~")}, {QStringLiteral("Â"), QStringLiteral("A~~")},
        {QStringLiteral("î"), QStringLiteral("I~")},  {QStringLiteral("Î"), QStringLiteral("I~")},
        {QStringLiteral("ș"), QStringLiteral("S~")},  {QStringLiteral("Ș"), QStringLiteral("S~")},
        {QStringLiteral("ş"), QStringLiteral("S~")},  {QStringLiteral("Ş"), QStringLiteral("S~")},
        {QStringLiteral("ț"), QStringLiteral("T~")},  {QStringLiteral("Ț"), QStringLiteral("T~")},
        {QStringLiteral("ţ"), QStringLiteral("T~")},  {QStringLiteral("Ţ"), QStringLiteral("T~")}};
    return letters;
}

} // namespace

// An empty text gets the largest character there is and sorts last.
QString PersonSearch::sortKey(const QString &column, const QString &qualifier)
{
    QString e = (qualifier.isEmpty() ? QString() : qualifier + QLatin1Char('.'))
                + Catalogue::quoted(column);
    for (const auto &[letter, spelled] : spelledLetters())
        e = QStringLiteral("replace(%1, '%2', '%3')").arg(e, letter, spelled);
    return QStringLiteral("coalesce(nullif(upper(%1), ''), char(1114111))").arg(e);
}

QString PersonSearch::sortKeyText(const QString &text)
{
    QString key = text;
    for (const auto &[letter, spelled] : spelledLetters())
        key.replace(letter, spelled);
    for (QChar &c : key) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return key;
}

bool PersonSearch::sortsBefore(const QString &key, const QString &other)
{
    if (key.isEmpty() || other.isEmpty())
        return other.isEmpty() && !key.isEmpty();
    return key < other;
}

bool PersonSearch::isInstalled()
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN "
                             "(?, 'TR_Zavoni_cautare_adaugat', 'TR_Zavoni_cautare_sters', "
                             "'TR_Zavoni_cautare_schimbat', ?, ?, ?, ?, ?)"));
    q.addBindValue(FullText);
    for (const QString &column : sortableColumns())
        q.addBindValue(PersonSearch::sortIndex(column));
    return q.exec() && q.next() && q.value(0).toInt() == 4 + sortableColumns().size();
}

bool PersonSearch::install(const Progress &progress, DataError *error)
{
    QSqlQuery q(m_db);
    const auto failed = [&](const QSqlError &e) {
        if (error)
            *error = DataError::fromSql(e);
        m_db.rollback();
        return false;
    };
    if (!m_db.transaction())
        return failed(m_db.lastError());
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = '%1'")
                    .arg(FullText))
        || !q.next())
        return failed(q.lastError());
    const bool filled = q.value(0).toInt() > 0;
    if (!q.exec(QStringLiteral("SELECT coalesce(max(rowid), 0) FROM %1")
                    .arg(Catalogue::quoted(Catalogue::Persons)))
        || !q.next())
        return failed(q.lastError());
    const qint64 last = filled ? 0 : q.value(0).toLongLong();
    const QStringList indexes = sortIndexStatements();
    const int chunks = int((last + FillChunk - 1) / FillChunk);
    const int total = chunks + int(indexes.size());
    // Names fold as the operator types them; a prefix index of one to three
    // characters answers the first letters typed without merging thousands
    // of words. Positions and sizes are never asked for, so none are kept.
    if (!filled
        && !q.exec(QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='%3', "
                                  "%4, prefix='1 2 3', detail=none, columnsize=0)")
                       .arg(Catalogue::quoted(FullText), columns(), Catalogue::Persons,
                            Tokenizer)))
        return failed(q.lastError());
    const QString fill = QStringLiteral("INSERT INTO %1(rowid, %2) SELECT rowid, %2 FROM %3 "
                                        "WHERE rowid > ? AND rowid <= ?")
                             .arg(Catalogue::quoted(FullText), columns(),
                                  Catalogue::quoted(Catalogue::Persons));
    for (int i = 0; i < chunks; ++i) {
        if (progress)
            progress(i, total);
        q.prepare(fill);
        q.addBindValue(i * FillChunk);
        q.addBindValue((i + 1) * FillChunk);
        if (!q.exec())
            return failed(q.lastError());
    }
    for (const QString &statement : triggerStatements()) {
        if (!q.exec(statement))
            return failed(q.lastError());
    }
    for (int i = 0; i < indexes.size(); ++i) {
        if (progress)
            progress(chunks + i, total);
        if (!q.exec(indexes.at(i)))
            return failed(q.lastError());
    }
    if (!m_db.commit())
        return failed(m_db.lastError());
    if (progress)
        progress(total, total);
    return true;
}

std::optional<qint64> PersonSearch::findInRegisterOrder(const QString &match,
                                                        Direction direction,
                                                        const std::optional<Place> &from,
                                                        const QString &sex, DataError *error)
{
    const bool forward = direction == Direction::Forward;
    QString sql = QStringLiteral("SELECT f.rowid FROM %1 f").arg(Catalogue::quoted(FullText));
    // The matches are walked in rowid order and each is looked up; left to
    // itself SQLite would walk the persons of the sex and search each.
    if (!sex.isEmpty())
        sql += QStringLiteral(" CROSS JOIN %1 z ON z.rowid = f.rowid")
                   .arg(Catalogue::quoted(Catalogue::Persons));
    sql += QStringLiteral(" WHERE %1 MATCH ?").arg(Catalogue::quoted(FullText));
    QVariantList params{match};
    if (from) {
        sql += QStringLiteral(" AND f.rowid %1%2 ?")
                   .arg(forward ? QLatin1Char('>') : QLatin1Char('<'))
                   .arg(from->inclusive ? QStringLiteral("=") : QString());
        params << from->rowid;
    }
    if (!sex.isEmpty()) {
        sql += QStringLiteral(" AND +z.\"sex\" = ?");
        params << sex;
    }
    sql += QStringLiteral(" ORDER BY f.rowid%1 LIMIT 1")
               .arg(forward ? QString() : QStringLiteral(" DESC"));
    QList<qint64> keys;
    if (!run(sql, params, &keys, error) || keys.isEmpty())
        return std::nullopt;
    return keys.first();
}

// The index's own list of words, each with the persons that have it.
std::optional<qint64> PersonSearch::wordRows(const QString &term, QStringList *words,
                                             DataError *error)
{
    const QString vocabulary = QStringLiteral("temp.\"FTS_Zavoni_cuvinte\"");
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS %1 USING fts5vocab(main, %2, "
                               "row)")
                    .arg(vocabulary, Catalogue::quoted(FullText)))
        || !q.prepare(QStringLiteral("SELECT term, doc FROM %1 WHERE term >= ? AND term < ?")
                          .arg(vocabulary))) {
        if (error)
            *error = DataError::fromSql(q.lastError());
        return std::nullopt;
    }
    q.addBindValue(term);
    q.addBindValue(term.chopped(1) + QChar(term.back().unicode() + 1));
    if (!q.exec()) {
        if (error)
            *error = DataError::fromSql(q.lastError());
        return std::nullopt;
    }
    qint64 rows = 0;
    while (q.next()) {
        *words << q.value(0).toString();
        rows += q.value(1).toLongLong();
    }
    return rows;
}

std::optional<bool> PersonSearch::matchOutside(const QString &match, const QString &column,
                                               const QString &low, const QString &high,
                                               DataError *error)
{
    const QString key = sortKey(column, QStringLiteral("z"));
    QList<qint64> outside;
    if (!run(QStringLiteral("SELECT count(*) FROM (SELECT rowid FROM %1 WHERE %1 MATCH ? "
                            "LIMIT %2) m CROSS JOIN %3 z ON z.rowid = m.rowid "
                            "WHERE NOT (%4 >= ? AND %4 < ?)")
                 .arg(Catalogue::quoted(FullText), QString::number(SampledMatches),
                      Catalogue::quoted(Catalogue::Persons), key),
             {match, low, high}, &outside, error)
        || outside.isEmpty())
        return std::nullopt;
    return outside.first() > 0;
}

bool PersonSearch::matchPlaces(const QString &match, const QString &sex, const Order &order,
                               int limit, QList<Place> *places, DataError *error)
{
    QString sql = QStringLiteral("SELECT z.rowid, %1, z.\"sex\" FROM %2 f CROSS JOIN %3 z "
                                 "ON z.rowid = f.rowid WHERE %2 MATCH ?")
                      .arg(sortKey(order.column, QStringLiteral("z")),
                           Catalogue::quoted(FullText), Catalogue::quoted(Catalogue::Persons));
    QVariantList params{match};
    if (!sex.isEmpty()) {
        sql += QStringLiteral(" AND +z.\"sex\" = ?");
        params << sex;
    }
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(sql + QStringLiteral(" LIMIT ?"));
    for (const QVariant &p : std::as_const(params))
        q.addBindValue(p);
    q.addBindValue(limit);
    if (!q.exec()) {
        if (error)
            *error = DataError::fromSql(q.lastError());
        return false;
    }
    while (q.next())
        places->append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2)});
    return true;
}

std::optional<qint64> PersonSearch::find(const QStringList &terms, Direction direction,
                                         const std::optional<Place> &from, const QString &sex,
                                         const Order &order, DataError *error)
{
    if (terms.isEmpty())
        return std::nullopt;
    const QString match = matchText(terms);
    if (!order.sorted())
        return findInRegisterOrder(match, direction, from, sex, error);
    return findSorted(terms, match, direction, from, sex, order, error);
}

std::optional<qint64> PersonSearch::findGathered(const QString &match, const Order &walk,
                                                 const std::optional<Place> &from,
                                                 const QString &sex, DataError *error)
{
    // A few matches are put in order themselves: walking the list to the
    // next of them could pass most of it.
    QList<Place> matches;
    if (!matchPlaces(match, sex, walk, FewMatches + 1, &matches, error) || matches.isEmpty())
        return std::nullopt;
    if (matches.size() <= FewMatches) {
        std::optional<Place> next;
        for (const Place &m : std::as_const(matches)) {
            const bool beyond = !from || precedes(walk, *from, m)
                                || (from->inclusive && m.rowid == from->rowid);
            if (beyond && (!next || precedes(walk, m, *next)))
                next = m;
        }
        return next ? std::optional(next->rowid) : std::nullopt;
    }
    // The sorted list is walked from the place until a match comes; the
    // matches are gathered once by each part of the walk that is reached.
    const QString matching = QStringLiteral("+rowid IN (SELECT rowid FROM %1 WHERE %1 MATCH ?)")
                                 .arg(Catalogue::quoted(FullText));
    QVariantList params;
    const QString sql = sortedWalk(walk, sex, from, matching, {match}, 1, &params)
                        + QStringLiteral(" LIMIT 1");
    QList<qint64> keys;
    if (!run(sql, params, &keys, error) || keys.isEmpty())
        return std::nullopt;
    return keys.first();
}

// A person's values alone, put in an index of the register's kind that lives
// as long as the connection: a lookup of one rowid in the register's own
// index merges every word a long prefix begins, a tenth of a second.
std::optional<bool> PersonSearch::matchedByIndex(const QVariantList &values,
                                                 const QString &match, DataError *error)
{
    const QString one = QStringLiteral("\"FTS_Zavoni_unul\"");
    QSqlQuery q(m_db);
    const auto failed = [&] {
        if (error)
            *error = DataError::fromSql(q.lastError());
        return std::nullopt;
    };
    if (!q.exec(QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS temp.%1 USING fts5(%2, %3)")
                    .arg(one, columns(), Tokenizer))
        || !q.exec(QStringLiteral("DELETE FROM temp.%1").arg(one)))
        return failed();
    q.prepare(QStringLiteral("INSERT INTO temp.%1(%2) VALUES (?, ?, ?, ?, ?)")
                  .arg(one, columns()));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return failed();
    q.prepare(QStringLiteral("SELECT count(*) FROM temp.%1 WHERE %1 MATCH ?").arg(one));
    q.addBindValue(match);
    if (!q.exec() || !q.next())
        return failed();
    return q.value(0).toInt() > 0;
}

std::optional<qint64> PersonSearch::rowidOf(const QString &cnp, DataError *error)
{
    QList<qint64> keys;
    if (!run(QStringLiteral("SELECT rowid FROM %1 WHERE \"CNP_C\" = ?")
                 .arg(Catalogue::quoted(Catalogue::Persons)),
             {cnp}, &keys, error)
        || keys.isEmpty())
        return std::nullopt;
    return keys.first();
}

// Counted: SQLite keeps no ranks, so this walks the rowids up to the row.
std::optional<qint64> PersonSearch::rank(qint64 rowid, const QString &sex, DataError *error)
{
    QString sql = QStringLiteral("SELECT count(*) FROM %1 WHERE rowid < ?")
                      .arg(Catalogue::quoted(Catalogue::Persons));
    QVariantList params{rowid};
    if (!sex.isEmpty()) {
        sql += QStringLiteral(" AND \"sex\" = ?");
        params << sex;
    }
    QList<qint64> counts;
    if (!run(sql, params, &counts, error) || counts.isEmpty())
        return std::nullopt;
    return counts.first();
}

std::optional<qint64> PersonSearch::reckonedRank(qint64 rowid, DataError *error)
{
    const QString persons = Catalogue::quoted(Catalogue::Persons);
    QList<qint64> ranks;
    if (!run(QStringLiteral("SELECT ? - first - (SELECT count(*) FROM %1 WHERE \"Cheie\" > first "
                            "AND \"Cheie\" < ?) FROM (SELECT min(rowid) AS first FROM %2)")
                 .arg(Catalogue::quoted(Catalogue::GapsTable), persons),
             {rowid, rowid}, &ranks, error)
        || ranks.isEmpty())
        return std::nullopt;
    return ranks.first();
}

QString PersonSearch::cnpOf(qint64 rowid, DataError *error)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT \"CNP_C\" FROM %1 WHERE rowid = ?")
                  .arg(Catalogue::quoted(Catalogue::Persons)));
    q.addBindValue(rowid);
    if (!q.exec() && error)
        *error = DataError::fromSql(q.lastError());
    return q.next() ? q.value(0).toString() : QString();
}

bool PersonSearch::run(const QString &sql, const QVariantList &params, QList<qint64> *keys,
                       DataError *error)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        if (error)
            *error = DataError::fromSql(q.lastError());
        return false;
    }
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!q.exec()) {
        if (error)
            *error = DataError::fromSql(q.lastError());
        return false;
    }
    while (q.next())
        keys->append(q.value(0).toLongLong());
    return true;
}
