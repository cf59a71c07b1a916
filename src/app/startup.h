#pragma once

#include <QString>

#include <functional>

class QCoreApplication;
class QWidget;

namespace Startup {

// Makes sure the register file is there and is ours before any screen opens:
// offers to create a missing one, refuses one that is not a register (leaving
// it untouched). False when the program should end.
bool prepareRegister(const QString &fileName);

// The register reads the same on any machine: Romanian, whatever LANG says.
void setLanguage(QCoreApplication &app);

struct Options
{
    // Runs instead of the event loop once the start window is shown; the
    // benchmark ends there as soon as the window is painted.
    std::function<int(QWidget *startWindow)> loop;
    // Off only to measure what the sweep of orphan accomplices costs.
    bool sweep = true;
};

// The program's start: the application in Romanian, the register of the
// current folder checked, the start window shown, the event loop.
int run(int &argc, char **argv, const Options &options = {});

} // namespace Startup
