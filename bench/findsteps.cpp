// Finding and sorting the persons, each beside its floor.

#include "benchsupport.h"
#include "programbench.h"
#include "sqlitedb.h"

#include "app/screenchain.h"
#include "common/screensession.h"
#include "data/database.h"
#include "data/personsearch.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

using namespace BenchSupport;
using Measurement::Series;
using Results::Kind;

namespace {

const char *const NextMatch = "SELECT rowid FROM FTS_Zavoni WHERE FTS_Zavoni MATCH '\"stef\"*' "
                              "AND rowid > ? ORDER BY rowid LIMIT 1";

bool startsAWord(const QStringList &texts, const QString &typed)
{
    return PersonSearch::matches(texts, PersonSearch::terms(typed));
}

} // namespace

void ProgramBench::measureFindAndSort()
{
    // A register made before finding gains it once, as the program's start
    // does; that is not a step the operator repeats.
    {
        DataError error;
        auto db = Database::open(QStringLiteral("Zavoni.mdb"), &error);
        PersonSearch search(db ? db->connection() : QSqlDatabase());
        if (!db || (!search.isInstalled() && !search.install({}, &error)))
            die(QStringLiteral("the register cannot gain the search: ") + error.describe());
    }

    std::vector<double> paint;
    Series program = this->program(
        QStringLiteral("find_next"),
        [&] {
            QWidget *persons = personsAtMiddle();
            QTest::keySequence(persons, QKeySequence(QStringLiteral("Ctrl+F")));
            UiDriver::type(persons, QStringLiteral("FindText"), QStringLiteral("stef"));
            data(persons)->recordset()->moveTo(int(m_expected.middle));
            show(persons);
        },
        [&] {
            QWidget *persons = screen(ScreenKind::Persons);
            QTest::keySequence(persons->findChild<QLineEdit *>(QStringLiteral("FindText")),
                               QKeySequence(Qt::Key_F3));
            show(persons);
        },
        [&] {
            QWidget *persons = screen(ScreenKind::Persons);
            expect(data(persons)->recordset()->absolutePosition() > m_expected.middle,
                   QStringLiteral("a person after the middle"));
            expect(startsAWord({boxText(persons, "Text4"), boxText(persons, "Text6"),
                                boxText(persons, "Text7"), boxText(persons, "Text8")},
                               QStringLiteral("stef")),
                   QStringLiteral("a Ștefan"));
        },
        &paint);
    Series floor = Measurement::measure(
        m_runs, [&] { freshEngine(); },
        [&] {
            const qint64 rowid = engine().integer(NextMatch, {m_expected.middleRowid});
            engine().rows("SELECT count(*) FROM TBL_Zavoni WHERE rowid < ?", {rowid});
        },
        [] {});
    add(QStringLiteral("find_next"), Kind::Interactive,
        QStringLiteral("F3 in the find strip from the middle: the next person whose name "
                       "begins with \"stef\", counter and page"),
        program, floor, paint);

    const QByteArray sortedPage =
        QStringLiteral("SELECT rowid, Nume FROM TBL_Zavoni ORDER BY %1 LIMIT ?")
            .arg(PersonSearch::orderBy({QStringLiteral("Nume"), false}))
            .toUtf8();
    const QString first = m_reference->text("SELECT Nume FROM TBL_Zavoni WHERE rowid = ?",
                                            {m_reference->integer(sortedPage.constData(), {1})});
    paint.clear();
    program = this->program(
        QStringLiteral("sort_name"),
        [&] { reopenPersons(); },
        [&] {
            DBGrid *view = grid(screen(ScreenKind::Persons));
            QHeaderView *heading = view->horizontalHeader();
            QTest::mouseClick(heading->viewport(), Qt::LeftButton, {},
                              QPoint(heading->sectionViewportPosition(0) + 5, 5));
            show(screen(ScreenKind::Persons));
        },
        [&] {
            QWidget *persons = screen(ScreenKind::Persons);
            expect(firstShown(grid(persons)) == 0, QStringLiteral("first page"));
            expect(shownText(grid(persons), 0) == first, QStringLiteral("first by name"));
        },
        &paint);
    floor = Measurement::measure(
        m_runs, [&] { freshEngine(); },
        [&] { engine().rows(sortedPage.constData(), {m_personsPage}); },
        [] {});
    add(QStringLiteral("sort_name"), Kind::Interactive,
        QStringLiteral("A click on the heading \"Nume\": the first page in Romanian order"),
        program, floor, paint);
    closeFrom(ScreenKind::Persons);
}
