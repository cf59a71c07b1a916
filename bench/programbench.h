#pragma once

#include "benchsupport.h"
#include "results.h"

#include "screens/common/navigator.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class SqliteDb;
class Form1;
class QApplication;
class QWidget;
class ScreenChain;

// The whole program measured as the operator meets it: a folder holding the
// register as Zavoni.mdb, the real start, the real screens driven by clicks,
// each step ending when its window has been painted. Beside each step, its
// floor does the same data work through the engine's C interface.
class ProgramBench
{
public:
    ProgramBench(QApplication &app, const QString &fileName, qint64 persons, int runs);
    ~ProgramBench();

    // Measures every step; writes the results to `out` when given and prints
    // this size's report.
    int run(const QString &out);

    // Child mode of the memory measurement: the program's own start, then the
    // persons screen open.
    static int memoryProbe(int &argc, char **argv);

private:
    struct Expected
    {
        QString firstCnp, lastCnp;
        qint64 women = 0, men = 0;
        QString firstWoman, firstMan;
        qint64 middle = 0; // rank of the person in the middle
        qint64 middleRowid = 0;
        QString middleCnp, nextCnp, middleName;
        qint64 offences = 0, firstOffence = 0, accomplices = 0, articles = 0;
        QString anyAccomplice;
    };

    void readExpected();
    void checkSettings();

    void measureStartup();
    void measureOpenPersons();
    void measureMoves();
    void measureFilters();
    void measureEditing();
    void measureUpperScreens();
    void measureFindAndSort();
    void measureMemory();

    QWidget *screen(ScreenKind kind) const;
    void closeFrom(ScreenKind kind);
    QWidget *reopenPersons();
    QWidget *personsShowing(const QString &source);
    QWidget *personsAtMiddle();
    QWidget *offencesOfMiddle();
    void clickAndShow(QWidget *window, const char *button, ScreenKind shown);
    void clickAndShow(QWidget *window, const char *button);
    // Ends a step as the operator sees it end: the event loop has run and the
    // window has repainted what changed, as the program repaints it.
    void show(QWidget *window);
    void addChildren(const QString &cnp);
    void saveShot(const QString &key);
    SqliteDb &freshEngine();
    SqliteDb &engine();

    // A step of the program, with the time its paint events took within it.
    // With ZAVONI_BENCH_SHOTS naming a folder, the painted window is saved
    // there as KEY.png, to look at what was measured.
    Measurement::Series program(const QString &key, const std::function<void()> &prepare,
                                const std::function<void()> &work,
                                const std::function<void()> &check, std::vector<double> *paint);
    void add(const QString &key, Results::Kind kind, const QString &label,
             const Measurement::Series &program, const Measurement::Series &floor,
             const std::vector<double> &paint);

    QApplication &m_app;
    QString m_fileName;
    qint64 m_persons;
    int m_runs;
    QTemporaryDir m_folder;
    QString m_oldCurrent;
    std::unique_ptr<ScreenChain> m_chain;
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<SqliteDb> m_reference; // expectations and set-up, never timed
    std::unique_ptr<SqliteDb> m_floor;
    Expected m_expected;
    QWidget *m_painted = nullptr; // the window the last step painted
    int m_personsPage = 0, m_offencesPage = 0, m_accomplicesPage = 0, m_articlesPage = 0;
    Results::Size m_results;
};
