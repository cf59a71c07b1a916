// Record-source texts end in a key that came from a row or a box. The
// recogniser must never crash on any text; what it accepts is one of the
// screens' shapes with its key as a value, recognised again the same from the
// text the screens would compose for it, and a record set opened on it reads
// a real register without changing it. An input is a raw text, or, when its
// first byte is 0x02 to 0x04, a key for one of the shapes with a key.
#include "fuzztext.h"

#include "data/catalogue.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/recordsource.h"
#include "data/registerfile.h"
#include "data/sourcetexts.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {

struct Register
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    QString shape; // the schema objects and the row count of each table
};

Register *theRegister = nullptr;

// Run by exit(), which ends every run that found nothing: no folder is left.
void closeRegister()
{
    delete theRegister;
    theRegister = nullptr;
}

QString registerShape(Database *db)
{
    QString shape;
    QSqlQuery q(db->connection());
    q.exec(QStringLiteral("SELECT type, name FROM sqlite_master ORDER BY name"));
    while (q.next())
        shape += q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString()
                 + QLatin1Char(';');
    for (const Catalogue::Object &object : Catalogue::objects()) {
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

// The text a screen composes for the source.
QString composed(const RecordSource &source)
{
    const QString code = QString::number(source.code);
    switch (source.kind) {
    case RecordSource::Kind::Whole:
        return source.object->name;
    case RecordSource::Kind::OffencesOfPerson:
        return SourceTexts::OffencesOfPerson + SourceTexts::quotedKey(source.cnp);
    case RecordSource::Kind::AccomplicesOfOffence:
        return SourceTexts::AccomplicesOfOffence + code
               + (source.sex ? SourceTexts::AccomplicesSexFilter
                                   + SourceTexts::quotedKey(*source.sex)
                             : QString());
    case RecordSource::Kind::ArticlesOfOffence:
        return SourceTexts::ArticlesOfOffence + code;
    }
    return {};
}

// A key for a shape: the offences of any text, the accomplices of any code
// (of any sex, when text follows the code's eight bytes), the articles of any
// code.
std::optional<RecordSource> keyed(const uint8_t *data, size_t size)
{
    if (size == 0 || data[0] < 0x02 || data[0] > 0x04)
        return std::nullopt;
    RecordSource source;
    source.kind = RecordSource::Kind(data[0] - 0x01);
    if (source.kind == RecordSource::Kind::OffencesOfPerson) {
        source.cnp = fuzzText(data + 1, size - 1);
        return source;
    }
    quint64 code = 0;
    const size_t bytes = qMin<size_t>(size - 1, sizeof code);
    std::memcpy(&code, data + 1, bytes);
    source.code = qint64(code >> 1);
    if (source.kind == RecordSource::Kind::AccomplicesOfOffence && size > 1 + sizeof code)
        source.sex = fuzzText(data + 1 + sizeof code, size - 1 - sizeof code);
    return source;
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
    // After the connection, so that it is closed before Qt's own statics go.
    std::atexit(closeRegister);
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
    const std::optional<RecordSource> key = keyed(data, size);
    const QString text = key ? composed(*key) : fuzzText(data, size);

    DataError error;
    const std::optional<RecordSource> source = RecordSource::recognise(text, &error);
    if (!source) {
        FUZZ_REQUIRE(!key, text, error.describe());
        FUZZ_REQUIRE(error.number == EngineError::Syntax
                         || error.number == EngineError::UnknownObject,
                     text, error.describe());
        FUZZ_REQUIRE(!error.text.isEmpty(), text, QString());
        return 0;
    }
    FUZZ_REQUIRE(!error.isError(), text, error.describe());
    FUZZ_REQUIRE(!key || *source == *key, text, composed(*source));
    DataError again;
    FUZZ_REQUIRE(RecordSource::recognise(composed(*source), &again) == source, text,
                 composed(*source));

    // What the recogniser accepts, the engine runs: count, keys and rows.
    Recordset recordset(theRegister->db.get());
    FUZZ_REQUIRE(recordset.open(text), text, recordset.lastError().describe());
    if (source->kind == RecordSource::Kind::OffencesOfPerson) {
        QSqlQuery q(theRegister->db->connection());
        q.prepare(QStringLiteral("SELECT count(*) FROM TBL_Infractiuni WHERE CNP_C = ?"));
        q.addBindValue(source->cnp);
        FUZZ_REQUIRE(q.exec() && q.next() && q.value(0).toInt() == recordset.recordCount(),
                     text, QString::number(recordset.recordCount()));
    }
    if (recordset.moveLast()) {
        for (int column = 0; column < recordset.fieldNames().size(); ++column)
            recordset.valueAt(recordset.absolutePosition(), column);
    }
    FUZZ_REQUIRE(!recordset.lastError().isError(), text, recordset.lastError().describe());
    const QString shape = registerShape(theRegister->db.get());
    FUZZ_REQUIRE(shape == theRegister->shape, text, shape);
    return 0;
}
