#include "fieldrules.h"

#include <QTextBoundaryFinder>
#include <QVariant>

#include <cmath>
#include <cstdlib>
#include <string>

namespace FieldRules {

qsizetype characterCount(QStringView text)
{
    qsizetype count = text.size();
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate())
            --count;
    }
    return count;
}

QString firstCharacters(const QString &text, qsizetype count)
{
    if (characterCount(text) <= count)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype kept = 0;
    qsizetype characters = 0;
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) {
        characters += characterCount(QStringView(text).sliced(kept, at - kept));
        if (characters > count)
            break;
        kept = at;
    }
    return text.left(kept);
}

QString wholeCharacters(const QString &text)
{
    QString whole = text;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        const QChar c = whole.at(i);
        if (c.isHighSurrogate() && i + 1 < whole.size() && whole.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            whole[i] = QChar::ReplacementCharacter;
    }
    return whole;
}

QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar &c : line) {
        switch (c.unicode()) {
        case 0x0a: case 0x0b: case 0x0c: case 0x0d: case 0x85: case 0x2028: case 0x2029:
            c = QLatin1Char(' ');
            break;
        default:
            break;
        }
    }
    return line;
}

QString trim(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

QString trimUpper(const QString &text)
{
    return trim(text).toUpper();
}

double leadingNumber(const QString &text)
{
    // Collect the longest prefix (blanks skipped) that reads as a number.
    std::string number;
    std::string accepted;
    enum { Sign, IntDigits, Fraction, ExpSign, ExpDigits } state = Sign;
    bool anyDigit = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        const char ch = c.unicode() < 128 ? char(c.unicode()) : '\0';
        const bool digit = ch >= '0' && ch <= '9';
        if (state == Sign && (ch == '+' || ch == '-')) {
            number += ch;
            state = IntDigits;
        } else if ((state == Sign || state == IntDigits) && digit) {
            number += ch;
            state = IntDigits;
            anyDigit = true;
            accepted = number;
        } else if ((state == Sign || state == IntDigits) && ch == '.') {
            number += ch;
            state = Fraction;
        } else if (state == Fraction && digit) {
            number += ch;
            anyDigit = true;
            accepted = number;
        } else if ((state == IntDigits || state == Fraction) && anyDigit
                   && (ch == 'e' || ch == 'E' || ch == 'd' || ch == 'D')) {
            number += 'e';
            state = ExpSign;
        } else if (state == ExpSign && (ch == '+' || ch == '-')) {
            number += ch;
            state = ExpDigits;
        } else if ((state == ExpSign || state == ExpDigits) && digit) {
            number += ch;
            state = ExpDigits;
            accepted = number;
        } else {
            break;
        }
    }
    if (!anyDigit || accepted.empty())
        return 0.0;
    const double value = std::strtod(accepted.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

QString decimalText(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    if (std::fabs(value) < 1e15 && std::floor(value) == value)
        return QString::number(qint64(value));
    QString text = QString::number(value, 'g', 15);
    if (text.contains(QLatin1Char('e')))
        text = text.toUpper();
    return text;
}

QString valueText(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double)
        return decimalText(value.toDouble());
    return value.toString();
}

QString cnpForm(const QString &text)
{
    return decimalText(leadingNumber(trimUpper(text)));
}

QString fineForm(const QString &text)
{
    return decimalText(std::fabs(leadingNumber(text)));
}

bool hasSectors(const QString &locality)
{
    return trimUpper(locality) == QLatin1String("BUCURESTI");
}

} // namespace FieldRules
