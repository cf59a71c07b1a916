#pragma once

#include "benchsupport.h"
#include "results.h"

#include "app/screenchain.h"

#include <QTemporaryDir>
#include <QVariantList>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class SqliteDb;
class Form1;
class QApplication;

// The whole program measured as the operator meets it: a folder holding the
// register as Zavoni.mdb, the real start, the real screens driven by clicks,
// each step ending when its window has been painted. Beside each step, its
// floor does the same data work through the engine's C interface.
class ProgramBench
{
public:
    ProgramBench(QApplication &app, const QString &fileName, qint64 persons, int runs);
    ~ProgramBench();

    // Measures every step and the memory.
    Results::Size run();

    // Child mode of the memory measurement: the program's own start, then the persons screen
    // open.
    static int memoryProbe(int &argc, char **argv);

private:
    struct Expected
    {
        QString firstCnp, lastCnp, firstWoman, firstMan, middleCnp, nextCnp, middleName;
        QString anyAccomplice, firstName, lastName; // the first and last surnames, sorted
        qint64 women = 0, men = 0, middle = 0 /* rank */, middleRowid = 0, offences = 0;
        qint64 firstOffence = 0, accomplices = 0, articles = 0;
    };
    // What a floor found: a count (-1: none asked) and the rows it read.
    using Found = std::pair<qint64, int>;
    // One step of the operator's: its action on the real widgets, timed, beside its
    // floor, the same data work through the engine's C interface (none when floor is
    // empty). runs: 0 for the benchmark's number.
    struct Step
    {
        const char *key;
        Results::Target target;
        int runs;
        QString label;
        std::function<void()> prepare, action, check;
        std::function<Found()> floor, floorExpected;
        std::function<void()> floorPrepare;
    };
    struct Opening;

    void readExpected();
    void checkSettings();
    Step opening(const Opening &o);
    void measureScreens();
    void measureEditing();
    void measureFinding();
    void measureSorted();
    void measureOutput();

    QWidget *screen(ScreenKind kind) const { return m_chain->screen(kind); }
    QWidget *persons() const { return screen(ScreenKind::Persons); }
    void closeFrom(ScreenKind kind);
    QWidget *reopenPersons();
    QWidget *personsShowing(const QString &source);
    QWidget *personsAtMiddle();
    QWidget *offencesOfMiddle();
    QWidget *personsFromFirst(bool sorted);
    void activatePersons();
    void clickHeading();
    void openFindStrip();
    void typeNumber(qint64 record);
    void enterNumber();
    void clickAndShow(QWidget *window, const char *button);
    // Ends a step as the operator sees it end: the event loop has run and the
    // window has repainted what changed, as the program repaints it.
    void show(QWidget *window);
    // Offences with two articles and an accomplice each.
    void addChildren(const QString &cnp, int offences = 3);
    void expectDeleted();
    SqliteDb &engine();

    void measure(const Step &step) { measureInTurn({step}); }
    // Steps that each start from the state the one before left, measured in turn each run.
    void measureInTurn(const std::vector<Step> &steps);

    qint64 m_persons;
    int m_runs;
    QTemporaryDir m_folder;
    QString m_oldCurrent;
    std::unique_ptr<ScreenChain> m_chain;
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<SqliteDb> m_reference; // expectations and set-up, never timed
    std::unique_ptr<SqliteDb> m_floor;
    Expected m_expected;
    int m_personsPage = 0; // the rows of the persons grid's page
    Results::Size m_results;
};
