#include "common/testregister.h"

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"
#include "data/recordset.h"
#include "data/registerfile.h"
#include "data/sourcetexts.h"

#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

// Rows that another tool wrote into the register: quotes, semicolons, SQL,
// control characters, text far beyond the boxes, NULLs, numbers and bytes
// where text belongs, out-of-range codes. Every record source the screens
// compose must select and browse them as plain values, and none of their
// text may ever run as SQL.
class TestBadText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void personSources_data();
    void personSources();
    void offencesOfEachPerson_data();
    void offencesOfEachPerson();
    void accomplicesOfEachOffence_data();
    void accomplicesOfEachOffence();
    void articlesOfEachOffence_data();
    void articlesOfEachOffence();

private:
    void fill();
    void browse(const QString &source, const QString &expectedSql, const QVariantList &params);
    QList<QSqlRecord> rows(const QString &sql, const QVariantList &params);
    QString shape();

    std::unique_ptr<TestRegister> m_reg;
    QString m_connection;
    QHash<QString, qint64> m_offences; // name of the case -> offence code
};

namespace {

const QString LongText = QString(100000, QChar(u'Ă')) + QStringLiteral(" SFÂRSIT");

// The texts another tool put in every kind of column; the key of each is
// also the name of its case.
QList<std::pair<QString, QVariant>> badValues()
{
    return {
        {QStringLiteral("double quote"), QStringLiteral("POP\"ESCU")},
        {QStringLiteral("lone double quote"), QStringLiteral("\"")},
        {QStringLiteral("apostrophe"), QStringLiteral("O'BRIEN")},
        {QStringLiteral("semicolon"), QStringLiteral("A;B;")},
        {QStringLiteral("drop table"), QStringLiteral("'); DROP TABLE TBL_Zavoni; --")},
        {QStringLiteral("quoted drop table"),
         QStringLiteral("\"; DROP TABLE TBL_Infractiuni; SELECT \"")},
        {QStringLiteral("always true"), QStringLiteral("\" OR \"1\"=\"1")},
        {QStringLiteral("bracket"), QStringLiteral("[TBL_Zavoni]")},
        {QStringLiteral("control characters"), QStringLiteral("\t\r\n\x01\x1b[31m\x7f")},
        {QStringLiteral("inner NUL"),
         QString(QStringLiteral("AB")) + QChar(0) + QStringLiteral("CD")},
        {QStringLiteral("long text"), LongText},
        {QStringLiteral("right to left"), QStringLiteral("\u202eLUAP \u05e9\u05dc\u05d5\u05dd")},
        {QStringLiteral("empty"), QString(QStringLiteral(""))},
        {QStringLiteral("number"), 42},
        {QStringLiteral("fraction"), 3.75},
        {QStringLiteral("bytes"), QByteArray("\xff\xfe\0bin", 6)},
        {QStringLiteral("null"), QVariant()},
    };
}

// Columns that are no text: a value of the wrong kind in each.
const QVariantList Sectors{0, 99, -1, QStringLiteral("abc"), QVariant(), 3.7, 6};
const QVariantList Sexes{QStringLiteral("F"), QStringLiteral("M"), QStringLiteral("X"),
                         QVariant(), QStringLiteral("f"), QStringLiteral("FM")};
const QVariantList Dates{QStringLiteral("31.02.2020"), QStringLiteral("ieri"),
                         QStringLiteral("2020-13-45"), QString(QStringLiteral("")), 12345,
                         QStringLiteral("00.00.0000")};
const QVariantList Penalties{QStringLiteral("X"), QString(QStringLiteral("")), QVariant(),
                             QStringLiteral("A"), QStringLiteral("DS"), QStringLiteral("d")};
const QVariantList Flags{QStringLiteral("X"), 2, -1, QVariant(), QStringLiteral("Da"), 1};
const QVariantList OffenceTypes{QStringLiteral("NECUNOSCUTĂ"), QStringLiteral("FURT"),
                                QVariant(), QString(QStringLiteral(""))};

} // namespace

void TestBadText::initTestCase()
{
    // Browsing changes nothing, which every case checks, so all share one register.
    m_reg = std::make_unique<TestRegister>();
    m_connection = QStringLiteral("badtext");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_reg->path());
    QVERIFY(db.open());
    fill();
}

void TestBadText::cleanupTestCase()
{
    QSqlDatabase::database(m_connection).close();
    QSqlDatabase::removeDatabase(m_connection);
    m_offences.clear();
    m_reg.reset();
}

void TestBadText::fill()
{
    // The other tool does not check references either.
    m_reg->exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    const QStringList personText{"Serie_buletin", "Numar_buletin", "Nume", "Initiala", "Prenume",
                                 "Porecla1", "Porecla2", "Functia", "Profesia", "Judet",
                                 "Localitate", "Strada", "Numar", "Bloc", "Scara",
                                 "Apartament"};
    const QStringList offenceText{"Amenda", "Detenta1", "Detenta2", "Sanctiune", "Descriere"};
    const QStringList articleText{"Publicatie", "Autor", "Articol"};
    int i = 0;
    for (const auto &[name, value] : badValues()) {
        // A key cannot be NULL or repeat; every other column takes the value.
        const QString key = value.isNull() || value.typeId() != QMetaType::QString
                                ? QStringLiteral("KEY-%1").arg(name)
                                : value.toString();
        QVariantMap person, accomplice;
        for (const QString &column : personText)
            person.insert(column, value);
        person.insert(QStringLiteral("CNP_C"), key);
        person.insert(QStringLiteral("sex"), Sexes.at(i % Sexes.size()));
        person.insert(QStringLiteral("sector"), Sectors.at(i % Sectors.size()));
        person.insert(QStringLiteral("Data_nasterii"), Dates.at(i % Dates.size()));
        m_reg->insert(QStringLiteral("TBL_Zavoni"), person);

        QVariantMap offence;
        for (const QString &column : offenceText)
            offence.insert(column, value);
        offence.insert(QStringLiteral("CNP_C"), key);
        offence.insert(QStringLiteral("Infractiune"),
                       i % 2 ? value : OffenceTypes.at(i / 2 % OffenceTypes.size()));
        offence.insert(QStringLiteral("Pedeapsa"), Penalties.at(i % Penalties.size()));
        offence.insert(QStringLiteral("Detenta1"), Dates.at((i + 1) % Dates.size()));
        offence.insert(QStringLiteral("Suspendare"), Flags.at(i % Flags.size()));
        offence.insert(QStringLiteral("Ispasit"), Flags.at((i + 2) % Flags.size()));
        const qint64 code = m_reg->insert(QStringLiteral("TBL_Infractiuni"), offence);
        m_offences.insert(name, code);

        for (const QString &column : personText.mid(0, 7) + personText.mid(9))
            accomplice.insert(column, value);
        accomplice.insert(QStringLiteral("CNP"), key);
        accomplice.insert(QStringLiteral("sex"), Sexes.at((i + 1) % Sexes.size()));
        accomplice.insert(QStringLiteral("sector"), Sectors.at((i + 3) % Sectors.size()));
        accomplice.insert(QStringLiteral("Data_nasterii"), Dates.at(i % Dates.size()));
        m_reg->insert(QStringLiteral("TBL_Complici"), accomplice);
        // Each offence has its own accomplice and the one of the case before.
        m_reg->insert(QStringLiteral("TBL_Complicitate"),
                      {{QStringLiteral("CNP"), key}, {QStringLiteral("COD_INFRACTIUNE"), code}});
        if (i > 0)
            m_reg->exec(QStringLiteral("INSERT INTO TBL_Complicitate (CNP, COD_INFRACTIUNE) "
                                       "SELECT CNP, ? FROM TBL_Complici WHERE rowid = ?"),
                        {code, i});

        QVariantMap article;
        for (const QString &column : articleText)
            article.insert(column, value);
        article.insert(QStringLiteral("Cod_infractiune"), code);
        article.insert(QStringLiteral("Data_aparitiei"), Dates.at((i + 2) % Dates.size()));
        m_reg->insert(QStringLiteral("TBL_Articole"), article);
        m_reg->insert(QStringLiteral("TBL_Articole"), {{QStringLiteral("Cod_infractiune"), code}});
        ++i;
    }
    // Rows that refer to what is not there.
    m_reg->addOffence(QStringLiteral("NOBODY"), QStringLiteral("FURT"), QStringLiteral("S"));
    m_offences.insert(QStringLiteral("offence with no link or article"),
                      m_reg->addOffence(QStringLiteral("NOBODY"), QStringLiteral("FALS"),
                                        QStringLiteral("D")));
    m_reg->insert(QStringLiteral("TBL_Complicitate"),
                  {{QStringLiteral("CNP"), QStringLiteral("NIMENI")},
                   {QStringLiteral("COD_INFRACTIUNE"), 99999}});
    m_reg->insert(QStringLiteral("TBL_Articole"), {{QStringLiteral("Cod_infractiune"), 99999}});
    m_offences.insert(QStringLiteral("offence that is not there"), 99999);
}

QList<QSqlRecord> TestBadText::rows(const QString &sql, const QVariantList &params)
{
    QList<QSqlRecord> all;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(sql);
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!q.exec())
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    while (q.next())
        all << q.record();
    return all;
}

QString TestBadText::shape()
{
    QString text;
    const QString objects = QStringLiteral("SELECT type, name FROM sqlite_master ORDER BY name");
    for (const QSqlRecord &r : rows(objects, {}))
        text += r.value(0).toString() + QLatin1Char(' ') + r.value(1).toString()
                + QLatin1Char('\n');
    for (const char *table :
         {"TBL_Zavoni", "TBL_Infractiuni", "TBL_Complici", "TBL_Complicitate", "TBL_Articole"})
        text += QStringLiteral("%1 %2\n").arg(table).arg(m_reg->count(QString::fromLatin1(table)));
    return text;
}

// Opens the source as a screen does, with a grid of all its fields and a box
// bound to each, walks it with the arrows, and compares every field of every
// row, in the boxes and in the grid, with what the test reads itself.
void TestBadText::browse(const QString &source, const QString &expectedSql,
                         const QVariantList &params)
{
    const QString before = shape();
    const QList<QSqlRecord> expected = rows(expectedSql, params);

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *grid = new DBGrid(&window);
    auto *data = new DataControl(&window);
    layout->addWidget(grid);
    layout->addWidget(data);
    data->setRecordSource(source);
    // The fields are known once the source is compiled; a first refresh tells them.
    QVERIFY2(data->refresh(), qPrintable(data->lastError().describe()));
    const QStringList fields = data->recordset()->fieldNames();
    QList<QLineEdit *> boxes;
    for (const QString &field : fields) {
        auto *box = new QLineEdit(&window);
        box->setMaxLength(20);
        box->setProperty("dataField", field);
        layout->addWidget(box);
        boxes << box;
    }
    data->bindBoxes(&window);
    grid->setCaptions(fields);
    grid->setFields(fields);
    grid->setDataControl(data);
    QVERIFY2(data->refresh(), qPrintable(data->lastError().describe()));

    Recordset *rs = data->recordset();
    QCOMPARE(rs->recordCount(), int(expected.size()));
    QCOMPARE(data->counterText(), expected.isEmpty() ? QStringLiteral("0/0")
                                                     : QStringLiteral("1/%1").arg(expected.size()));
    auto *next = data->findChild<QToolButton *>(QStringLiteral("Next"));
    QVERIFY(next);
    for (int row = 0; row < expected.size(); ++row) {
        if (row > 0)
            next->click();
        QCOMPARE(rs->absolutePosition(), row);
        QCOMPARE(data->counterText(), QStringLiteral("%1/%2").arg(row + 1).arg(expected.size()));
        for (int column = 0; column < fields.size(); ++column) {
            const QString &field = fields.at(column);
            const QVariant want = expected.at(row).value(field.section(QLatin1Char('.'), -1));
            const QVariant got = rs->value(field);
            QVERIFY2(got == want && got.isNull() == want.isNull(),
                     qPrintable(QStringLiteral("row %1 %2").arg(row).arg(field)));
            // A one-line box shows a line break as a blank.
            if (want.typeId() == QMetaType::QString)
                QCOMPARE(boxes.at(column)->text(), want.toString().replace("\r\n", " "));
            const QVariant cell =
                grid->model()->data(grid->model()->index(row - grid->topRecord(), column));
            QVERIFY2(cell.typeId() == QMetaType::QString,
                     qPrintable(QStringLiteral("grid row %1 %2").arg(row).arg(field)));
            if (rs->fieldType(column) == Catalogue::FieldType::Boolean)
                QVERIFY(cell == QStringLiteral("Da") || cell == QStringLiteral("Nu"));
            else if (want.typeId() == QMetaType::QString)
                QCOMPARE(cell.toString(), want.toString());
        }
    }
    QCOMPARE(shape(), before);
    const RegisterFile::Check check = RegisterFile::inspect(m_reg->path());
    QVERIFY2(check.status == RegisterFile::Status::Ok, qPrintable(check.problem));
}

void TestBadText::personSources_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expectedSql");

    QTest::newRow("all") << SourceTexts::Persons
                         << QStringLiteral("SELECT * FROM TBL_Zavoni ORDER BY rowid");
    QTest::newRow("women") << SourceTexts::PersonsWomen
                           << QStringLiteral("SELECT * FROM TBL_Zavoni WHERE sex = 'F' "
                                             "ORDER BY rowid");
    QTest::newRow("men") << SourceTexts::PersonsMen
                         << QStringLiteral("SELECT * FROM TBL_Zavoni WHERE sex = 'M' "
                                           "ORDER BY rowid");
}

void TestBadText::personSources()
{
    QFETCH(QString, source);
    QFETCH(QString, expectedSql);
    browse(source, expectedSql, {});
}

void TestBadText::offencesOfEachPerson_data()
{
    QTest::addColumn<QString>("cnp");
    for (const auto &[name, value] : badValues()) {
        const QString key = value.isNull() || value.typeId() != QMetaType::QString
                                ? QStringLiteral("KEY-%1").arg(name)
                                : value.toString();
        QTest::newRow(qPrintable(name)) << key;
    }
    QTest::newRow("offences of no person") << QStringLiteral("NOBODY");
}

void TestBadText::offencesOfEachPerson()
{
    QFETCH(QString, cnp);
    const QString source = SourceTexts::OffencesOfPerson + SourceTexts::quotedKey(cnp);
    {
        DataControl probe;
        probe.setRecordSource(source);
        probe.refresh();
        QCOMPARE(probe.recordset()->recordCount(),
                 m_reg->count(QStringLiteral("TBL_Infractiuni"), QStringLiteral("CNP_C = ?"),
                              {cnp}));
    }
    browse(source, QStringLiteral("SELECT * FROM TBL_Infractiuni WHERE CNP_C = ? ORDER BY rowid"),
           {cnp});
}

void TestBadText::accomplicesOfEachOffence_data()
{
    QTest::addColumn<QString>("offence");
    QTest::addColumn<QString>("sex");
    QStringList offences;
    for (const auto &[name, value] : badValues())
        offences << name;
    offences << QStringLiteral("offence with no link or article")
             << QStringLiteral("offence that is not there");
    for (const QString &offence : std::as_const(offences)) {
        for (const QString &sex : {QString(), QStringLiteral("F"), QStringLiteral("M")})
            QTest::newRow(qPrintable(offence + QLatin1Char(' ') + sex)) << offence << sex;
    }
}

void TestBadText::accomplicesOfEachOffence()
{
    QFETCH(QString, offence);
    QFETCH(QString, sex);
    const qint64 code = m_offences.value(offence);
    QString source = SourceTexts::AccomplicesOfOffence + QString::number(code);
    QString sql = QStringLiteral("SELECT c.*, l.COD_INFRACTIUNE FROM TBL_Complici c JOIN "
                                 "TBL_Complicitate l ON l.CNP = c.CNP WHERE l.COD_INFRACTIUNE = ?");
    QVariantList params{code};
    if (!sex.isEmpty()) {
        source += SourceTexts::AccomplicesSexFilter + SourceTexts::quotedKey(sex);
        sql += QStringLiteral(" AND c.sex = ?");
        params << sex;
    }
    browse(source, sql + QStringLiteral(" ORDER BY c.rowid"), params);
}

void TestBadText::articlesOfEachOffence_data()
{
    QTest::addColumn<QString>("offence");
    for (const auto &[name, value] : badValues())
        QTest::newRow(qPrintable(name)) << name;
    QTest::newRow("offence with no link or article") << "offence with no link or article";
    QTest::newRow("offence that is not there") << "offence that is not there";
}

void TestBadText::articlesOfEachOffence()
{
    QFETCH(QString, offence);
    const qint64 code = m_offences.value(offence);
    browse(SourceTexts::ArticlesOfOffence + QString::number(code),
           QStringLiteral("SELECT * FROM TBL_Articole WHERE Cod_infractiune = ? ORDER BY rowid"),
           {code});
}

QTEST_MAIN(TestBadText)
#include "tst_badtext.moc"
