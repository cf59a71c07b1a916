#pragma once

#include <QString>

class QWidget;

namespace Startup {

// Makes sure the register file is there and is ours before any screen opens:
// offers to create a missing one, refuses one that is not a register (leaving
// it untouched). False when the program should end.
bool prepareRegister(const QString &fileName);

} // namespace Startup
