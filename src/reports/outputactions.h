#pragma once

#include "data/personsearch.h"

#include <QString>

class QWidget;

// The commands that take data out of the register, each in one call a window's
// menu can make: they ask where, do the work in the background and say how it
// ended, in Romanian.
namespace OutputActions {

// Where save dialogs start: the operator's documents, never a shared folder.
QString documentsFolder();

void exportList(QWidget *parent, const QString &registerFile, const QString &recordSource,
                const PersonSearch::Order &order, const QString &suggestedName);
void exportRegister(QWidget *parent, const QString &registerFile);
void backUp(QWidget *parent, const QString &registerFile);

} // namespace OutputActions
