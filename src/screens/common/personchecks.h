#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// What the persons and the accomplices screens ask of a person before storing
// it. Each check tells the operator what is missing and puts the focus into the
// box to correct; the caller only stops its save on false.
namespace PersonChecks {

// A CNP is a key: it must be there and have all its 13 characters.
bool cnpAccepted(QWidget *screen, QLineEdit *cnpBox);
// A person nobody can name cannot be found again: one of the names suffices.
bool namesGiven(QWidget *screen, QLineEdit *surname, QLineEdit *firstName, QLineEdit *nickname1,
                QLineEdit *nickname2);

// Only Bucharest is divided into sectors. The locality is compared as it will
// be stored, whatever case and blanks the operator is still typing.
bool hasSectors(const QString &locality);

} // namespace PersonChecks
