#pragma once

#include <QTranslator>

// Debian ships no Romanian translation of Qt itself; the few texts of Qt's own
// that an operator meets (dialog buttons, the edit menu of a box) are given here.
class RomanianQtTexts : public QTranslator
{
public:
    using QTranslator::QTranslator;
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }
};
