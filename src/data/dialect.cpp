#include "dialect.h"

#include "catalogue.h"

namespace Dialect {

using Catalogue::quoted;

bool tokenize(const QString &text, QList<Token> *tokens, DataError *error)
{
    tokens->clear();
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token token;
        token.position = i;
        if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i + 1;
            while (j < n && (text.at(j).isLetterOrNumber() || text.at(j) == QLatin1Char('_')))
                ++j;
            token.type = TokenType::Name;
            token.text = text.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('[')) {
            const int close = int(text.indexOf(QLatin1Char(']'), i + 1));
            if (close < 0) {
                *error = DataError::make(EngineError::Syntax,
                                         QStringLiteral("Paranteză dreaptă neînchisă."));
                return false;
            }
            token.type = TokenType::Name;
            token.text = text.mid(i + 1, close - i - 1);
            i = close + 1;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            // Quotes are doubled inside a literal, as the engine's SQL has it.
            // An empty literal is an empty text, not a missing value.
            QString value = QStringLiteral("");
            int j = i + 1;
            bool closed = false;
            while (j < n) {
                if (text.at(j) == c) {
                    if (j + 1 < n && text.at(j + 1) == c) {
                        value += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                value += text.at(j++);
            }
            if (!closed) {
                *error = DataError::make(EngineError::Syntax,
                                         QStringLiteral("Text neînchis între ghilimele."));
                return false;
            }
            token.type = TokenType::String;
            token.text = value;
            i = j + 1;
        } else if (c.isDigit() && c.unicode() < 128) {
            int j = i;
            while (j < n && text.at(j).isDigit() && text.at(j).unicode() < 128)
                ++j;
            if (j + 1 < n && text.at(j) == QLatin1Char('.') && text.at(j + 1).isDigit()) {
                ++j;
                while (j < n && text.at(j).isDigit() && text.at(j).unicode() < 128)
                    ++j;
            }
            token.type = TokenType::Number;
            token.text = text.mid(i, j - i);
            i = j;
        } else if (QStringLiteral("(),.*=;").contains(c)) {
            token.type = TokenType::Symbol;
            token.text = c;
            ++i;
        } else {
            *error = DataError::make(
                EngineError::Syntax,
                QStringLiteral("Caracter neasteptat la pozitia %1.").arg(i + 1));
            return false;
        }
        tokens->append(token);
    }
    Token end;
    end.position = n;
    tokens->append(end);
    return true;
}

int Plan::fieldIndex(const QString &name) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

namespace {

struct Conjunct
{
    QString sql;
    QVariantList params;
    QStringList tables;
};

class Parser
{
public:
    Parser(const QList<Token> &tokens)
        : m_t(tokens)
    {
    }

    bool parseSelect(Plan *plan, DataError *error);

private:
    const Token &peek(int ahead = 0) const
    {
        const int i = qMin(m_i + ahead, int(m_t.size()) - 1);
        return m_t.at(i);
    }
    bool isKeyword(const char *word, int ahead = 0) const
    {
        return peek(ahead).type == TokenType::Name
               && peek(ahead).text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(char symbol, int ahead = 0) const
    {
        return peek(ahead).type == TokenType::Symbol && peek(ahead).text == QLatin1Char(symbol);
    }
    bool fail(int number, const QString &detail)
    {
        if (!m_error->isError())
            *m_error = DataError::make(number, detail);
        return false;
    }
    bool expectKeyword(const char *word)
    {
        if (!isKeyword(word))
            return fail(EngineError::Syntax,
                        QStringLiteral("Se astepta %1 la pozitia %2.")
                            .arg(QLatin1String(word))
                            .arg(peek().position + 1));
        ++m_i;
        return true;
    }
    bool expectSymbol(char symbol)
    {
        if (!isSymbol(symbol))
            return fail(EngineError::Syntax,
                        QStringLiteral("Se astepta „%1” la pozitia %2.")
                            .arg(QLatin1Char(symbol))
                            .arg(peek().position + 1));
        ++m_i;
        return true;
    }

    const Catalogue::Object *fromTable(const QString &name) const
    {
        for (const Catalogue::Object *t : m_tables) {
            if (t->name.compare(name, Qt::CaseInsensitive) == 0)
                return t;
        }
        return nullptr;
    }

    bool parseTable(const Catalogue::Object **table)
    {
        if (peek().type != TokenType::Name)
            return fail(EngineError::Syntax, QStringLiteral("Lipseste numele tabelului."));
        const Catalogue::Object *object = Catalogue::find(peek().text);
        if (!object || object->isQuery)
            return fail(EngineError::UnknownObject, peek().text);
        if (fromTable(object->name))
            return fail(EngineError::Syntax,
                        QStringLiteral("Tabelul %1 apare de două ori.").arg(object->name));
        ++m_i;
        *table = object;
        return true;
    }

    // A column reference, qualified or not, resolved against the FROM tables.
    bool resolveColumn(const QString &qualifier, const QString &name, QString *table,
                       QString *field)
    {
        for (const Catalogue::Object *t : m_tables) {
            if (!qualifier.isEmpty() && t->name.compare(qualifier, Qt::CaseInsensitive) != 0)
                continue;
            if (const Catalogue::Field *f = Catalogue::findField(*t, name)) {
                *table = t->name;
                *field = f->name;
                return true;
            }
        }
        return fail(EngineError::UnknownField,
                    qualifier.isEmpty() ? name : qualifier + QLatin1Char('.') + name);
    }

    int operandLength(int at) const
    {
        const Token &t = peek(at);
        if (t.type == TokenType::String || t.type == TokenType::Number)
            return 1;
        if (t.type != TokenType::Name)
            return 0;
        if (isSymbol('.', at + 1) && peek(at + 2).type == TokenType::Name)
            return 3;
        return 1;
    }

    bool parseOperand(Conjunct *out)
    {
        if (isSymbol('(') && operandLength(1) > 0 && isSymbol(')', 1 + operandLength(1))) {
            ++m_i;
            if (!parseOperand(out))
                return false;
            return expectSymbol(')');
        }
        const Token &t = peek();
        if (t.type == TokenType::String) {
            out->sql += QLatin1Char('?');
            out->params << t.text;
            ++m_i;
            return true;
        }
        if (t.type == TokenType::Number) {
            bool whole = false;
            const qlonglong v = t.text.toLongLong(&whole);
            out->sql += QLatin1Char('?');
            out->params << (whole ? QVariant(v) : QVariant(t.text.toDouble()));
            ++m_i;
            return true;
        }
        if (t.type != TokenType::Name || isKeyword("AND") || isKeyword("OR"))
            return fail(EngineError::Syntax,
                        QStringLiteral("Operand lipsă la pozitia %1.").arg(t.position + 1));
        QString qualifier, name = t.text;
        ++m_i;
        if (isSymbol('.')) {
            ++m_i;
            if (peek().type != TokenType::Name)
                return fail(EngineError::Syntax, QStringLiteral("Lipseste numele câmpului."));
            qualifier = name;
            name = peek().text;
            ++m_i;
        }
        QString table, field;
        if (!resolveColumn(qualifier, name, &table, &field))
            return false;
        out->sql += quoted(table) + QLatin1Char('.') + quoted(field);
        if (!out->tables.contains(table))
            out->tables << table;
        return true;
    }

    bool parseComparison(Conjunct *out)
    {
        if (!parseOperand(out))
            return false;
        if (!expectSymbol('='))
            return false;
        out->sql += QStringLiteral(" = ");
        return parseOperand(out);
    }

    bool parsePrimary(Conjunct *out)
    {
        if (isSymbol('(') && !(operandLength(1) > 0 && isSymbol(')', 1 + operandLength(1)))) {
            ++m_i;
            out->sql += QLatin1Char('(');
            if (!parseOr(out))
                return false;
            out->sql += QLatin1Char(')');
            return expectSymbol(')');
        }
        return parseComparison(out);
    }

    bool parseAnd(Conjunct *out)
    {
        if (!parsePrimary(out))
            return false;
        while (isKeyword("AND")) {
            ++m_i;
            out->sql += QStringLiteral(" AND ");
            if (!parsePrimary(out))
                return false;
        }
        return true;
    }

    bool parseOr(Conjunct *out)
    {
        if (!parseAnd(out))
            return false;
        while (isKeyword("OR")) {
            ++m_i;
            out->sql += QStringLiteral(" OR ");
            if (!parseAnd(out))
                return false;
        }
        return true;
    }

    // The WHERE clause as its top-level AND terms, so that a join can tell the
    // terms on the link table from those on the listed table.
    bool parseWhere(QList<Conjunct> *conjuncts)
    {
        for (;;) {
            Conjunct c;
            if (!parsePrimary(&c))
                return false;
            conjuncts->append(c);
            if (isKeyword("AND")) {
                ++m_i;
                continue;
            }
            if (isKeyword("OR")) {
                // An OR spans the terms before it: fold them into one.
                Conjunct all;
                QStringList parts;
                for (const Conjunct &p : *conjuncts) {
                    parts << p.sql;
                    all.params += p.params;
                    for (const QString &t : p.tables)
                        if (!all.tables.contains(t))
                            all.tables << t;
                }
                all.sql = parts.join(QStringLiteral(" AND "));
                ++m_i;
                all.sql = QLatin1Char('(') + all.sql + QStringLiteral(" OR ");
                if (!parseOr(&all))
                    return false;
                all.sql += QLatin1Char(')');
                conjuncts->clear();
                conjuncts->append(all);
                if (isKeyword("AND")) {
                    ++m_i;
                    continue;
                }
            }
            return true;
        }
    }

    const QList<Token> &m_t;
    int m_i = 0;
    DataError *m_error = nullptr;
    QList<const Catalogue::Object *> m_tables;
};

bool Parser::parseSelect(Plan *plan, DataError *error)
{
    m_error = error;
    if (!expectKeyword("SELECT"))
        return false;

    // The select list names tables that come only after FROM; keep it raw.
    struct Item
    {
        QString qualifier, name;
        bool star = false;
    };
    QList<Item> items;
    for (;;) {
        Item item;
        if (isSymbol('*')) {
            item.star = true;
            ++m_i;
        } else if (peek().type == TokenType::Name && !isKeyword("FROM")) {
            item.name = peek().text;
            ++m_i;
            if (isSymbol('.')) {
                ++m_i;
                item.qualifier = item.name;
                item.name.clear();
                if (isSymbol('*')) {
                    item.star = true;
                    ++m_i;
                } else if (peek().type == TokenType::Name) {
                    item.name = peek().text;
                    ++m_i;
                } else {
                    return fail(EngineError::Syntax, QStringLiteral("Câmp lipsă după punct."));
                }
            }
        } else {
            return fail(EngineError::Syntax, QStringLiteral("Lista de câmpuri este goală."));
        }
        items << item;
        if (!isSymbol(','))
            break;
        ++m_i;
    }

    if (!expectKeyword("FROM"))
        return false;
    const Catalogue::Object *primary = nullptr;
    if (!parseTable(&primary))
        return false;
    m_tables << primary;

    const Catalogue::Object *link = nullptr;
    Conjunct joinOn;
    if (isKeyword("INNER") || isKeyword("JOIN")) {
        if (isKeyword("INNER"))
            ++m_i;
        if (!expectKeyword("JOIN") || !parseTable(&link))
            return false;
        m_tables << link;
        if (!expectKeyword("ON"))
            return false;
        if (!parseComparison(&joinOn))
            return false;
        if (!joinOn.params.isEmpty() || joinOn.tables.size() != 2)
            return fail(EngineError::Syntax,
                        QStringLiteral("Legătura dintre tabele trebuie să compare câte un "
                                       "câmp din fiecare."));
    }

    QList<Conjunct> where;
    if (isKeyword("WHERE")) {
        ++m_i;
        if (!parseWhere(&where))
            return false;
    }
    if (isSymbol(';'))
        ++m_i;
    if (peek().type != TokenType::End)
        return fail(EngineError::Syntax,
                    QStringLiteral("Text neasteptat la pozitia %1.").arg(peek().position + 1));

    // Columns
    auto addColumn = [&](const Catalogue::Object *t, const Catalogue::Field &f) {
        Column c;
        c.name = f.name;
        if (plan->fieldIndex(f.name) >= 0)
            c.name = t->name + QLatin1Char('.') + f.name;
        c.table = t->name;
        c.sql = quoted(t->name) + QLatin1Char('.') + quoted(f.name);
        c.type = f.type;
        c.writable = (t == primary) && f.type != Catalogue::FieldType::AutoNumber;
        plan->columns << c;
    };
    for (const Item &item : items) {
        if (item.star) {
            if (item.qualifier.isEmpty()) {
                for (const Catalogue::Object *t : m_tables)
                    for (const Catalogue::Field &f : t->fields)
                        addColumn(t, f);
                continue;
            }
            const Catalogue::Object *t = fromTable(item.qualifier);
            if (!t)
                return fail(EngineError::UnknownField, item.qualifier + QStringLiteral(".*"));
            for (const Catalogue::Field &f : t->fields)
                addColumn(t, f);
            continue;
        }
        QString table, field;
        if (!resolveColumn(item.qualifier, item.name, &table, &field))
            return false;
        const Catalogue::Object *t = fromTable(table);
        addColumn(t, *Catalogue::findField(*t, field));
    }

    const QString p = quoted(primary->name);
    QStringList whereSql;
    QVariantList whereParams;
    for (const Conjunct &c : where) {
        whereSql << c.sql;
        whereParams += c.params;
    }
    QString from = QStringLiteral("FROM ") + p;
    if (link)
        from += QStringLiteral(" INNER JOIN ") + quoted(link->name) + QStringLiteral(" ON ")
                + joinOn.sql;
    plan->memberFrom = from;
    plan->memberWhere = whereSql.join(QStringLiteral(" AND "));
    plan->memberKey = p + QStringLiteral(".rowid");
    plan->memberParams = whereParams;
    plan->writeTable = primary->name;

    QStringList cols;
    for (const Column &c : plan->columns)
        cols << c.sql;
    QString fetch = QStringLiteral("SELECT ") + p + QStringLiteral(".rowid, ")
                    + cols.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + p;
    if (link) {
        // Rows are read by their own key, so a row stays readable while it has
        // no link yet (just added) or no longer matches the filter (just changed).
        QString on = joinOn.sql;
        QStringList deleteTerms;
        for (const Conjunct &c : where) {
            if (c.tables.size() == 1 && c.tables.first() == link->name) {
                on += QStringLiteral(" AND ") + c.sql;
                plan->fetchParams += c.params;
                deleteTerms << c.sql;
                plan->linkDeleteParams += c.params;
            }
        }
        fetch += QStringLiteral(" LEFT JOIN ") + quoted(link->name) + QStringLiteral(" ON ") + on;
        // The link rows of this row: those the join and the link terms select.
        const QString lq = quoted(link->name) + QLatin1Char('.');
        const QString pq = p + QLatin1Char('.');
        // joinOn compares one column of each table; rewrite the primary side as
        // a lookup by rowid.
        QString primaryColumn, linkColumn;
        for (const QString &side : joinOn.sql.split(QStringLiteral(" = "))) {
            if (side.startsWith(pq))
                primaryColumn = side.mid(pq.size());
            else if (side.startsWith(lq))
                linkColumn = side.mid(lq.size());
        }
        QString del =
            QStringLiteral("DELETE FROM %1 WHERE %1.%2 = (SELECT %3 FROM %4 WHERE rowid = ?)")
                .arg(quoted(link->name), linkColumn, primaryColumn, p);
        for (const QString &t : deleteTerms)
            del += QStringLiteral(" AND ") + t;
        plan->linkDeleteSql = del; // the row's key is bound first
        plan->distinctKeys = true;
    }
    fetch += QStringLiteral(" WHERE ") + p + QStringLiteral(".rowid IN (");
    plan->fetchPrefix = fetch;
    return true;
}

} // namespace

bool compile(const QString &recordSource, Plan *plan, DataError *error)
{
    *plan = Plan();
    *error = DataError();
    QList<Token> tokens;
    if (!tokenize(recordSource, &tokens, error))
        return false;
    const bool bareName = tokens.size() == 2
                          || (tokens.size() == 3 && tokens.at(1).type == TokenType::Symbol
                              && tokens.at(1).text == QLatin1String(";"));
    if (tokens.first().type == TokenType::Name && bareName) {
        const Catalogue::Object *object = Catalogue::find(tokens.first().text);
        if (!object) {
            *error = DataError::make(EngineError::UnknownObject, tokens.first().text);
            return false;
        }
        const QString table = object->isQuery ? object->baseTable : object->name;
        const QString t = quoted(table);
        QStringList cols;
        for (const Catalogue::Field &f : object->fields) {
            Column c;
            c.name = f.name;
            c.table = table;
            c.sql = t + QLatin1Char('.') + quoted(f.name);
            c.type = f.type;
            c.writable = f.type != Catalogue::FieldType::AutoNumber;
            plan->columns << c;
            cols << c.sql;
        }
        plan->memberFrom = QStringLiteral("FROM ") + quoted(object->name);
        plan->memberKey = quoted(object->name) + QLatin1Char('.') + quoted(object->keyColumn);
        if (!object->isQuery)
            plan->memberKey = t + QStringLiteral(".rowid");
        plan->fetchPrefix = QStringLiteral("SELECT ") + t + QStringLiteral(".rowid, ")
                            + cols.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + t
                            + QStringLiteral(" WHERE ") + t + QStringLiteral(".rowid IN (");
        plan->writeTable = table;
        if (object->name == Catalogue::Persons || object->isQuery)
            plan->countedAs = object->name;
        return true;
    }
    if (tokens.first().type == TokenType::End) {
        *error = DataError::make(EngineError::Syntax,
                                 QStringLiteral("Sursa de înregistrări este goală."));
        return false;
    }
    Parser parser(tokens);
    if (!parser.parseSelect(plan, error)) {
        *plan = Plan();
        return false;
    }
    return true;
}

} // namespace Dialect
