#include "cnpcheck.h"

#include <QLocale>
#include <QRegularExpression>

#include <array>

namespace CnpCheck {

namespace {

// The county codes in force: 01-40 the counties in alphabetical order and
// Bucharest, 41-46 its six sectors, 47 and 48 its former sectors 7 and 8
// (codes of persons born before those sectors were merged), 51 Călărași and
// 52 Giurgiu (counties made in 1981), and 70, given to every code made since
// May 2024 whatever the county.
bool knownCounty(int code)
{
    return (code >= 1 && code <= 48) || code == 51 || code == 52 || code == 70;
}

int digitAt(const QString &cnp, int i)
{
    return cnp.at(i).unicode() - '0';
}

int controlDigit(const QString &cnp)
{
    static constexpr std::array<int, 12> weights{2, 7, 9, 1, 4, 6, 3, 5, 8, 2, 7, 9};
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += digitAt(cnp, i) * weights[i];
    const int rest = sum % 11;
    return rest == 10 ? 1 : rest;
}

QString monthName(int month)
{
    return QLocale(QLocale::Romanian).standaloneMonthName(month, QLocale::LongFormat);
}

// 1/2 born in the 1900s, 3/4 in the 1800s, 5/6 in the 2000s. 7/8 are
// residents and 9 foreigners: their century is not written, so their date
// is taken in whichever of the 1900s and 2000s makes it real (only 29
// February of a year 00 tells them apart).
void readBirth(const QString &cnp, Verdict *v)
{
    const int first = digitAt(cnp, 0);
    const int yy = cnp.mid(1, 2).toInt();
    const int month = cnp.mid(3, 2).toInt();
    const int day = cnp.mid(5, 2).toInt();
    if (month < 1 || month > 12) {
        v->problems << QStringLiteral("Luna %1 nu există").arg(month);
        return;
    }
    QList<int> centuries;
    switch (first) {
    case 1: case 2: centuries = {1900}; break;
    case 3: case 4: centuries = {1800}; break;
    case 5: case 6: centuries = {2000}; break;
    default: centuries = {1900, 2000}; break;
    }
    for (int century : centuries) {
        const QDate date(century + yy, month, day);
        if (date.isValid()) {
            v->birthDate = date;
            return;
        }
    }
    v->problems << QStringLiteral("Ziua %1 nu există în %2 %3")
                       .arg(day)
                       .arg(monthName(month))
                       .arg(centuries.first() + yy);
}

void checkCode(const QString &cnp, Verdict *v)
{
    if (cnp.size() != 13) {
        v->problems << QStringLiteral("CNP-ul are %1 caractere în loc de 13").arg(cnp.size());
        return;
    }
    for (const QChar c : cnp) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            v->problems << QStringLiteral("CNP-ul poate conține numai cifre");
            return;
        }
    }
    const int first = digitAt(cnp, 0);
    if (first == 0)
        v->problems << QStringLiteral("Prima cifră nu poate fi 0");
    else
        readBirth(cnp, v);
    if (first >= 1 && first <= 8)
        v->sex = first % 2 ? QLatin1Char('M') : QLatin1Char('F');
    if (!knownCounty(cnp.mid(7, 2).toInt()))
        v->problems << QStringLiteral("Cod de județ necunoscut: %1").arg(cnp.mid(7, 2));
    if (cnp.mid(9, 3) == QLatin1String("000"))
        v->problems << QStringLiteral("Numărul de ordine 000 nu se atribuie");
    const int control = controlDigit(cnp);
    if (digitAt(cnp, 12) != control)
        v->problems << QStringLiteral("Cifra de control greșită: ar trebui să fie %1")
                           .arg(control);
}

} // namespace

QString Verdict::describe() const
{
    if (empty)
        return {};
    const QStringList all = problems + disagreements;
    return all.isEmpty() ? QStringLiteral("CNP valid") : all.join(QLatin1Char('\n'));
}

QDate readDate(const QString &text)
{
    static const QRegularExpression dayFirst(
        QStringLiteral("^\\s*(\\d{1,2})[./-](\\d{1,2})[./-](\\d{4})\\s*$"));
    static const QRegularExpression yearFirst(
        QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})\\s*$"));
    QRegularExpressionMatch m = dayFirst.match(text);
    if (m.hasMatch())
        return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    m = yearFirst.match(text);
    if (m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return {};
}

Verdict check(const QString &cnp, const QString &sex, const QString &birthDate)
{
    Verdict v;
    const QString code = cnp.trimmed();
    if (code.isEmpty())
        return v;
    v.empty = false;
    checkCode(code, &v);
    const QString shownSex = sex.trimmed().toUpper();
    if (!v.sex.isNull() && (shownSex == QLatin1String("M") || shownSex == QLatin1String("F"))
        && shownSex.at(0) != v.sex)
        v.disagreements << QStringLiteral("Sexul ales (%1) nu se potrivește cu CNP-ul (%2)")
                               .arg(shownSex, v.sex);
    const QDate shownDate = readDate(birthDate);
    if (v.birthDate.isValid() && shownDate.isValid() && shownDate != v.birthDate)
        v.disagreements << QStringLiteral("Data nașterii nu se potrivește cu CNP-ul (%1)")
                               .arg(v.birthDate.toString(QStringLiteral("dd.MM.yyyy")));
    return v;
}

} // namespace CnpCheck
