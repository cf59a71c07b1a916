#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Whether 13 characters form a Romanian personal numeric code (CNP), told as
// a hint: the screens' own save checks never depend on it.
namespace CnpCheck {

struct Verdict
{
    bool empty = true;    // nothing typed: nothing to say
    QStringList problems; // what is wrong with the code itself, in Romanian
    QStringList disagreements; // where the sex or birth date shown differs
    QDate birthDate;      // read from the code when its date is real
    QChar sex;            // 'M' or 'F' when the first digit tells it

    bool valid() const { return !empty && problems.isEmpty(); }
    // One line a problem or disagreement, or "CNP valid".
    QString describe() const;
};

// sex is the sex list's text ("M", "F" or empty) and birthDate the birth-date
// box's text; either may be empty when the screen shows none.
Verdict check(const QString &cnp, const QString &sex = {}, const QString &birthDate = {});

// The birth-date box takes free text; the usual Romanian writings are read
// (zz.ll.aaaa, zz/ll/aaaa, zz-ll-aaaa, aaaa-ll-zz), anything else is no date.
QDate readDate(const QString &text);

} // namespace CnpCheck
