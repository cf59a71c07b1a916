#pragma once

#include "data/personsearch.h"

#include <QString>

#include <functional>

class DataControl;
class QWidget;

// The commands that take the register out of the program, in the menu bar
// above a window's designed controls.
namespace RegisterMenu {

// "Registru": "Statistici", "Copie de siguranță...", the whole register to CSV.
void addRegisterCommands(QWidget *window, const QString &registerFile);

// "Listă" of a data screen: its list as CSV, as its navigation bar selects it
// and in the order the screen shows it when asked (offered under fileStem),
// and, given the CNP of the person a screen is about, that person's dossier
// (Ctrl+P) and the history of its changes (Ctrl+H).
void addListCommands(QWidget *window, DataControl *data, const QString &fileStem,
                     const std::function<QString()> &personCnp = {},
                     const std::function<PersonSearch::Order()> &order = {});

} // namespace RegisterMenu
