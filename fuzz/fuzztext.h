#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The fuzzers read their input as what an operator or another tool could put
// in a box or a file: UTF-8 text, or, when the first byte is 0x01, raw UTF-16
// (lone surrogates included) that no keyboard produces but a damaged file can.
inline QString fuzzText(const uint8_t *data, size_t size)
{
    if (size > 0 && data[0] == 0x01) {
        // Copied unit by unit: the bytes need not be aligned for char16_t.
        QString text((size - 1) / 2, Qt::Uninitialized);
        std::memcpy(text.data(), data + 1, size_t(text.size()) * sizeof(char16_t));
        return text;
    }
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A broken property is a finding like a crash: report it and abort, so that
// libFuzzer keeps the input.
#define FUZZ_REQUIRE(condition, input, detail)                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "property failed: %s\ninput: %s\n%s\n", #condition,            \
                         qPrintable((input).toUtf8().toPercentEncoding(" ")),                  \
                         qPrintable(QString(detail)));                                         \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
