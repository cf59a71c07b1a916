// Record-source texts end in a key that came from a row or a box. The dialect
// layer must never crash on any text, and when it accepts one, every literal
// of it travels as a bound parameter: no quote of the text reaches the SQL
// that SQLite reads, and the statements the record set builds from it run
// against a real register without touching its tables.
#include "fuzztext.h"

#include "data/catalogue.h"
#include "data/database.h"
#include "data/dialect.h"
#include "data/recordset.h"
#include "data/registerfile.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

namespace {

struct Register
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    QString shape; // the schema objects and the row count of each table
};

Register *theRegister = nullptr;

QString registerShape(Database *db)
{
    QString shape;
    QSqlQuery q(db->connection());
    q.exec(QStringLiteral("SELECT type, name FROM sqlite_master ORDER BY name"));
    while (q.next())
        shape += q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString()
                 + QLatin1Char(';');
    for (const Catalogue::Object &object : Catalogue::objects()) {
        if (object.isQuery)
            continue;
        QSqlQuery count(db->connection());
        count.exec(QStringLiteral("SELECT count(*) FROM %1").arg(Catalogue::quoted(object.name)));
        count.next();
        shape += object.name + QLatin1Char('=') + count.value(0).toString() + QLatin1Char(';');
    }
    return shape;
}

void exec(Database *db, const QString &sql)
{
    if (!db->exec(sql))
        std::abort();
}

// The names the catalogue itself puts between double quotes.
const QSet<QString> &catalogueNames()
{
    static const QSet<QString> names = [] {
        QSet<QString> all;
        for (const Catalogue::Object &object : Catalogue::objects()) {
            all.insert(object.name);
            all.insert(object.keyColumn);
            for (const Catalogue::Field &field : object.fields)
                all.insert(field.name);
        }
        return all;
    }();
    return names;
}

// True when every quoted stretch of the SQL is a catalogue name and nothing
// else could open a literal or an identifier.
bool onlyCatalogueQuotes(const QString &sql)
{
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('`') || c == QLatin1Char('['))
            return false;
        if (c == QLatin1Char('"')) {
            const qsizetype close = sql.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0 || !catalogueNames().contains(sql.mid(i + 1, close - i - 1)))
                return false;
            i = close;
        }
    }
    return true;
}

// A literal is bound as itself; an empty text must not become NULL, which
// would match nothing.
bool hasParameter(const QVariantList &params, const Dialect::Token &literal)
{
    for (const QVariant &p : params) {
        if (literal.type == Dialect::TokenType::String && p.typeId() == QMetaType::QString
            && p.toString() == literal.text && !p.toString().isNull())
            return true;
        if (literal.type == Dialect::TokenType::Number && p.typeId() != QMetaType::QString
            && p.toDouble() == literal.text.toDouble())
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    theRegister = new Register;
    const QString file = theRegister->dir.filePath(QStringLiteral("Zavoni.mdb"));
    if (!RegisterFile::create(file, nullptr))
        std::abort();
    DataError error;
    theRegister->db = Database::open(file, &error);
    if (!theRegister->db)
        std::abort();
    // A few rows, so that the accepted sources also have something to read.
    Database *db = theRegister->db.get();
    exec(db, QStringLiteral("INSERT INTO TBL_Zavoni (CNP_C, Nume, sex, sector) VALUES "
                            "('1800101400011', 'ION', 'M', 1), ('2800101400012', 'ANA', 'F', 0)"));
    exec(db, QStringLiteral("INSERT INTO TBL_Infractiuni (COD_infractiune, CNP_C, Infractiune, "
                            "Pedeapsa, Suspendare, Ispasit) VALUES "
                            "(125, '1800101400011', 'LUARE DE MITĂ', 'A', 0, 1)"));
    exec(db, QStringLiteral("INSERT INTO TBL_Complici (CNP, Nume, sex) VALUES "
                            "('1700101400013', 'DAN', 'M'), ('2700101400014', 'ELENA', 'F')"));
    exec(db, QStringLiteral("INSERT INTO TBL_Complicitate (CNP, COD_INFRACTIUNE) VALUES "
                            "('1700101400013', 125), ('2700101400014', 125)"));
    exec(db, QStringLiteral("INSERT INTO TBL_Articole (Cod_infractiune, Publicatie) VALUES "
                            "(125, 'ZIARUL')"));
    theRegister->shape = registerShape(db);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);

    QList<Dialect::Token> tokens;
    DataError tokenError;
    const bool tokenized = Dialect::tokenize(text, &tokens, &tokenError);
    FUZZ_REQUIRE(tokenized ? !tokens.isEmpty() && tokens.last().type == Dialect::TokenType::End
                           : tokenError.isError(),
                 text, tokenError.describe());

    Dialect::Plan plan;
    DataError error;
    if (!Dialect::compile(text, &plan, &error)) {
        FUZZ_REQUIRE(error.isError(), text, QString());
        return 0;
    }
    FUZZ_REQUIRE(tokenized && !error.isError(), text, error.describe());

    for (const Dialect::Token &token : std::as_const(tokens)) {
        if (token.type == Dialect::TokenType::String || token.type == Dialect::TokenType::Number)
            FUZZ_REQUIRE(hasParameter(plan.memberParams, token), text, token.text);
    }

    QStringList statements{plan.memberFrom, plan.memberWhere, plan.memberKey, plan.fetchPrefix,
                           plan.linkDeleteSql};
    for (const Dialect::Column &column : std::as_const(plan.columns))
        statements << column.sql;
    for (const QString &sql : std::as_const(statements))
        FUZZ_REQUIRE(onlyCatalogueQuotes(sql), text, sql);
    FUZZ_REQUIRE(plan.memberWhere.count(QLatin1Char('?')) == plan.memberParams.size(), text,
                 plan.memberWhere);
    FUZZ_REQUIRE(plan.fetchPrefix.count(QLatin1Char('?')) == plan.fetchParams.size(), text,
                 plan.fetchPrefix);
    if (!plan.linkDeleteSql.isEmpty())
        FUZZ_REQUIRE(plan.linkDeleteSql.count(QLatin1Char('?'))
                         == plan.linkDeleteParams.size() + 1,
                     text, plan.linkDeleteSql);

    // What the dialect accepts, the engine runs: count, keys and rows.
    Recordset recordset(theRegister->db.get());
    FUZZ_REQUIRE(recordset.open(text), text, recordset.lastError().describe());
    if (recordset.moveLast()) {
        for (int column = 0; column < recordset.fieldNames().size(); ++column)
            recordset.valueAt(recordset.absolutePosition(), column);
    }
    FUZZ_REQUIRE(!recordset.lastError().isError(), text, recordset.lastError().describe());
    const QString shape = registerShape(theRegister->db.get());
    FUZZ_REQUIRE(shape == theRegister->shape, text, shape);
    return 0;
}
