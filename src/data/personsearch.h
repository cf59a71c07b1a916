#pragma once

#include "dataerror.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

// Finding and ordering persons as an operator reads names: case, diacritics
// and the old cedilla letters (ş ţ) do not matter for finding, and a sorted
// list follows the Romanian alphabet (A Ă Â ... I Î ... S Ș T Ț ...). What the
// register keeps for this is made of plain SQLite only (a full-text index
// kept by triggers and indexes on expressions of built-in functions), so the
// sqlite3 tool can still change the file and everything stays right.
class PersonSearch
{
public:
    enum class Direction { Forward, Backward };
    // A list's order: by a sortable column, or the register's own (empty).
    struct Order
    {
        QString column;
        bool descending = false;
        bool sorted() const { return !column.isEmpty(); }
    };
    // Where a search or a read of keys starts: a row and, in a sorted list,
    // what it sorts by (placeOf). Inclusive takes the row itself too.
    struct Place
    {
        qint64 rowid = 0;
        QString sortKey;
        QVariant sex;
        bool inclusive = false;
    };

    explicit PersonSearch(const QSqlDatabase &db);

    // The grid columns of the persons and accomplices lists that sort.
    static const QStringList &sortableColumns();
    // The sort key of a column, in SQL: binary order of the key is Romanian
    // order of the text, empty texts last. qualifier names the table if needed.
    static QString sortKey(const QString &column, const QString &qualifier = {});
    // The index of a column's sort key, the sex beside it.
    static QString sortIndex(const QString &column);
    // The same key for a value read, for a short list sorted in memory.
    static QString sortKeyText(const QString &text);
    static bool sortsBefore(const QString &key, const QString &other);

    // Folds as the full-text index does: lower case, and the diacritics of
    // the Latin letters dropped; any other letter is only lower-cased and left
    // for the index to judge (it folds some of them in ways of its own).
    static QString fold(const QString &text);
    // The words of what was typed, folded; each must begin a word of a row.
    static QStringList terms(const QString &typed);
    // For a short list read row by row (the accomplices of an offence).
    static bool matches(const QStringList &values, const QStringList &terms);

    // Whether the register has what finding and sorting need; a register made
    // before them gains it through install(), which runs in one transaction.
    bool isInstalled();
    using Progress = std::function<void(int done, int total)>;
    bool install(const Progress &progress, DataError *error);

    // The nearest person matching the terms in the direction from the place,
    // among those of the sex ("F", "M", or empty for all), in the order;
    // nothing past the end (the caller wraps by searching with no place).
    std::optional<qint64> find(const QStringList &terms, Direction direction,
                               const std::optional<Place> &from, const QString &sex,
                               const Order &order, DataError *error);
    // Up to count rowids of a sorted list after the place (from its start
    // without one), in the order, past the first skip of them, leaving out
    // those of except. A list sorts by its column, then the sex, then the rowid,
    // which is the order of the column's index: a place is found by a seek.
    bool sortedKeys(const Order &order, const QString &sex, const std::optional<Place> &from,
                    qint64 skip, int count, const QList<qint64> &except, QList<qint64> *keys,
                    DataError *error);
    // The places of every step-th person of a sorted list after the place,
    // from the first past skip of them, up to count, each found from the last.
    bool sortedPlaces(const Order &order, const QString &sex, const std::optional<Place> &from,
                      qint64 skip, qint64 step, int count, const QList<qint64> &except,
                      QList<Place> *places, DataError *error);
    // Whether the place comes before the other in the order.
    static bool precedes(const Order &order, const Place &place, const Place &other);
    // What the person sorts by in the order; none once the person is gone.
    std::optional<Place> placeOf(qint64 rowid, const Order &order, DataError *error);
    // How many persons of a sorted list come before the place: counted.
    std::optional<qint64> countBefore(const Order &order, const QString &sex, const Place &place,
                                      const QList<qint64> &except, DataError *error);
    // The person a CNP is the key of, and that person's place (from 0) in the
    // list of the sex in the register's order.
    std::optional<qint64> rowidOf(const QString &cnp, DataError *error);
    std::optional<qint64> rank(qint64 rowid, const QString &sex, DataError *error);
    // The same place in the whole register in its own order, reckoned from the
    // rowid and the recorded gaps at once rather than counted: a guess, right
    // unless rowids were skipped outside the program, which the caller checks.
    std::optional<qint64> reckonedRank(qint64 rowid, DataError *error);
    QString cnpOf(qint64 rowid, DataError *error);

private:
    // The indexed columns, quoted, each after the prefix.
    static QString indexedColumns(const QString &prefix = {});
    static bool indexes(const QString &column);
    bool run(const QString &sql, const QVariantList &params, QList<qint64> *keys,
             DataError *error);
    // The rows of a sorted list after the place, as one statement: the
    // rowids, or the columns given (which name rowid first).
    QString sortedWalk(const Order &order, const QString &sex, const std::optional<Place> &from,
                       const QString &also, const QVariantList &alsoParams, qint64 limit,
                       QVariantList *params, const QString &columns = {}) const;
    // The persons with a word the plain term begins, each counted once a word
    // (so as many as match, or more); nothing on an error.
    std::optional<qint64> wordRows(const QString &term, QStringList *words, DataError *error);
    // Whether one of the first persons matching, in the index's order, sorts
    // by the column outside the keys from low up to high; nothing on an error.
    std::optional<bool> matchOutside(const QString &match, const QString &column,
                                     const QString &low, const QString &high, DataError *error);
    // Up to limit persons matching, with their places in the order.
    bool matchPlaces(const QString &match, const QString &sex, const Order &order, int limit,
                     QList<Place> *places, DataError *error);
    std::optional<qint64> findSorted(const QStringList &terms, const QString &match,
                                     Direction direction, std::optional<Place> from,
                                     const QString &sex, const Order &order, DataError *error);
    // The first match after the place in the walk, found among all matches.
    std::optional<qint64> findGathered(const QString &match, const Order &walk,
                                       const std::optional<Place> &from, const QString &sex,
                                       DataError *error);
    // The first match among the next rows of the walk after the place, which
    // moves past the rows read; decided is false when none came within them.
    std::optional<qint64> findNear(const QStringList &terms, const QString &match,
                                   const Order &walk, const QString &sex, int budget,
                                   std::optional<Place> *from, bool *decided,
                                   DataError *error);
    // The first match in the walk after the place among the persons whose
    // sort key begins with the one term, when they are all the matches there
    // are, or none when no person has a word the term begins; decided is
    // false when neither can be told.
    std::optional<qint64> findByPrefix(const QStringList &terms, const Order &walk,
                                       const std::optional<Place> &from, const QString &sex,
                                       bool *decided, DataError *error);
    // The first person in the walk whose key lies from low up to high, once
    // they are known to be all the matches; decided as for findByPrefix.
    std::optional<qint64> firstInRange(const Order &walk, const std::optional<Place> &from,
                                       const QString &sex, const QString &low,
                                       const QString &high, bool *decided, DataError *error);
    // Whether a person's indexed values match, judged by the index's own
    // tokenizer over those values alone; nothing on an error.
    std::optional<bool> matchedByIndex(const QVariantList &values, const QString &match,
                                       DataError *error);
    std::optional<qint64> findInRegisterOrder(const QString &match, Direction direction,
                                              const std::optional<Place> &from,
                                              const QString &sex, DataError *error);

    QSqlDatabase m_db;
};
