// The fine box keeps the decimal writing of the amount its text begins with,
// without a sign. Reading the result again must give the same amount, and an
// amount is never negative.
#include "fuzztext.h"

#include "rules/fieldrules.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);

    const QString fine = FieldRules::fineForm(text);
    const double amount = FieldRules::leadingNumber(fine);
    FUZZ_REQUIRE(!fine.startsWith(QLatin1Char('-')), text, fine);
    FUZZ_REQUIRE(amount >= 0.0 && std::isfinite(amount), text, fine);
    FUZZ_REQUIRE(FieldRules::fineForm(fine) == fine, text, fine);

    // The amount shown is the amount typed, to the 15 digits a double keeps.
    const double typed = std::fabs(FieldRules::leadingNumber(text));
    FUZZ_REQUIRE(std::fabs(amount - typed) <= 1e-14 * typed, text,
                 fine + QStringLiteral(" vs ") + QString::number(typed, 'g', 17));
    return 0;
}
