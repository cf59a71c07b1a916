// The persons list found in, jumped in and sorted, as the operator sees it:
// the counter, the current row's boxes and the grid's page. The sorted steps
// check only what is shown, never how the list came to be in order.

#include "benchsupport.h"
#include "programbench.h"
#include "sqlitedb.h"

#include "app/screenchain.h"
#include "common/screensession.h"
#include "data/personsearch.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

using namespace BenchSupport;

namespace {

const char *const PersonFrom =
    "SELECT " PERSON_COLUMNS " FROM TBL_Zavoni WHERE rowid >= (SELECT rowid FROM TBL_Zavoni "
    "WHERE CNP_C = ?) ORDER BY rowid LIMIT ?";
const QString NotFound = QStringLiteral("Nu a fost găsit");

constexpr qint64 AtTen = 10000000; // the persons the find and sort targets are set for

// The position the counter shows, from 1; 0 when it shows none.
qint64 shownPosition(QWidget *persons, qint64 count)
{
    const QString caption = data(persons)->caption();
    return caption.endsWith(QStringLiteral("/%1").arg(count))
               ? caption.section(QLatin1Char('/'), 0, 0).toLongLong()
               : 0;
}

bool inOrder(const QString &before, const QString &after)
{
    return !PersonSearch::sortsBefore(PersonSearch::sortKeyText(after),
                                      PersonSearch::sortKeyText(before));
}

// The current row is the one the counter names, and the grid shows it.
void expectCurrentShown(QWidget *persons, qint64 count, qint64 position, const QString &what)
{
    DBGrid *view = grid(persons);
    expect(shownPosition(persons, count) == position && recordShown(view, int(position - 1))
               && shownText(view, int(position - 1)) == boxText(persons, "Text4"),
           what + QStringLiteral(": ") + data(persons)->caption());
}

// The whole text arrives in one event, as an input method commits it: one search.
void typeAtOnce(QWidget *persons, const QString &text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(child<QLineEdit>(persons, "FindText"), &commit);
}

} // namespace

void ProgramBench::activatePersons()
{
    if (!persons()->isActiveWindow() && !UiDriver::activate(persons()))
        die(QStringLiteral("the persons screen cannot be made active"));
}

// The persons list at its first row, in the register's order or sorted by name.
QWidget *ProgramBench::personsFromFirst(bool sorted)
{
    QWidget *persons = personsShowing(SourceTexts::Persons);
    if (grid(persons)->horizontalHeader()->isSortIndicatorShown() != sorted) {
        if (!sorted)
            persons = reopenPersons();
        activatePersons();
        if (sorted)
            clickHeading();
        QCoreApplication::processEvents();
    }
    activatePersons();
    Recordset *rs = data(persons)->recordset();
    if (rs->absolutePosition() != 0 || firstShown(grid(persons)) != 0) {
        rs->moveFirst();
        grid(persons)->verticalScrollBar()->setValue(0);
        QCoreApplication::processEvents();
    }
    return persons;
}

// A click on the heading of `Nume`, the grid's first column.
void ProgramBench::clickHeading()
{
    QHeaderView *heading = grid(persons())->horizontalHeader();
    QTest::mouseClick(heading->viewport(), Qt::LeftButton, {},
                      QPoint(heading->sectionViewportPosition(0) + 5, 5));
}

// Ctrl+F, then the box emptied, which clears the note of the last search.
void ProgramBench::openFindStrip()
{
    QTest::keySequence(persons(), QKeySequence(Qt::CTRL | Qt::Key_F));
    auto *box = child<QLineEdit>(persons(), "FindText");
    expect(box->isVisible(), QStringLiteral("the find strip opened"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QCoreApplication::processEvents();
}

// Ctrl+G and the number typed over the counter; Enter is the step.
void ProgramBench::typeNumber(qint64 record)
{
    QTest::keySequence(persons(), QKeySequence(Qt::CTRL | Qt::Key_G));
    auto *box = child<QLineEdit>(persons(), "Data1Position");
    expect(box->isVisible(), QStringLiteral("the record number box opened"));
    QTest::keyClicks(box, QString::number(record));
}

void ProgramBench::enterNumber()
{
    QTest::keyClick(child<QLineEdit>(persons(), "Data1Position"), Qt::Key_Return);
    show(persons());
}

void ProgramBench::measureFinding()
{
    const Expected &e = m_expected;
    const qint64 n = m_persons;
    const auto find = [&](const QString &text) {
        typeAtOnce(persons(), text);
        show(persons());
    };
    const auto fromFirst = [&] {
        personsFromFirst(false);
        openFindStrip();
    };
    const auto middleFound = [&] {
        expect(boxText(persons(), "Text1") == e.middleCnp, QStringLiteral("the person found"));
        expectCurrentShown(persons(), n, e.middle + 1, QStringLiteral("found"));
    };
    const auto pageRows = [&] { return Found(-1, m_personsPage); };
    const auto sortedFromFirst = [&] {
        personsFromFirst(true);
        openFindStrip();
    };
    // The current row is a person with a word the text begins, and is shown.
    const auto foundWith = [&](const QString &word) {
        const QString names = engine().text(
            "SELECT Nume || ' ' || ifnull(Prenume, '') || ' ' || ifnull(Porecla1, '') || ' ' "
            "|| ifnull(Porecla2, '') FROM TBL_Zavoni WHERE CNP_C = ?",
            {boxText(persons(), "Text1")});
        expect(PersonSearch::matches({names}, {word}),
               QStringLiteral("a person with the word found: ") + names);
        expectCurrentShown(persons(), n, shownPosition(persons(), n),
                           QStringLiteral("found in the sorted list"));
    };
    const Step steps[] = {
        {"find_middle", {16, AtTen, 0}, 0,
         QStringLiteral("Find strip: the CNP of the person in the middle typed, "
                        "register's order"),
         fromFirst, [&] { find(e.middleCnp); }, middleFound,
         [&] { return Found(-1, engine().rows(PersonFrom, {e.middleCnp, m_personsPage})); },
         pageRows, {}},
        {"find_none", {300, AtTen, 0}, 0,
         QStringLiteral("Find strip: a name no person has, the whole list searched"), fromFirst,
         [&] { find(QStringLiteral("Zăvoianu")); },
         [&] {
             expect(child<QLabel>(persons(), "FindNote")->text() == NotFound
                        && boxText(persons(), "Text1") == e.firstCnp,
                    QStringLiteral("nothing found, the first row stays"));
         },
         {}, {}, {}},
        {"jump_middle", {16, AtTen, 0}, 0,
         QStringLiteral("Ctrl+G, the number of the person in the middle, Enter"),
         [&] {
             personsFromFirst(false);
             typeNumber(e.middle + 1);
         },
         [&] { enterNumber(); }, middleFound,
         [&] {
             return Found(-1, engine().rows("SELECT * FROM TBL_Zavoni ORDER BY rowid "
                                            "LIMIT ? OFFSET ?",
                                            {m_personsPage, e.middle}));
         },
         pageRows, {}},
        {"sort_name", {150, AtTen, 0}, 5,
         QStringLiteral("Click on the heading of `Nume`: the sorted list's first page"),
         [&] { personsFromFirst(false); },
         [&] {
             clickHeading();
             show(persons());
         },
         [&] {
             expect(grid(persons())->horizontalHeader()->isSortIndicatorShown()
                        && boxText(persons(), "Text4") == e.firstName
                        && firstShown(grid(persons())) == 0,
                    QStringLiteral("sorted from ") + e.firstName);
             expectCurrentShown(persons(), n, 1, QStringLiteral("sorted"));
         },
         {}, {}, {}},
        {"find_sorted", {50, AtTen, 0}, 0,
         QStringLiteral("Find strip: the same CNP typed, the list sorted by `Nume`"),
         sortedFromFirst, [&] { find(e.middleCnp); },
         [&] {
             expect(boxText(persons(), "Text1") == e.middleCnp, QStringLiteral("found"));
             expectCurrentShown(persons(), n, shownPosition(persons(), n),
                                QStringLiteral("found in the sorted list"));
         },
         {}, {}, {}},
        {"find_sorted_word", {50, AtTen, 0}, 0,
         QStringLiteral("Find strip: a nickname many persons have, the list sorted by `Nume`"),
         sortedFromFirst, [&] { find(QStringLiteral("nasul")); },
         [&] { foundWith(QStringLiteral("nasul")); }, {}, {}, {}},
        {"find_sorted_far", {50, AtTen, 0}, 0,
         QStringLiteral("Find strip: a surname typed at the first row, the list sorted by "
                        "`Nume`: the surnames between hold millions of persons"),
         sortedFromFirst, [&] { find(QStringLiteral("ionescu")); },
         [&] { foundWith(QStringLiteral("ionescu")); }, {}, {}, {}},
        {"find_sorted_far_men", {50, AtTen, 0}, 0,
         QStringLiteral("Find strip: a man's first name typed at the first row, a woman's, "
                        "the list sorted by `Nume`: all the women of her surname come first"),
         sortedFromFirst, [&] { find(QStringLiteral("ion")); },
         [&] { foundWith(QStringLiteral("ion")); }, {}, {}, {}},
    };
    for (const Step &step : steps)
        measure(step);
}

void ProgramBench::measureSorted()
{
    const Expected &e = m_expected;
    const qint64 n = m_persons;
    const auto first = [&] { personsFromFirst(true); };
    // A row further down the sorted list: its name sorts after the first's.
    const auto movedTo = [&](qint64 position) {
        expectCurrentShown(persons(), n, position, QStringLiteral("sorted, moved"));
        expect(inOrder(e.firstName, boxText(persons(), "Text4")), QStringLiteral("in order"));
    };
    const Step steps[] = {
        {"sorted_next", {16, AtTen, 0}, 0, QStringLiteral("Sorted by `Nume`: next arrow"), first,
         [&] { clickAndShow(data(persons()), "Next"); }, [&] { movedTo(2); }, {}, {}, {}},
        {"sorted_page", {16, AtTen, 0}, 0, QStringLiteral("Sorted by `Nume`: Page Down"), first,
         [&] {
             QTest::keyClick(data(persons()), Qt::Key_PageDown);
             show(persons());
         },
         [&] { movedTo(qMax<qint64>(2, shownPosition(persons(), n))); }, {}, {}, {}},
        {"sorted_last", {16, AtTen, 0}, 0, QStringLiteral("Sorted by `Nume`: last arrow"), first,
         [&] { clickAndShow(data(persons()), "Last"); },
         [&] {
             movedTo(n);
             expect(boxText(persons(), "Text4") == e.lastName, QStringLiteral("last name"));
         },
         {}, {}, {}},
        {"sorted_jump", {100, AtTen, 0}, 0,
         QStringLiteral("Sorted by `Nume`: Ctrl+G, the number of the middle, Enter"),
         [&] {
             personsFromFirst(true);
             typeNumber(e.middle + 1);
         },
         [&] { enterNumber(); }, [&] { movedTo(e.middle + 1); }, {}, {}, {}},
        {"sorted_drag", {100, AtTen, 0}, 0,
         QStringLiteral("Sorted by `Nume`: the grid's scroll bar dragged to the middle"), first,
         [&] {
             grid(persons())->verticalScrollBar()->setValue(int(e.middle));
             show(persons());
         },
         [&] {
             DBGrid *view = grid(persons());
             const QString here = shownText(view, int(e.middle));
             expect(firstShown(view) == e.middle && !here.isEmpty() && inOrder(e.firstName, here)
                        && inOrder(here, shownText(view, int(e.middle + 1))),
                    QStringLiteral("the sorted list's middle page"));
         },
         {}, {}, {}},
    };
    for (const Step &step : steps)
        measure(step);
}
