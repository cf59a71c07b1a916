// The operator's steps through the screens, each beside its floor.

#include "programbench.h"
#include "sqlitedb.h"

#include "app/form1.h"
#include "app/screenchain.h"
#include "common/screensession.h"
#include "data/catalogue.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>

using namespace BenchSupport;
using Measurement::Series;

#define PERSONS "SELECT " PERSON_COLUMNS " FROM TBL_Zavoni "

namespace {

const char *const KeptCount = "SELECT Numar FROM TBL_Numarare WHERE Sursa = ?";
const char *const PersonsFirstPage = PERSONS "ORDER BY rowid LIMIT ?";
const char *const PersonsLastPage = PERSONS "ORDER BY rowid DESC LIMIT ?";
const char *const PersonsPageAt = PERSONS "ORDER BY rowid LIMIT ? OFFSET ?";
const char *const OffencesCount = "SELECT count(*) FROM TBL_Infractiuni WHERE CNP_C = ?";

const QString AddedName = QStringLiteral("ZĂVOIANU");
const QString ChangedName = QStringLiteral("ZĂVOIANU ȘTEFĂNESCU");

QString counter(qint64 position, qint64 count)
{
    return QStringLiteral("%1/%2").arg(position).arg(count);
}

// The counter at this position, the current row's CNP, and that row on the grid's page.
void expectRow(QWidget *screen, qint64 position, qint64 count, const QString &cnp)
{
    expect(data(screen)->caption() == counter(position, count) && boxText(screen, "Text1") == cnp
               && recordShown(grid(screen), int(position - 1)),
           data(screen)->caption() + QLatin1Char(' ') + boxText(screen, "Text1"));
}

} // namespace

// A list opened or filtered by a click: its counter at row 1, that row (the CNP in `Text1` of
// the persons, in the heading `Label11` of an upper screen), its grid's first page. The floor
// counts and reads that page, on a connection of its own when the screen's record set starts
// afresh.
struct ProgramBench::Opening
{
    const char *key;
    QString label;
    std::function<QWidget *()> from; // the window clicked
    const char *button;
    ScreenKind shown;
    qint64 count;
    QString first;
    const char *countSql, *pageSql;
    QVariantList countKeys, pageKeys;
    bool fresh;
};

ProgramBench::Step ProgramBench::opening(const Opening &o)
{
    const auto page = std::make_shared<int>(0);
    const auto from = std::make_shared<QWidget *>(nullptr);
    return {o.key, {}, 0, o.label, [=] { *from = o.from(); },
            [=, this] {
                UiDriver::click(*from, QLatin1String(o.button));
                show(screen(o.shown));
            },
            [=, this] {
                QWidget *shown = screen(o.shown);
                expect(data(shown)->caption() == counter(1, o.count), data(shown)->caption());
                expect((o.shown == ScreenKind::Persons ? boxText(shown, "Text1")
                                                       : child<QLabel>(shown, "Label11")->text())
                           == o.first,
                       QStringLiteral("row 1"));
                expect(firstShown(grid(shown)) == 0, QStringLiteral("first page"));
                *page = shownRows(grid(shown));
            },
            [=, this] {
                SqliteDb &f = engine();
                const qint64 count = f.integer(o.countSql, o.countKeys);
                return Found(count, f.rows(o.pageSql, QVariantList(o.pageKeys) << *page));
            },
            [=] { return Found(o.count, int(qMin<qint64>(*page, o.count))); },
            [=, this] {
                if (o.fresh)
                    m_floor.reset();
            }};
}

// The steps in the order of the report: the persons screen opened, moved through, filtered
// and edited, then the screens above it.
void ProgramBench::measureScreens()
{
    const Expected &e = m_expected;
    const qint64 n = m_persons, middle = e.middle;
    const auto offences = [&] { return offencesOfMiddle(); };
    const auto showing = [&](const QString &source) {
        return [&, source] { return personsShowing(source); };
    };
    const char *const sexPage = PERSONS "WHERE sex = ? ORDER BY rowid LIMIT ?";
    const Opening openings[] = {
        {"open_persons",
         QStringLiteral("\"Evidentă zavoni\": `Form2` shows row 1, its counter and its grid page"),
         [&] {
             closeFrom(ScreenKind::Persons);
             return static_cast<QWidget *>(m_form1.get());
         },
         "Command1", ScreenKind::Persons, n, e.firstCnp, KeptCount, PersonsFirstPage,
         {Catalogue::Persons}, {}, true},
        {"filter_women", QStringLiteral("Women's filter (`Command11`): row 1, counter, grid page"),
         showing(SourceTexts::Persons), "Command11", ScreenKind::Persons, e.women, e.firstWoman,
         KeptCount, sexPage, {Catalogue::WomenQuery}, {QStringLiteral("F")}, false},
        {"filter_men", QStringLiteral("Men's filter (`Command13`): row 1, counter, grid page"),
         showing(SourceTexts::Persons), "Command13", ScreenKind::Persons, e.men, e.firstMan,
         KeptCount, sexPage, {Catalogue::MenQuery}, {QStringLiteral("M")}, false},
        {"filter_all",
         QStringLiteral("All persons again (`Command12`, from the women's filter)"),
         showing(SourceTexts::PersonsWomen), "Command12", ScreenKind::Persons, n, e.firstCnp,
         KeptCount, PersonsFirstPage, {Catalogue::Persons}, {}, false},
        {"open_offences",
         QStringLiteral("\"Infractiuni comise\" for the person in the middle: `Form5` filled"),
         [&] { return personsAtMiddle(); }, "Command9", ScreenKind::Offences, e.offences,
         e.middleCnp, OffencesCount,
         "SELECT * FROM TBL_Infractiuni WHERE CNP_C = ? ORDER BY rowid LIMIT ?",
         {e.middleCnp}, {e.middleCnp}, true},
        {"open_accomplices",
         QStringLiteral("\"Complici\" of that person's first offence: `Form3` filled"), offences,
         "Command7", ScreenKind::Accomplices, e.accomplices, e.middleCnp,
         "SELECT count(*) FROM TBL_Complicitate WHERE COD_INFRACTIUNE = ?",
         "SELECT c.*, l.COD_INFRACTIUNE FROM TBL_Complici c JOIN TBL_Complicitate l "
         "ON c.CNP = l.CNP WHERE l.COD_INFRACTIUNE = ? ORDER BY c.rowid LIMIT ?",
         {e.firstOffence}, {e.firstOffence}, true},
        {"open_articles", QStringLiteral("\"Articole\" of the same offence: `Form4` filled"),
         offences, "Command8", ScreenKind::Articles, e.articles, e.middleCnp,
         "SELECT count(*) FROM TBL_Articole WHERE Cod_infractiune = ?",
         "SELECT * FROM TBL_Articole WHERE Cod_infractiune = ? ORDER BY rowid LIMIT ?",
         {e.firstOffence}, {e.firstOffence}, true},
    };
    measure(opening(openings[0]));
    m_personsPage = shownRows(grid(persons()));
    checkSettings();

    // The floor's state after opening the list, as the program's after its screen opened.
    const auto openedFloor = [&] {
        m_floor.reset();
        engine().integer(KeptCount, {Catalogue::Persons});
        engine().rows(PersonsFirstPage, {m_personsPage});
    };
    const auto pageRows = [&] { return Found(-1, m_personsPage); };
    const auto reopen = [&] { reopenPersons(); };
    const Step moves[] = {
        {"move_last", {}, 0,
         QStringLiteral("Last arrow of `Data1`: the last person, counter N/N, the last page"),
         reopen, [&] { clickAndShow(data(persons()), "Last"); },
         [&] { expectRow(persons(), n, n, e.lastCnp); },
         [&] { return Found(-1, engine().rows(PersonsLastPage, {m_personsPage})); }, pageRows,
         openedFloor},
        // How the operator reaches the middle of the list: by dragging the grid's scroll bar.
        {"scroll_middle", {}, 0,
         QStringLiteral("Grid scroll bar dragged to the middle: that page painted"), reopen,
         [&] {
             grid(persons())->verticalScrollBar()->setValue(int(middle));
             show(persons());
         },
         [&] {
             expect(firstShown(grid(persons())) == middle, QStringLiteral("middle page"));
             expect(shownText(grid(persons()), int(middle)) == e.middleName,
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
         [&] { expectRow(persons(), middle + 2, n, e.nextCnp); },
         [&] {
             return Found(-1, engine().rows(PERSONS "WHERE rowid > ? ORDER BY rowid LIMIT 1",
                                            {e.middleRowid}));
         },
         [] { return Found(-1, 1); },
         [&] {
             openedFloor();
             engine().rows(PersonsPageAt, {1, middle});
         }},
    };
    for (const Step &step : moves)
        measure(step);
    for (int i = 1; i <= 3; ++i)
        measure(opening(openings[i]));
    measureEditing();
    for (int i = 4; i < 7; ++i)
        measure(opening(openings[i]));
    closeFrom(ScreenKind::Offences);
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
    const auto stored = [&] {
        return m_reference->text("SELECT Nume FROM TBL_Zavoni WHERE CNP_C = ?", {BenchCnp});
    };
    // The click that begins an edit, the boxes typed (untimed), the click that ends it (none:
    // the first ends it).
    const auto edit = [&](const char *begin, QList<std::pair<const char *, QString>> typed,
                          const char *save) {
        return [=, this] {
            clickAndShow(persons(), begin);
            Measurement::untimed([&] {
                for (const auto &[box, text] : typed)
                    UiDriver::type(persons(), QLatin1String(box), text);
            });
            if (save)
                clickAndShow(persons(), save);
        };
    };
    // The floor stores the same fields, then reads the last page again, as the screen shows
    // the last row after it.
    qint64 rowid = 0;
    const auto floor = [&](const std::function<void(SqliteDb &)> &write) {
        return [=, this] {
            write(engine());
            return Found(-1, engine().rows(PersonsLastPage, {m_personsPage}));
        };
    };
    const auto pageRows = [&] { return Found(-1, m_personsPage); };
    const auto children = [&] { addChildren(BenchCnp); };
    measureInTurn({
        {"add_save", {}, 0,
         QStringLiteral("\"Adaugă\" + \"Salvează\" of a person (CNP and name typed, untimed)"),
         [&] {
             personsShowing(SourceTexts::Persons);
             activatePersons();
         },
         edit("Command1", {{"Text1", BenchCnp}, {"Text4", AddedName}}, "Command3"),
         [&] {
             expectRow(persons(), m_persons + 1, m_persons + 1, BenchCnp);
             expect(stored() == AddedName, QStringLiteral("added person stored"));
         },
         floor([&](SqliteDb &f) {
             f.exec("INSERT INTO TBL_Zavoni (CNP_C, Nume, sex, sector) VALUES (?, ?, 'M', 1)",
                    {BenchCnp, AddedName});
             rowid = f.lastInsertId();
         }),
         pageRows, [&] { expectDeleted(); }},
        {"modify_save", {}, 0, QStringLiteral("\"Modifică\" + \"Salvează\" (name typed, untimed)"),
         children, edit("Command2", {{"Text4", ChangedName}}, "Command3"),
         [&] {
             expectRow(persons(), m_persons + 1, m_persons + 1, BenchCnp);
             expect(stored() == ChangedName, QStringLiteral("change stored"));
         },
         floor([&](SqliteDb &f) {
             f.exec("UPDATE TBL_Zavoni SET Nume = ?, sex = 'M', sector = 1 WHERE rowid = ?",
                    {ChangedName, rowid});
         }),
         pageRows, children},
        {"delete_yes", {}, 0,
         QStringLiteral("\"Sterge\" answered Yes (3 offences, 6 articles, 3 links go with it)"),
         {}, edit("Command5", {}, nullptr),
         [&] {
             expectRow(persons(), m_persons, m_persons, m_expected.lastCnp);
             expectDeleted();
         },
         floor([&](SqliteDb &f) { f.exec("DELETE FROM TBL_Zavoni WHERE rowid = ?", {rowid}); }),
         pageRows, {}},
    });
    expectDeleted();
}
