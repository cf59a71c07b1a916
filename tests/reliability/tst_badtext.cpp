#include "common/screensession.h"

#include "data/catalogue.h"
#include "data/recordset.h"
#include "data/registerfile.h"
#include "data/sourcetexts.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QLineEdit>
#include <QRegularExpression>
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
    void sources_data();
    void sources();
    void screensChangeOneBox_data();
    void screensChangeOneBox();

private:
    std::unique_ptr<TestRegister> m_reg;
    QList<std::pair<QString, qint64>> m_offences; // name of the case, offence code
    QStringList m_keys;                           // the persons' CNPs
};

namespace {

// The values another tool put in every column of text; the key of each is
// also the name of its case.
const QList<std::pair<QString, QVariant>> BadValues{
    {"double quote", "POP\"ESCU"},
    {"lone double quote", "\""},
    {"apostrophe", "O'BRIEN"},
    {"semicolon", "A;B;"},
    {"drop table", "'); DROP TABLE TBL_Zavoni; --"},
    {"quoted drop table", "\"; DROP TABLE TBL_Infractiuni; SELECT \""},
    {"always true", "\" OR \"1\"=\"1"},
    {"bracket", "[TBL_Zavoni]"},
    {"control characters", "\t\r\n\x01\x1b[31m\x7f"},
    {"inner NUL", QString("AB") + QChar(0) + "CD"},
    {"long text", QString(100000, QChar(u'Ă')) + " SFÂRSIT"},
    {"right to left", "\u202eLUAP \u05e9\u05dc\u05d5\u05dd"},
    {"empty", QString("")},
    {"number", 42},
    {"fraction", 3.75},
    {"bytes", QByteArray("\xff\xfe\0bin", 6)},
    {"null", QVariant()},
};
// Values of the wrong kind for the columns that are no text.
const QVariantList Odd{0, 99, -1, "abc", QVariant(), 3.7, 6, "X", "Da", 1, 2};

// Every column of text of the table holds the value; the others as given.
QVariantMap row(const QString &table, const QVariant &value, QVariantMap fixed)
{
    for (const Catalogue::Field &field : Catalogue::find(table)->fields) {
        if (field.type == Catalogue::FieldType::Text && !fixed.contains(field.name))
            fixed.insert(field.name, value);
    }
    return fixed;
}

} // namespace

void TestBadText::initTestCase()
{
    // Browsing changes nothing, which every case checks, so all share one register.
    m_reg = std::make_unique<TestRegister>();
    // The other tool does not check references either.
    m_reg->exec("PRAGMA foreign_keys = OFF");
    int i = 0;
    for (const auto &[name, value] : BadValues) {
        // A key cannot be NULL or repeat.
        const QString key = value.typeId() == QMetaType::QString ? value.toString()
                                                                 : "KEY-" + name;
        const auto odd = [&](int k) { return Odd.at((i + k) % Odd.size()); };
        m_keys << key;
        m_reg->insert("TBL_Zavoni", row("TBL_Zavoni", value, {{"CNP_C", key},
                                                               {"sector", odd(0)}}));
        const qint64 code = m_reg->insert("TBL_Infractiuni", row("TBL_Infractiuni", value, {
            {"CNP_C", key}, {"Suspendare", odd(1)}, {"Ispasit", odd(2)}}));
        m_offences << std::pair{name, code};
        m_reg->insert("TBL_Complici", row("TBL_Complici", value, {{"CNP", key},
                                                                   {"sector", odd(3)}}));
        // Each offence has its own accomplice and the one of the case before.
        m_reg->exec("INSERT INTO TBL_Complicitate (CNP, COD_INFRACTIUNE) SELECT CNP, ? "
                    "FROM TBL_Complici WHERE rowid IN (?, ?)", {code, i, i + 1});
        m_reg->insert("TBL_Articole", row("TBL_Articole", value, {{"Cod_infractiune", code}}));
        m_reg->insert("TBL_Articole", {{"Cod_infractiune", code}});
        ++i;
    }
    // Rows that refer to what is not there.
    m_offences << std::pair{QString("offence of nobody"), m_reg->addOffence("NOBODY", "F", "D")};
    m_keys << "NOBODY";
    m_reg->insert("TBL_Complicitate", {{"CNP", "NIMENI"}, {"COD_INFRACTIUNE", 99999}});
    m_reg->insert("TBL_Articole", {{"Cod_infractiune", 99999}});
    m_offences << std::pair{QString("offence that is not there"), qint64(99999)};
}

void TestBadText::sources_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("params");
    const QString persons = "SELECT * FROM TBL_Zavoni %1 ORDER BY rowid";
    QTest::newRow("all persons") << SourceTexts::Persons << persons.arg("") << QVariantList();
    QTest::newRow("women") << SourceTexts::PersonsWomen << persons.arg("WHERE sex = 'F'")
                           << QVariantList();
    QTest::newRow("men") << SourceTexts::PersonsMen << persons.arg("WHERE sex = 'M'")
                         << QVariantList();
    for (const QString &key : std::as_const(m_keys)) {
        QTest::addRow("offences of %s", qPrintable(key.left(20)))
            << SourceTexts::OffencesOfPerson + SourceTexts::quotedKey(key)
            << "SELECT * FROM TBL_Infractiuni WHERE CNP_C = ? ORDER BY rowid" << QVariantList{key};
    }
    const QString accomplices = "SELECT c.*, l.COD_INFRACTIUNE FROM TBL_Complici c JOIN "
                                "TBL_Complicitate l ON l.CNP = c.CNP WHERE l.COD_INFRACTIUNE = ?";
    for (const auto &[name, code] : std::as_const(m_offences)) {
        const QString of = SourceTexts::AccomplicesOfOffence + QString::number(code);
        QTest::addRow("accomplices, %s", qPrintable(name))
            << of << accomplices + " ORDER BY c.rowid" << QVariantList{code};
        for (const QString sex : {"F", "M"}) {
            QTest::addRow("accomplices %s, %s", qPrintable(sex), qPrintable(name))
                << of + SourceTexts::AccomplicesSexFilter + SourceTexts::quotedKey(sex)
                << accomplices + " AND c.sex = ? ORDER BY c.rowid" << QVariantList{code, sex};
        }
        QTest::addRow("articles, %s", qPrintable(name))
            << SourceTexts::ArticlesOfOffence + QString::number(code)
            << "SELECT * FROM TBL_Articole WHERE Cod_infractiune = ? ORDER BY rowid"
            << QVariantList{code};
    }
}

// Opens the source as a screen does, with a grid of all its fields and a box
// bound to each, walks it with the arrows, and compares every field of every
// row, in the boxes and in the grid, with what the test reads itself.
void TestBadText::sources()
{
    QFETCH(QString, source);
    QFETCH(QString, sql);
    QFETCH(QVariantList, params);
    const QString shape = "SELECT group_concat(name) || (SELECT count(*) FROM TBL_Zavoni) || "
                          "(SELECT count(*) FROM TBL_Infractiuni) || (SELECT count(*) FROM "
                          "TBL_Complici) || (SELECT count(*) FROM TBL_Complicitate) || "
                          "(SELECT count(*) FROM TBL_Articole) FROM sqlite_master";
    const QVariant before = m_reg->value(shape);
    const QList<QSqlRecord> expected = m_reg->records(sql, params);

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
        boxes << new QLineEdit(&window);
        boxes.last()->setMaxLength(20);
        boxes.last()->setProperty("dataField", field);
        layout->addWidget(boxes.last());
    }
    data->bindBoxes(&window);
    grid->setCaptions(fields);
    grid->setFields(fields);
    grid->setDataControl(data);
    QVERIFY2(data->refresh(), qPrintable(data->lastError().describe()));

    Recordset *rs = data->recordset();
    QCOMPARE(rs->recordCount(), int(expected.size()));
    for (int row = 0; row < expected.size(); ++row) {
        if (row > 0)
            data->findChild<QToolButton *>("Next")->click();
        QCOMPARE(data->counterText(), QString("%1/%2").arg(row + 1).arg(expected.size()));
        for (int column = 0; column < fields.size(); ++column) {
            const QString &field = fields.at(column);
            const QVariant want = expected.at(row).value(field.section('.', -1));
            const QVariant got = rs->value(field);
            QVERIFY2(got == want && got.isNull() == want.isNull(),
                     qPrintable(QString("row %1 %2").arg(row).arg(field)));
            const QVariant cell =
                grid->model()->data(grid->model()->index(row - grid->topRecord(), column));
            QCOMPARE(cell.typeId(), QMetaType::QString);
            if (rs->fieldType(column) == Catalogue::FieldType::Boolean)
                QVERIFY(cell == "Da" || cell == "Nu");
            if (want.typeId() != QMetaType::QString)
                continue;
            QCOMPARE(boxes.at(column)->text(), want.toString().replace("\r\n", " "));
            if (rs->fieldType(column) != Catalogue::FieldType::Boolean)
                QCOMPARE(cell.toString(), want.toString());
        }
    }
    QCOMPARE(m_reg->value(shape), before);
    const RegisterFile::Check check = RegisterFile::inspect(m_reg->path());
    QVERIFY2(check.status == RegisterFile::Status::Ok, qPrintable(check.problem));
}

namespace {

// A data screen: a box that shows a stored text, a change an operator makes
// there, and the title of its own check that refuses a row without any text.
struct ScreenCase
{
    ScreenKind kind;
    QString table, lineBox, box, column, typed, refusal;
};

const ScreenCase Screens[] = {
    {ScreenKind::Persons, "TBL_Zavoni", "Text14", "Text4", "Nume", "NOUL", {}},
    {ScreenKind::Offences, "TBL_Infractiuni", "Text4", "Text3", "Amenda", "750",
     "Descrierea infractiunii."},
    {ScreenKind::Accomplices, "TBL_Complici", "Text12", "Text4", "Nume", "COMPLICE", {}},
    {ScreenKind::Articles, "TBL_Articole", "Text3", "Text2", "Publicatie", "ZIARUL NOU",
     "Text articol."},
};

} // namespace

void TestBadText::screensChangeOneBox_data()
{
    QTest::addColumn<QVariant>("text");
    QTest::addColumn<QString>("cnp");
    const QString controls = QStringLiteral("\tA\x01" "B\r\nC\x1b[31mD\x7f") + QChar(0) + "E ";
    QTest::newRow("quotes") << QVariant("\"POPESCU\" O'BRIEN '") << "1700101400011";
    QTest::newRow("SQL text") << QVariant("'); DROP TABLE TBL_Articole; --")
                              << "1\"; DROP TABLE TBL_Zavoni; --";
    QTest::newRow("control characters") << QVariant(controls) << "17001\t01400\x01" "1";
    QTest::newRow("far too long") << QVariant(QString(1000, QChar(u'Ă')) + "SFÂRSIT")
                                  << QString(300, '7');
    QTest::newRow("NULL everywhere") << QVariant() << "1700101400011";
}

// Down the chain over a person another tool wrote: each screen shows the row
// whole, then one box of it changes and only that box is stored; the others
// keep what the other tool wrote.
void TestBadText::screensChangeOneBox()
{
    QFETCH(QVariant, text);
    QFETCH(QString, cnp);
    ScreenSession s;
    const auto values = [&](const QString &table, QVariantMap fixed) {
        for (const Catalogue::Field &field : Catalogue::find(table)->fields) {
            if (field.type == Catalogue::FieldType::Text && !fixed.contains(field.name))
                fixed.insert(field.name, text);
        }
        return fixed;
    };
    s.reg.addPerson("1600101400019", "IONESCU");
    s.reg.insert("TBL_Zavoni", values("TBL_Zavoni", {{"CNP_C", cnp}, {"sex", "M"},
                                                     {"sector", 1}}));
    const qint64 code = s.reg.insert("TBL_Infractiuni", values("TBL_Infractiuni", {
        {"CNP_C", cnp}, {"Infractiune", "FURT"}, {"Pedeapsa", "A"}, {"Suspendare", 1},
        {"Ispasit", 0}}));
    s.reg.insert("TBL_Complici", values("TBL_Complici", {{"CNP", cnp}, {"sex", "M"},
                                                         {"sector", 1}}));
    s.reg.insert("TBL_Complicitate", {{"CNP", cnp}, {"COD_INFRACTIUNE", code}});
    s.reg.insert("TBL_Articole", values("TBL_Articole", {{"Cod_infractiune", code}}));
    const QString objects = "SELECT group_concat(name) FROM sqlite_master";
    const QVariant before = s.reg.value(objects);
    const qint64 rows[] = {2, code, 1, 1};

    for (const ScreenCase &c : Screens) {
        QVERIFY(s.open(c.kind, -1));
        QCOMPARE(s.counter(), QString(c.kind == ScreenKind::Persons ? "2/2" : "1/1"));
        s.form()->grab();
        QCOMPARE(s.text(c.lineBox), text.toString().replace("\r\n", " ")); // a line break shows as a blank
        if (c.kind == ScreenKind::Persons || c.kind == ScreenKind::Accomplices)
            QCOMPARE(s.text("Text1"), cnp);
        QStringList row = s.reg.row(c.table, rows[int(c.kind)]);
        s.run("Command2|" + c.box + "=" + c.typed + "|Command3");
        if (text.isNull() && !c.refusal.isEmpty()) {
            QCOMPARE(s.messages.last().title, c.refusal);
            s.run("Command4");
        } else {
            row.replaceInStrings(QRegularExpression("^" + c.column + "=[\\s\\S]*"),
                                 c.column + "=" + c.typed);
        }
        QCOMPARE(s.reg.row(c.table, rows[int(c.kind)]), row);
        if (c.kind == ScreenKind::Accomplices)
            s.run("Command6");
    }
    QCOMPARE(s.reg.value(objects), before);
    QCOMPARE(s.reg.count("TBL_Zavoni"), 2);
}

QTEST_MAIN(TestBadText)
#include "tst_badtext.moc"
