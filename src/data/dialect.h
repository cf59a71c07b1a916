#pragma once

#include "catalogue.h"
#include "dataerror.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// The screens select their rows with the record-source texts they were
// written with: a table name, a stored query name, or a small SELECT with the
// key appended. This layer reads such a text token by token, resolves every
// name against the catalogue without regard to case, and turns every literal
// into a bound parameter, so no part of a key can ever run as SQL.
namespace Dialect {

enum class TokenType { Name, String, Number, Symbol, End };

struct Token
{
    TokenType type = TokenType::End;
    QString text; // a name unbracketed, a string unquoted
    int position = 0;
};

// Splits a record-source text; false with an error on an unterminated string
// or bracket, or a character that has no place in it.
bool tokenize(const QString &text, QList<Token> *tokens, DataError *error);

struct Column
{
    QString name;     // as the catalogue spells it
    QString table;    // the table the value comes from
    QString sql;      // how the fetch statement reads it
    Catalogue::FieldType type = Catalogue::FieldType::Text;
    bool writable = false;
};

// Everything the record set needs to read and write the rows of one source.
struct Plan
{
    QList<Column> columns;

    // Membership: the keys of the rows in the set, in the engine's order.
    QString memberFrom;  // FROM and joins
    QString memberWhere; // conditions with ? placeholders; may be empty
    QString memberKey;   // key expression, in the terms of memberFrom
    bool distinctKeys = false; // a join may list a row once per link
    QString countedAs;   // the source's name among the kept counts, if it has one
    QVariantList memberParams;

    // Reading rows by key; the statement ends in "IN (" and takes the keys.
    QString fetchPrefix;
    QVariantList fetchParams;

    // Writing: the table whose rows the set adds, changes and deletes, by rowid.
    QString writeTable;

    // For a join: the link rows a delete removes, given the written row's key.
    QString linkDeleteSql;
    QVariantList linkDeleteParams;

    int fieldIndex(const QString &name) const; // any case; -1 when absent
};

bool compile(const QString &recordSource, Plan *plan, DataError *error);

} // namespace Dialect
