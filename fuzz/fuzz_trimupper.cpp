// Most boxes trim their text and turn it to capitals when left. Leaving a box
// twice must change nothing more, and the text never keeps an outer space.
#include "fuzztext.h"

#include "rules/fieldrules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);

    const QString upper = FieldRules::trimUpper(text);
    FUZZ_REQUIRE(FieldRules::trimUpper(upper) == upper, text, upper);
    FUZZ_REQUIRE(!upper.startsWith(QLatin1Char(' ')) && !upper.endsWith(QLatin1Char(' ')), text,
                 upper);

    const QString trimmed = FieldRules::trim(text);
    FUZZ_REQUIRE(FieldRules::trim(trimmed) == trimmed, text, trimmed);
    // Only the outer spaces go: what the operator typed inside stays.
    FUZZ_REQUIRE(text.contains(trimmed), text, trimmed);
    return 0;
}
