#pragma once

#include <QStringList>

class QComboBox;

// The kinds of offence the register knows, in the order they were first
// written down; the list that offers them keeps its own alphabetical order.
namespace OffenceTypes {

QStringList all();
// Puts the text among the items at its place in Romanian alphabetical order,
// so that "Î" follows "I" and precedes "J" instead of landing after "Z".
void addSorted(QComboBox *list, const QString &text);

} // namespace OffenceTypes
