// The operator's steps through the screens, each beside its floor.

#include "benchsupport.h"
#include "sqlitedb.h"
#include "programbench.h"

#include "app/form1.h"
#include "app/screenchain.h"
#include "common/screensession.h"
#include "data/catalogue.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"

#include <QCoreApplication>
#include <QScrollBar>

using namespace BenchSupport;
using Measurement::Series;
using Results::Kind;

namespace {

const char *const KeptCount = "SELECT Numar FROM TBL_Numarare WHERE Sursa = ?";

// The persons' columns: the bound boxes show every one of the current row.
#define PERSON_COLUMNS                                                                          \
    "CNP_C, Serie_buletin, Numar_buletin, Nume, Initiala, Prenume, Porecla1, Porecla2, "       \
    "Data_nasterii, Functia, Profesia, sex, Judet, Localitate, sector, Strada, Numar, Bloc, "  \
    "Scara, Apartament"

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

void ProgramBench::measureOpenPersons()
{
    std::vector<double> paint;
    const Series program = this->program(
        QStringLiteral("open_persons"),
        [&] { closeFrom(ScreenKind::Persons); },
        [&] { clickAndShow(m_form1.get(), "Command1", ScreenKind::Persons); },
        [&] {
            QWidget *persons = screen(ScreenKind::Persons);
            expect(data(persons)->caption() == counter(1, m_persons), data(persons)->caption());
            expect(boxText(persons, "Text1") == m_expected.firstCnp, QStringLiteral("row 1"));
            expect(firstShown(grid(persons)) == 0, QStringLiteral("first page"));
            m_personsPage = shownRows(grid(persons));
        },
        &paint);
    qint64 count = 0;
    int rows = 0;
    const Series floor = Measurement::measure(
        m_runs, [&] { m_floor.reset(); },
        [&] {
            SqliteDb &f = freshEngine();
            count = f.integer(KeptCount, {Catalogue::Persons});
            rows = f.rows(PersonsFirstPage, {m_personsPage});
        },
        [&] { expect(count == m_persons && rows == m_personsPage, QStringLiteral("floor")); });
    add(QStringLiteral("open_persons"), Kind::Interactive,
        QStringLiteral("\"Evidentă zavoni\": `Form2` shows row 1, its counter and its grid page"),
        program, floor, paint);
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
    int rows = 0;
    const auto floorRows = [&] {
        expect(rows == qMin<qint64>(m_personsPage, m_persons), QStringLiteral("floor page"));
    };

    std::vector<double> paint;
    Series program = this->program(
        QStringLiteral("move_last"),
        [&] { reopenPersons(); },
        [&] { clickAndShow(data(screen(ScreenKind::Persons)), "Last"); },
        [&] {
            QWidget *persons = screen(ScreenKind::Persons);
            expect(data(persons)->caption() == counter(m_persons, m_persons),
                   data(persons)->caption());
            expect(boxText(persons, "Text1") == m_expected.lastCnp, QStringLiteral("last row"));
            expect(recordShown(grid(persons), int(m_persons - 1)), QStringLiteral("last page"));
        },
        &paint);
    Series floor = Measurement::measure(
        m_runs, openedFloor, [&] { rows = engine().rows(PersonsLastPage, {m_personsPage}); },
        floorRows);
    add(QStringLiteral("move_last"), Kind::Interactive,
        QStringLiteral("Last arrow of `Data1`: the last person, counter N/N, the last page"),
        program, floor, paint);

    // How the operator reaches the middle of the list: by dragging the grid's
    // scroll bar there.
    paint.clear();
    program = this->program(
        QStringLiteral("scroll_middle"),
        [&] { reopenPersons(); },
        [&] {
            QWidget *persons = screen(ScreenKind::Persons);
            grid(persons)->verticalScrollBar()->setValue(int(middle));
            show(persons);
        },
        [&] {
            DBGrid *view = grid(screen(ScreenKind::Persons));
            expect(firstShown(view) == middle, QStringLiteral("middle page"));
            expect(shownText(view, int(middle)) == m_expected.middleName,
                   QStringLiteral("middle row's name"));
        },
        &paint);
    floor = Measurement::measure(
        m_runs, openedFloor, [&] { rows = engine().rows(PersonsPageAt, {m_personsPage, middle}); },
        floorRows);
    add(QStringLiteral("scroll_middle"), Kind::Extra,
        QStringLiteral("Grid scroll bar dragged to the middle: that page painted"), program,
        floor, paint);

    paint.clear();
    program = this->program(
        QStringLiteral("next_middle"),
        [&] {
            QWidget *persons = reopenPersons();
            data(persons)->recordset()->moveTo(int(middle));
            QCoreApplication::processEvents();
            persons->grab();
        },
        [&] { clickAndShow(data(screen(ScreenKind::Persons)), "Next"); },
        [&] {
            QWidget *persons = screen(ScreenKind::Persons);
            expect(data(persons)->caption() == counter(middle + 2, m_persons),
                   data(persons)->caption());
            expect(boxText(persons, "Text1") == m_expected.nextCnp, QStringLiteral("next row"));
            expect(recordShown(grid(persons), int(middle + 1)), QStringLiteral("next row shown"));
        },
        &paint);
    floor = Measurement::measure(
        m_runs,
        [&] {
            openedFloor();
            engine().rows(PersonsPageAt, {1, middle});
        },
        [&] { rows = engine().rows(PersonAfter, {m_expected.middleRowid}); },
        [&] { expect(rows == 1, QStringLiteral("floor next row")); });
    add(QStringLiteral("next_middle"), Kind::Interactive,
        QStringLiteral("Next arrow from the person in the middle"), program, floor, paint);
}

void ProgramBench::measureFilters()
{
    const struct
    {
        const char *key;
        const char *button;
        QString source;
        QString kept;
        const char *sex; // nullptr: both
        qint64 count;
        QString first;
        QString from; // the filter in force before the button is pressed
        QString label;
    } filters[] = {
        {"filter_women", "Command11", SourceTexts::PersonsWomen, Catalogue::WomenQuery, "F",
         m_expected.women, m_expected.firstWoman, SourceTexts::Persons,
         QStringLiteral("Women's filter (`Command11`): row 1, counter, grid page")},
        {"filter_men", "Command13", SourceTexts::PersonsMen, Catalogue::MenQuery, "M",
         m_expected.men, m_expected.firstMan, SourceTexts::Persons,
         QStringLiteral("Men's filter (`Command13`): row 1, counter, grid page")},
        {"filter_all", "Command12", SourceTexts::Persons, Catalogue::Persons, nullptr, m_persons,
         m_expected.firstCnp, SourceTexts::PersonsWomen,
         QStringLiteral("All persons again (`Command12`, from the women's filter)")},
    };
    for (const auto &filter : filters) {
        std::vector<double> paint;
        const Series program = this->program(
        QLatin1String(filter.key),
            [&] { personsShowing(filter.from); },
            [&] { clickAndShow(screen(ScreenKind::Persons), filter.button); },
            [&] {
                QWidget *persons = screen(ScreenKind::Persons);
                expect(data(persons)->recordSource() == filter.source, filter.source);
                expect(data(persons)->caption() == counter(1, filter.count),
                       data(persons)->caption());
                expect(boxText(persons, "Text1") == filter.first, QStringLiteral("row 1"));
                expect(firstShown(grid(persons)) == 0, QStringLiteral("first page"));
            },
            &paint);
        qint64 count = 0;
        int rows = 0;
        const Series floor = Measurement::measure(
            m_runs, [] {},
            [&] {
                SqliteDb &f = engine();
                count = f.integer(KeptCount, {filter.kept});
                rows = filter.sex ? f.rows(PersonsOfSexFirstPage,
                                           {QString::fromLatin1(filter.sex), m_personsPage})
                                  : f.rows(PersonsFirstPage, {m_personsPage});
            },
            [&] {
                expect(count == filter.count
                           && rows == qMin<qint64>(m_personsPage, filter.count),
                       QStringLiteral("floor"));
            });
        add(QLatin1String(filter.key), Kind::Interactive, filter.label, program, floor, paint);
    }
}

// Three offences with two articles and an accomplice each, so that a
// deletion removes what deleting a typical person removes.
void ProgramBench::addChildren(const QString &cnp)
{
    SqliteDb &ref = *m_reference;
    ref.exec("BEGIN");
    for (int i = 0; i < 3; ++i) {
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

void ProgramBench::measureEditing()
{
    SqliteDb &ref = *m_reference;
    const QString added = counter(m_persons + 1, m_persons + 1);
    Series adds, changes, deletions;
    std::vector<double> addPaint, changePaint, deletePaint;
    Measurement::Stopwatch watch;
    double painted = 0;
    // A timed segment of an operation: a click and what it shows.
    const auto segment = [&](QWidget *window, const char *button) {
        const double before = paintedMs();
        watch.start();
        clickAndShow(window, button);
        watch.stop();
        painted += paintedMs() - before;
    };
    const auto record = [&](int run, Series *series, std::vector<double> *paint,
                            const QString &key) {
        watch.record(run < 0 ? nullptr : series);
        if (run >= 0)
            paint->push_back(painted);
        painted = 0;
        saveShot(key);
    };
    for (int i = -1; i < m_runs; ++i) {
        QWidget *persons = personsShowing(SourceTexts::Persons);
        if (!persons->isActiveWindow() && !UiDriver::activate(persons))
            die(QStringLiteral("the persons screen cannot be made active"));

        // "Adaugă", the CNP and a name typed, "Salvează".
        segment(persons, "Command1");
        UiDriver::type(persons, QStringLiteral("Text1"), BenchCnp);
        UiDriver::type(persons, QStringLiteral("Text4"), AddedName);
        segment(persons, "Command3");
        expect(data(persons)->caption() == added, data(persons)->caption());
        expect(boxText(persons, "Text1") == BenchCnp, QStringLiteral("added person shown"));
        expect(ref.text("SELECT Nume FROM TBL_Zavoni WHERE CNP_C = ?", {BenchCnp}) == AddedName,
               QStringLiteral("added person stored"));
        record(i, &adds, &addPaint, QStringLiteral("add_save"));

        addChildren(BenchCnp);

        // "Modifică", the name changed, "Salvează".
        segment(persons, "Command2");
        UiDriver::type(persons, QStringLiteral("Text4"), ChangedName);
        segment(persons, "Command3");
        expect(data(persons)->caption() == added, data(persons)->caption());
        expect(ref.text("SELECT Nume FROM TBL_Zavoni WHERE CNP_C = ?", {BenchCnp})
                   == ChangedName,
               QStringLiteral("change stored"));
        record(i, &changes, &changePaint, QStringLiteral("modify_save"));

        // "Sterge", answered Yes.
        segment(persons, "Command5");
        expect(data(persons)->caption() == counter(m_persons, m_persons),
               data(persons)->caption());
        expect(ref.integer("SELECT count(*) FROM TBL_Zavoni WHERE CNP_C = ?", {BenchCnp}) == 0
                   && ref.integer(OffencesCount, {BenchCnp}) == 0
                   && ref.integer(KeptCount, {Catalogue::Persons}) == m_persons,
               QStringLiteral("person and offences deleted"));
        record(i, &deletions, &deletePaint, QStringLiteral("delete_yes"));
    }

    // The floor stores the same fields and reads the last page after each
    // step, as the screen shows the last row after it.
    Series floorAdds, floorChanges, floorDeletions;
    for (int i = -1; i < m_runs; ++i) {
        SqliteDb &f = engine();
        watch.start();
        f.exec("INSERT INTO TBL_Zavoni (CNP_C, Nume, sex, sector) VALUES (?, ?, 'M', 1)",
               {BenchCnp, AddedName});
        const qint64 rowid = f.lastInsertId();
        f.rows(PersonsLastPage, {m_personsPage});
        watch.stop();
        watch.record(i < 0 ? nullptr : &floorAdds);

        addChildren(BenchCnp);

        watch.start();
        f.exec("UPDATE TBL_Zavoni SET Nume = ?, sex = 'M', sector = 1 WHERE rowid = ?",
               {ChangedName, rowid});
        f.rows(PersonsLastPage, {m_personsPage});
        watch.stop();
        watch.record(i < 0 ? nullptr : &floorChanges);

        watch.start();
        f.exec("DELETE FROM TBL_Zavoni WHERE rowid = ?", {rowid});
        f.rows(PersonsLastPage, {m_personsPage});
        watch.stop();
        watch.record(i < 0 ? nullptr : &floorDeletions);
        expect(ref.integer(OffencesCount, {BenchCnp}) == 0
                   && ref.integer(KeptCount, {Catalogue::Persons}) == m_persons,
               QStringLiteral("floor deletion"));
    }

    add(QStringLiteral("add_save"), Kind::Interactive,
        QStringLiteral("\"Adaugă\" + \"Salvează\" of a person (CNP and name typed, untimed)"),
        adds, floorAdds, addPaint);
    add(QStringLiteral("modify_save"), Kind::Interactive,
        QStringLiteral("\"Modifică\" + \"Salvează\" (name typed, untimed)"), changes,
        floorChanges, changePaint);
    add(QStringLiteral("delete_yes"), Kind::Interactive,
        QStringLiteral("\"Sterge\" answered Yes (3 offences, 6 articles, 3 links go with it)"),
        deletions, floorDeletions, deletePaint);
}

void ProgramBench::measureUpperScreens()
{
    const Expected &e = m_expected;
    qint64 count = 0;
    int rows = 0;

    std::vector<double> paint;
    Series program = this->program(
        QStringLiteral("open_offences"),
        [&] { personsAtMiddle(); },
        [&] { clickAndShow(screen(ScreenKind::Persons), "Command9", ScreenKind::Offences); },
        [&] {
            QWidget *offences = screen(ScreenKind::Offences);
            expect(data(offences)->caption() == counter(1, e.offences),
                   data(offences)->caption());
            expect(labelText(offences, "Label11") == e.middleCnp, QStringLiteral("header"));
            expect(firstShown(grid(offences)) == 0, QStringLiteral("first page"));
            m_offencesPage = shownRows(grid(offences));
        },
        &paint);
    Series floor = Measurement::measure(
        m_runs, [&] { m_floor.reset(); },
        [&] {
            SqliteDb &f = freshEngine();
            count = f.integer(OffencesCount, {e.middleCnp});
            rows = f.rows(OffencesFirstPage, {e.middleCnp, m_offencesPage});
        },
        [&] { expect(count == e.offences && rows == m_offencesPage, QStringLiteral("floor")); });
    add(QStringLiteral("open_offences"), Kind::Interactive,
        QStringLiteral("\"Infractiuni comise\" for the person in the middle: `Form5` filled"),
        program, floor, paint);

    paint.clear();
    program = this->program(
        QStringLiteral("open_accomplices"),
        [&] { offencesOfMiddle(); },
        [&] {
            clickAndShow(screen(ScreenKind::Offences), "Command7", ScreenKind::Accomplices);
        },
        [&] {
            QWidget *accomplices = screen(ScreenKind::Accomplices);
            expect(data(accomplices)->caption() == counter(1, e.accomplices),
                   data(accomplices)->caption());
            expect(labelText(accomplices, "Label11") == e.middleCnp, QStringLiteral("header"));
            m_accomplicesPage = shownRows(grid(accomplices));
        },
        &paint);
    floor = Measurement::measure(
        m_runs, [&] { m_floor.reset(); },
        [&] {
            SqliteDb &f = freshEngine();
            count = f.integer(AccomplicesCount, {e.firstOffence});
            rows = f.rows(AccomplicesFirstPage, {e.firstOffence, m_accomplicesPage});
        },
        [&] {
            expect(count == e.accomplices && rows == m_accomplicesPage, QStringLiteral("floor"));
        });
    add(QStringLiteral("open_accomplices"), Kind::Interactive,
        QStringLiteral("\"Complici\" of that person's first offence: `Form3` filled"), program,
        floor, paint);

    paint.clear();
    program = this->program(
        QStringLiteral("open_articles"),
        [&] { offencesOfMiddle(); },
        [&] { clickAndShow(screen(ScreenKind::Offences), "Command8", ScreenKind::Articles); },
        [&] {
            QWidget *articles = screen(ScreenKind::Articles);
            expect(data(articles)->caption() == counter(1, e.articles),
                   data(articles)->caption());
            expect(labelText(articles, "Label11") == e.middleCnp, QStringLiteral("header"));
            m_articlesPage = shownRows(grid(articles));
        },
        &paint);
    floor = Measurement::measure(
        m_runs, [&] { m_floor.reset(); },
        [&] {
            SqliteDb &f = freshEngine();
            count = f.integer(ArticlesCount, {e.firstOffence});
            rows = f.rows(ArticlesFirstPage, {e.firstOffence, m_articlesPage});
        },
        [&] { expect(count == e.articles && rows == m_articlesPage, QStringLiteral("floor")); });
    add(QStringLiteral("open_articles"), Kind::Interactive,
        QStringLiteral("\"Articole\" of the same offence: `Form4` filled"), program, floor,
        paint);
    closeFrom(ScreenKind::Offences);
}
