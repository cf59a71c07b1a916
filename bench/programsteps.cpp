// The operator's steps through the screens, each beside its floor.

#include "benchsupport.h"
#include "programbench.h"
#include "sqlitedb.h"

#include "app/form1.h"
#include "app/screenchain.h"
#include "common/screensession.h"
#include "data/catalogue.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>

using namespace BenchSupport;
using Measurement::Series;

namespace {

const char *const KeptCount = "SELECT Numar FROM TBL_Numarare WHERE Sursa = ?";

const char *const PersonsFirstPage =
    "SELECT " PERSON_COLUMNS " FROM TBL_Zavoni ORDER BY rowid LIMIT ?";
const char *const PersonsLastPage =
    "SELECT " PERSON_COLUMNS " FROM TBL_Zavoni ORDER BY rowid DESC LIMIT ?";
const char *const PersonsPageAt =
    "SELECT " PERSON_COLUMNS " FROM TBL_Zavoni ORDER BY rowid LIMIT ? OFFSET ?";
const char *const PersonAfter =
    "SELECT " PERSON_COLUMNS " FROM TBL_Zavoni WHERE rowid > ? ORDER BY rowid LIMIT 1";
const char *const PersonsOfSexFirstPage =
    "SELECT " PERSON_COLUMNS " FROM TBL_Zavoni WHERE sex = ? ORDER BY rowid LIMIT ?";

const char *const OffencesCount = "SELECT count(*) FROM TBL_Infractiuni WHERE CNP_C = ?";
const char *const OffencesFirstPage =
    "SELECT COD_infractiune, CNP_C, Infractiune, Pedeapsa, Amenda, Detenta1, Detenta2, "
    "Sanctiune, Descriere, Suspendare, Ispasit FROM TBL_Infractiuni WHERE CNP_C = ? "
    "ORDER BY rowid LIMIT ?";
const char *const AccomplicesCount =
    "SELECT count(*) FROM TBL_Complicitate WHERE COD_INFRACTIUNE = ?";
const char *const AccomplicesFirstPage =
    "SELECT c.*, l.COD_INFRACTIUNE FROM TBL_Complici c JOIN TBL_Complicitate l "
    "ON c.CNP = l.CNP WHERE l.COD_INFRACTIUNE = ? ORDER BY c.rowid LIMIT ?";
const char *const ArticlesCount = "SELECT count(*) FROM TBL_Articole WHERE Cod_infractiune = ?";
const char *const ArticlesFirstPage =
    "SELECT Cod_infractiune, Publicatie, Autor, Data_aparitiei, Articol FROM TBL_Articole "
    "WHERE Cod_infractiune = ? ORDER BY rowid LIMIT ?";

const QString AddedName = QStringLiteral("ZĂVOIANU");
const QString ChangedName = QStringLiteral("ZĂVOIANU ȘTEFĂNESCU");

QString counter(qint64 position, qint64 count)
{
    return QStringLiteral("%1/%2").arg(position).arg(count);
}

} // namespace

void ProgramBench::measure(const Step &step)
{
    const int runs = step.runs > 0 ? step.runs : m_runs;
    const Series program = Measurement::measure(runs, step.prepare, step.action, step.check);
    Series floor;
    Found found;
    if (step.floor) {
        floor = Measurement::measure(
            runs, step.floorPrepare ? step.floorPrepare : [] {}, [&] { found = step.floor(); },
            [&] {
                expect(found == step.floorExpected(),
                       QLatin1String(step.key) + QStringLiteral(" floor"));
            });
    }
    add(step.key, step.target, runs, step.label, program, floor);
}

// A screen opened by a click: its first row, its counter, its header, its first page; the
// floor opens a connection of its own, as the screen's record set starts afresh.
void ProgramBench::measureOpening(const Opening &o)
{
    QWidget *from = nullptr;
    int page = 0;
    measure({o.key, {}, 0, o.label, [&] { from = o.prepare(); },
             [&] {
                 UiDriver::click(from, QLatin1String(o.button));
                 show(screen(o.shown));
             },
             [&] {
                 QWidget *shown = screen(o.shown);
                 expect(data(shown)->caption() == counter(1, o.count), data(shown)->caption());
                 expect(o.persons ? boxText(shown, "Text1") == m_expected.firstCnp
                                  : child<QLabel>(shown, "Label11")->text()
                                        == m_expected.middleCnp,
                        QStringLiteral("header"));
                 expect(firstShown(grid(shown)) == 0, QStringLiteral("first page"));
                 page = shownRows(grid(shown));
             },
             [&] {
                 SqliteDb &f = freshEngine();
                 const qint64 count = f.integer(o.countSql, o.keys);
                 const QVariantList pageKeys = o.keys.mid(o.persons ? 1 : 0) << page;
                 return Found(count, f.rows(o.pageSql, pageKeys));
             },
             [&] { return Found(o.count, page); }, [&] { m_floor.reset(); }});
    if (o.persons)
        m_personsPage = page;
}

void ProgramBench::measureOpenPersons()
{
    measureOpening({"open_persons",
                    QStringLiteral("\"Evidentă zavoni\": `Form2` shows row 1, its counter and "
                                   "its grid page"),
                    [&] {
                        closeFrom(ScreenKind::Persons);
                        return static_cast<QWidget *>(m_form1.get());
                    },
                    "Command1", ScreenKind::Persons, m_persons, KeptCount, PersonsFirstPage,
                    {Catalogue::Persons}, true});
}

void ProgramBench::measureUpperScreens()
{
    const Expected &e = m_expected;
    const auto offences = [&] { return offencesOfMiddle(); };
    const Opening openings[] = {
        {"open_offences",
         QStringLiteral("\"Infractiuni comise\" for the person in the middle: `Form5` filled"),
         [&] { return personsAtMiddle(); }, "Command9", ScreenKind::Offences, e.offences,
         OffencesCount, OffencesFirstPage, {e.middleCnp}, false},
        {"open_accomplices",
         QStringLiteral("\"Complici\" of that person's first offence: `Form3` filled"), offences,
         "Command7", ScreenKind::Accomplices, e.accomplices, AccomplicesCount,
         AccomplicesFirstPage, {e.firstOffence}, false},
        {"open_articles", QStringLiteral("\"Articole\" of the same offence: `Form4` filled"),
         offences, "Command8", ScreenKind::Articles, e.articles, ArticlesCount,
         ArticlesFirstPage, {e.firstOffence}, false},
    };
    for (const Opening &o : openings)
        measureOpening(o);
    closeFrom(ScreenKind::Offences);
}

void ProgramBench::measureMoves()
{
    const qint64 middle = m_expected.middle;
    // The floor's state after opening the list, as the program's after its screen opened.
    const auto openedFloor = [&] {
        SqliteDb &f = freshEngine();
        f.integer(KeptCount, {Catalogue::Persons});
        f.rows(PersonsFirstPage, {m_personsPage});
    };
    const auto pageRows = [&] { return Found(-1, m_personsPage); };
    const Step steps[] = {
        {"move_last", {}, 0,
         QStringLiteral("Last arrow of `Data1`: the last person, counter N/N, the last page"),
         [&] { reopenPersons(); }, [&] { clickAndShow(data(persons()), "Last"); },
         [&] {
             expect(data(persons())->caption() == counter(m_persons, m_persons),
                    data(persons())->caption());
             expect(boxText(persons(), "Text1") == m_expected.lastCnp, QStringLiteral("last"));
             expect(recordShown(grid(persons()), int(m_persons - 1)), QStringLiteral("page"));
         },
         [&] { return Found(-1, engine().rows(PersonsLastPage, {m_personsPage})); }, pageRows,
         openedFloor},
        // How the operator reaches the middle of the list: by dragging the grid's scroll bar.
        {"scroll_middle", {}, 0,
         QStringLiteral("Grid scroll bar dragged to the middle: that page painted"),
         [&] { reopenPersons(); },
         [&] {
             grid(persons())->verticalScrollBar()->setValue(int(middle));
             show(persons());
         },
         [&] {
             expect(firstShown(grid(persons())) == middle, QStringLiteral("middle page"));
             expect(shownText(grid(persons()), int(middle)) == m_expected.middleName,
                    QStringLiteral("middle row's name"));
         },
         [&] { return Found(-1, engine().rows(PersonsPageAt, {m_personsPage, middle})); },
         pageRows, openedFloor},
        {"next_middle", {}, 0, QStringLiteral("Next arrow from the person in the middle"),
         [&] {
             reopenPersons();
             data(persons())->recordset()->moveTo(int(middle));
             QCoreApplication::processEvents();
             persons()->grab();
         },
         [&] { clickAndShow(data(persons()), "Next"); },
         [&] {
             expect(data(persons())->caption() == counter(middle + 2, m_persons),
                    data(persons())->caption());
             expect(boxText(persons(), "Text1") == m_expected.nextCnp, QStringLiteral("next"));
             expect(recordShown(grid(persons()), int(middle + 1)), QStringLiteral("shown"));
         },
         [&] { return Found(-1, engine().rows(PersonAfter, {m_expected.middleRowid})); },
         [] { return Found(-1, 1); },
         [&] {
             openedFloor();
             engine().rows(PersonsPageAt, {1, middle});
         }},
    };
    for (const Step &step : steps)
        measure(step);
}

void ProgramBench::measureFilters()
{
    const struct
    {
        const char *key;
        const char *button;
        QString source;
        QString kept;
        QString sex; // empty: both
        qint64 count;
        QString first;
        QString from; // the filter in force before the button is pressed
        QString label;
    } filters[] = {
        {"filter_women", "Command11", SourceTexts::PersonsWomen, Catalogue::WomenQuery,
         QStringLiteral("F"), m_expected.women, m_expected.firstWoman, SourceTexts::Persons,
         QStringLiteral("Women's filter (`Command11`): row 1, counter, grid page")},
        {"filter_men", "Command13", SourceTexts::PersonsMen, Catalogue::MenQuery,
         QStringLiteral("M"), m_expected.men, m_expected.firstMan, SourceTexts::Persons,
         QStringLiteral("Men's filter (`Command13`): row 1, counter, grid page")},
        {"filter_all", "Command12", SourceTexts::Persons, Catalogue::Persons, {}, m_persons,
         m_expected.firstCnp, SourceTexts::PersonsWomen,
         QStringLiteral("All persons again (`Command12`, from the women's filter)")},
    };
    for (const auto &filter : filters) {
        measure({filter.key, {}, 0, filter.label, [&] { personsShowing(filter.from); },
                 [&] { clickAndShow(persons(), filter.button); },
                 [&] {
                     expect(data(persons())->recordSource() == filter.source, filter.source);
                     expect(data(persons())->caption() == counter(1, filter.count),
                            data(persons())->caption());
                     expect(boxText(persons(), "Text1") == filter.first, QStringLiteral("row 1"));
                     expect(firstShown(grid(persons())) == 0, QStringLiteral("first page"));
                 },
                 [&] {
                     SqliteDb &f = engine();
                     const qint64 count = f.integer(KeptCount, {filter.kept});
                     return Found(count, filter.sex.isEmpty()
                                             ? f.rows(PersonsFirstPage, {m_personsPage})
                                             : f.rows(PersonsOfSexFirstPage,
                                                      {filter.sex, m_personsPage}));
                 },
                 [&] {
                     return Found(filter.count, int(qMin<qint64>(m_personsPage, filter.count)));
                 },
                 {}});
    }
}

// Three offences make a deletion remove what deleting a typical person removes.
void ProgramBench::addChildren(const QString &cnp, int offences)
{
    SqliteDb &ref = *m_reference;
    ref.exec("BEGIN");
    for (int i = 0; i < offences; ++i) {
        ref.exec("INSERT INTO TBL_Infractiuni (CNP_C, Infractiune, Pedeapsa, Amenda, Descriere, "
                 "Suspendare, Ispasit) VALUES (?, 'FALS', 'A', '500', 'A falsificat acte', 0, 0)",
                 {cnp});
        const qint64 code = ref.lastInsertId();
        for (int a = 0; a < 2; ++a)
            ref.exec("INSERT INTO TBL_Articole (Cod_infractiune, Publicatie, Autor, "
                     "Data_aparitiei, Articol) VALUES (?, 'GÂNDUL', 'ANA POPA', '01.02.2003', "
                     "'Dezvăluiri')",
                     {code});
        ref.exec("INSERT INTO TBL_Complicitate (CNP, COD_INFRACTIUNE) VALUES (?, ?)",
                 {m_expected.anyAccomplice, code});
    }
    ref.exec("COMMIT");
}

void ProgramBench::expectDeleted()
{
    expect(m_reference->integer(OffencesCount, {BenchCnp}) == 0
               && m_reference->integer(KeptCount, {Catalogue::Persons}) == m_persons,
           QStringLiteral("person and offences deleted"));
}

// Each run adds the person, gives him offences, changes him and deletes him again, first on
// the persons screen, then through the floor.
void ProgramBench::measureEditing()
{
    const QString added = counter(m_persons + 1, m_persons + 1);
    const auto stored = [&] {
        return m_reference->text("SELECT Nume FROM TBL_Zavoni WHERE CNP_C = ?", {BenchCnp});
    };
    qint64 rowid = 0; // the floor's added person
    // The click that begins an edit, the boxes typed (untimed), the click that ends it (none:
    // the first ends it); its floor stores the same fields, then reads the last page again,
    // as the screen shows the last row after it.
    const struct
    {
        const char *key;
        QString label;
        const char *begin;
        QList<std::pair<QString, QString>> typed;
        const char *save;
        std::function<void()> check;
        std::function<void(SqliteDb &)> floor;
    } edits[] = {
        {"add_save",
         QStringLiteral("\"Adaugă\" + \"Salvează\" of a person (CNP and name typed, untimed)"),
         "Command1", {{QStringLiteral("Text1"), BenchCnp}, {QStringLiteral("Text4"), AddedName}},
         "Command3",
         [&] {
             expect(data(persons())->caption() == added, data(persons())->caption());
             expect(boxText(persons(), "Text1") == BenchCnp, QStringLiteral("added person shown"));
             expect(stored() == AddedName, QStringLiteral("added person stored"));
         },
         [&](SqliteDb &f) {
             f.exec("INSERT INTO TBL_Zavoni (CNP_C, Nume, sex, sector) VALUES (?, ?, 'M', 1)",
                    {BenchCnp, AddedName});
             rowid = f.lastInsertId();
         }},
        {"modify_save", QStringLiteral("\"Modifică\" + \"Salvează\" (name typed, untimed)"),
         "Command2", {{QStringLiteral("Text4"), ChangedName}}, "Command3",
         [&] {
             expect(data(persons())->caption() == added, data(persons())->caption());
             expect(stored() == ChangedName, QStringLiteral("change stored"));
         },
         [&](SqliteDb &f) {
             f.exec("UPDATE TBL_Zavoni SET Nume = ?, sex = 'M', sector = 1 WHERE rowid = ?",
                    {ChangedName, rowid});
         }},
        {"delete_yes",
         QStringLiteral("\"Sterge\" answered Yes (3 offences, 6 articles, 3 links go with it)"),
         "Command5", {}, nullptr,
         [&] {
             expect(data(persons())->caption() == counter(m_persons, m_persons),
                    data(persons())->caption());
         },
         [&](SqliteDb &f) { f.exec("DELETE FROM TBL_Zavoni WHERE rowid = ?", {rowid}); }},
    };
    Measurement::Stopwatch watch;
    const auto timeEach = [&](Series(&series)[3], const std::function<void(int)> &edit) {
        for (int i = -1; i < m_runs; ++i) {
            for (int k = 0; k < 3; ++k) {
                edit(k);
                watch.record(i < 0 ? nullptr : &series[k]);
                if (k == 0)
                    addChildren(BenchCnp);
            }
            expectDeleted();
        }
    };
    // A timed segment of an edit: a click and what it shows.
    const auto segment = [&](const char *button) {
        watch.start();
        clickAndShow(persons(), button);
        watch.stop();
    };
    Series program[3], floor[3];
    timeEach(program, [&](int k) {
        if (k == 0) {
            personsShowing(SourceTexts::Persons);
            activatePersons();
        }
        segment(edits[k].begin);
        for (const auto &[box, text] : edits[k].typed)
            UiDriver::type(persons(), box, text);
        if (edits[k].save)
            segment(edits[k].save);
        edits[k].check();
    });
    timeEach(floor, [&](int k) {
        SqliteDb &f = engine();
        watch.start();
        edits[k].floor(f);
        f.rows(PersonsLastPage, {m_personsPage});
        watch.stop();
    });
    for (int k = 0; k < 3; ++k)
        add(edits[k].key, {}, m_runs, edits[k].label, program[k], floor[k]);
}
