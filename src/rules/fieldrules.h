#pragma once

#include <QString>
#include <QStringView>

class QVariant;

// The rules every screen applies to what the operator typed.
namespace FieldRules {

// How many characters a text holds. One outside the basic plane (two UTF-16
// units, an emoji for instance) counts once, as SQLite's length() counts it:
// the boxes' limits are kept in these.
qsizetype characterCount(QStringView text);
// The longest beginning of the text with at most count characters that ends
// between two characters as the reader sees them: a surrogate pair, a letter
// and its accents, an emoji sequence are never split.
QString firstCharacters(const QString &text, qsizetype count);
// The text with each half character that lost its other half (a lone
// surrogate, which has no UTF-8 form) replaced by U+FFFD, so that it can be
// stored as UTF-8.
QString wholeCharacters(const QString &text);
// The text as one line: each line break (CR LF, CR, LF or another Unicode
// line or paragraph break) becomes one blank.
QString oneLine(const QString &text);

// Removes leading and trailing blanks (spaces only: other characters are the
// operator's and stay).
QString trim(const QString &text);
// Trims, then turns every letter to its capital, Romanian letters included.
QString trimUpper(const QString &text);

// The number a text begins with: blanks anywhere are ignored, then an optional
// sign, digits, an optional "." and fraction, an optional exponent; reading
// stops at the first character that cannot continue the number. 0 when the
// text does not begin with a number.
double leadingNumber(const QString &text);
// The decimal writing of a value: no leading zeros, no separators, no
// decimal part for a whole number, "." as the decimal point.
QString decimalText(double value);

// A stored value as the screens show it: nothing for an empty value, the
// decimal writing for a number the engine hands back as floating point (so
// that a whole one grows no ".0"), the value's own text otherwise.
QString valueText(const QVariant &value);

// The CNP box: trim, upper case, then the decimal writing of its leading number.
QString cnpForm(const QString &text);
// The fine box: the decimal writing of the absolute value of its leading number.
QString fineForm(const QString &text);

// Only Bucharest is divided into sectors. The locality is compared as it will
// be stored, whatever case and blanks the operator is still typing.
bool hasSectors(const QString &locality);

} // namespace FieldRules
