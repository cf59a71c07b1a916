#include "personsearch.h"

#include "catalogue.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <array>

namespace {

// A find in a sorted list first reads the rows after the place in blocks
// that grow, and judges them itself, up to a budget of rows.
constexpr int FirstBlock = 64;
constexpr int LastBlock = 512;
constexpr int NearBudget = 4096;
// The rows read before a name is looked for in the list's own index.
constexpr int FirstRows = 192;
// The longest start of a word the full-text index keeps a list for, and the
// most words a longer term's matches are read through one by one.
constexpr int PrefixIndexed = 3;
constexpr int SampledWords = 16;
// A CNP's first digits, the sex and the date of birth, which few persons share.
constexpr int CnpStart = 7;

// The letters whose diacritics the full-text index's tokenizer drops just as
// a canonical decomposition does, checked one by one against it: Latin-1,
// Latin Extended-A and the comma-below ș ț. Beyond them the two part ways:
// the tokenizer keeps the marks of ǡ, й and ά, folds ſ to s, and drops some
// combining marks standing alone where it splits words at others.
constexpr char16_t LatinFirst = 0xC0;
constexpr char16_t LatinLast = 0x17F;
constexpr char16_t CommaFirst = 0x218;
constexpr char16_t CommaLast = 0x21B;

QChar baseLetter(char16_t c)
{
    const QString decomposed = QString(QChar(c)).normalized(QString::NormalizationForm_D);
    for (qsizetype i = 1; i < decomposed.size(); ++i) {
        if (decomposed.at(i).category() != QChar::Mark_NonSpacing)
            return QChar(c).toLower();
    }
    return decomposed.at(0).toLower();
}

bool foldsAsIndex(char16_t u)
{
    return (u >= LatinFirst && u <= LatinLast) || (u >= CommaFirst && u <= CommaLast);
}

QChar foldedLetter(QChar c)
{
    using Letters = std::array<QChar, CommaLast - LatinFirst + 1>;
    static const Letters letters = [] {
        Letters folded;
        for (char16_t u = LatinFirst; u <= CommaLast; ++u)
            folded[u - LatinFirst] = foldsAsIndex(u) ? baseLetter(u) : QChar(u).toLower();
        return folded;
    }();
    const char16_t u = c.unicode();
    return u >= LatinFirst && u <= CommaLast ? letters[u - LatinFirst] : c.toLower();
}

bool plain(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

QStringList words(const QString &folded)
{
    QStringList words;
    QString word;
    for (const QChar c : folded + QLatin1Char(' ')) {
        if (c.isLetterOrNumber()) {
            word += c;
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    return words;
}

bool beginAll(const QStringList &words, const QStringList &terms)
{
    for (const QString &term : terms) {
        if (std::none_of(words.cbegin(), words.cend(),
                         [&term](const QString &w) { return w.startsWith(term); }))
            return false;
    }
    return !terms.isEmpty();
}

bool beginsWord(QStringView text, QStringView term)
{
    for (qsizetype i = text.indexOf(term); i >= 0; i = text.indexOf(term, i + 1)) {
        if (i == 0 || !text.at(i - 1).isLetterOrNumber())
            return true;
    }
    return false;
}

// Whether a person's values match, judged here where each folds to plain
// ASCII; nothing where a letter is left that only the index can judge, or a
// value is not text (SQLite writes numbers out its own way). Read for every
// row of a walk, so it makes no list of words.
std::optional<bool> matchedPlainly(const QVariantList &values, const QStringList &terms)
{
    QString text;
    for (const QVariant &value : values) {
        if (!value.isNull() && value.typeId() != QMetaType::QString)
            return std::nullopt;
        text += PersonSearch::fold(value.toString()) + QLatin1Char(' ');
    }
    if (!plain(text))
        return std::nullopt;
    return std::all_of(terms.cbegin(), terms.cend(),
                       [&text](const QString &term) { return beginsWord(text, term); });
}

} // namespace

QString PersonSearch::fold(const QString &text)
{
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text)
        folded += foldedLetter(c);
    return folded;
}

QStringList PersonSearch::terms(const QString &typed)
{
    return words(fold(typed));
}

bool PersonSearch::matches(const QStringList &values, const QStringList &terms)
{
    QStringList all;
    for (const QString &value : values)
        all += words(fold(value));
    return beginAll(all, terms);
}

// A common word is met within the next rows, judged here; gathering all its
// matches first would cost a third of a second in a register of ten million.
// A rare one is gathered: its few matches cost little; so is a CNP at once.
std::optional<qint64> PersonSearch::findSorted(const QStringList &terms, const QString &match,
                                               Direction direction, std::optional<Place> from,
                                               const QString &sex, const Order &order,
                                               DataError *error)
{
    const bool ascending = order.descending != (direction == Direction::Forward);
    const Order walk{order.column, !ascending};
    const auto cnpStart = [](const QString &term) {
        return term.size() >= CnpStart
               && std::all_of(term.cbegin(), term.cend(), [](QChar c) { return c.isDigit(); });
    };
    if (std::any_of(terms.cbegin(), terms.cend(), cnpStart))
        return findGathered(match, walk, from, sex, error);
    // A few rows first, then the names' own order, then more rows.
    bool decided = false;
    std::optional<qint64> found = findNear(terms, match, walk, sex, FirstRows, &from, &decided,
                                           error);
    if (!decided)
        found = findByPrefix(terms, walk, from, sex, &decided, error);
    if (!decided)
        found = findNear(terms, match, walk, sex, NearBudget, &from, &decided, error);
    if (!decided)
        found = findGathered(match, walk, from, sex, error);
    return found;
}

std::optional<qint64> PersonSearch::findNear(const QStringList &terms, const QString &match,
                                             const Order &walk, const QString &sex, int budget,
                                             std::optional<Place> *from, bool *decided,
                                             DataError *error)
{
    *decided = std::all_of(terms.cbegin(), terms.cend(), plain);
    if (!*decided)
        return std::nullopt;
    const QString columns = QStringLiteral("rowid, %1, \"sex\", %2")
                                .arg(sortKey(walk.column), indexedColumns());
    int block = FirstBlock;
    for (int read = 0; read < budget; read += block, block = qMin(2 * block, LastBlock)) {
        QVariantList params;
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        q.prepare(sortedWalk(walk, sex, *from, {}, {}, block, &params, columns)
                  + QStringLiteral(" LIMIT ?"));
        params << block;
        for (const QVariant &p : std::as_const(params))
            q.addBindValue(p);
        if (!q.exec()) {
            if (error)
                *error = DataError::fromSql(q.lastError());
            return std::nullopt;
        }
        int rows = 0;
        for (; q.next(); ++rows) {
            *from = Place{q.value(0).toLongLong(), q.value(1).toString(), q.value(2)};
            const QVariantList values{q.value(3), q.value(4), q.value(5), q.value(6), q.value(7)};
            std::optional<bool> hit = matchedPlainly(values, terms);
            if (!hit)
                hit = matchedByIndex(values, match, error);
            if (!hit || *hit)
                return hit ? std::optional((*from)->rowid) : std::nullopt;
        }
        if (rows < block)
            return std::nullopt;
    }
    *decided = false;
    return std::nullopt;
}

// A name typed in the list sorted by that column: the persons whose key
// begins with the term lie together in the column's index, and each has a
// first word that begins with it, so the next of them is a seek away. They
// are the only matches when the index of words holds no more persons with a
// word the term begins than the key's range holds, both counted over the whole
// register: a match anywhere else (another column, a later word, a word after
// a sign the key keeps) makes the counts differ, and the walk goes on.
std::optional<qint64> PersonSearch::findByPrefix(const QStringList &terms, const Order &walk,
                                                 const std::optional<Place> &from,
                                                 const QString &sex, bool *decided,
                                                 DataError *error)
{
    *decided = false;
    if (terms.size() != 1 || !plain(terms.first()))
        return std::nullopt;
    const QString &term = terms.first();
    // ASCII letters and digits are the key's own once upper-cased, and every
    // key from the first bound up to the second begins with them.
    const QString low = term.toUpper();
    const QString high = low.chopped(1) + QChar(low.back().unicode() + 1);
    // A few matches looked up show most often that some lie elsewhere, before
    // the index's words or the range are counted: a short term's are read
    // from the index of first letters, a longer one's word by word, which
    // does not gather them first.
    const auto elsewhere = [&](const QString &first) {
        const std::optional<bool> outside = matchOutside(first, walk.column, low, high, error);
        *decided = !outside;
        return !outside || *outside;
    };
    const bool indexed = indexes(walk.column);
    if (indexed && term.size() <= PrefixIndexed
        && elsewhere(QLatin1Char('"') + term + QStringLiteral("\"*")))
        return std::nullopt;
    QStringList words;
    const std::optional<qint64> rows = wordRows(term, &words, error);
    // No person has such a word: nothing to find, however long the list.
    if (!rows || *rows == 0 || !indexed) {
        *decided = !rows || *rows == 0;
        return std::nullopt;
    }
    if (term.size() > PrefixIndexed && words.size() <= SampledWords) {
        QStringList quoted;
        for (const QString &w : std::as_const(words))
            quoted << QLatin1Char('"') + w + QLatin1Char('"');
        if (elsewhere(quoted.join(QStringLiteral(" OR "))))
            return std::nullopt;
    }
    const QString range = QStringLiteral("%1 >= ? AND %1 < ?").arg(sortKey(walk.column));
    QList<qint64> inRange;
    if (!run(QStringLiteral("SELECT count(*) FROM %1 INDEXED BY %2 WHERE %3")
                 .arg(Catalogue::quoted(Catalogue::Persons),
                      Catalogue::quoted(sortIndex(walk.column)), range),
             {low, high}, &inRange, error)
        || inRange.isEmpty()) {
        *decided = true;
        return std::nullopt;
    }
    if (inRange.first() != *rows)
        return std::nullopt;
    return firstInRange(walk, from, sex, low, high, decided, error);
}

// Every row of the range matches, so the walk, which stops at a match,
// leaves its place before the range or past it.
std::optional<qint64> PersonSearch::firstInRange(const Order &walk,
                                                 const std::optional<Place> &from,
                                                 const QString &sex, const QString &low,
                                                 const QString &high, bool *decided,
                                                 DataError *error)
{
    if (from) {
        const bool ascending = !walk.descending;
        const QString &k = from->sortKey;
        const bool before = ascending ? k < low : k >= high;
        const bool past = ascending ? k >= high : k < low;
        *decided = before || past;
        if (!before)
            return std::nullopt;
    }
    *decided = true;
    const QString range = QStringLiteral("%1 >= ? AND %1 < ?").arg(sortKey(walk.column));
    QVariantList params;
    QList<qint64> keys;
    if (!run(sortedWalk(walk, sex, {}, range, {low, high}, 1, &params) + QStringLiteral(" LIMIT 1"),
             params, &keys, error)
        || keys.isEmpty())
        return std::nullopt;
    return keys.first();
}
