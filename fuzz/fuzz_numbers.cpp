// The CNP box keeps the decimal writing of the number its text begins with.
// Whatever is typed or pasted, the rule must not crash, and a CNP it has
// already formed must come back unchanged when the box is left again.
#include "fuzztext.h"

#include "rules/fieldrules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);

    const QString cnp = FieldRules::cnpForm(text);
    if (cnp.size() <= 13)
        FUZZ_REQUIRE(FieldRules::cnpForm(cnp) == cnp, text, cnp);

    const QString number = FieldRules::decimalText(FieldRules::leadingNumber(text));
    const QString again = FieldRules::decimalText(FieldRules::leadingNumber(number));
    FUZZ_REQUIRE(again == number, text, number + QStringLiteral(" -> ") + again);
    // The decimal writing is the whole text of a number: nothing trails it.
    FUZZ_REQUIRE(!number.isEmpty() && !number.contains(QLatin1Char(' ')), text, number);
    return 0;
}
