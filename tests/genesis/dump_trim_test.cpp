// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How much of a whole-capacity dump is kept when its erased tail is dropped.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "genesis/dump_trim.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t KiB = 1024;

struct TrimCase {
    const char* what;
    std::uint32_t dumpBytes;
    std::uint32_t dataBytes;  // non-0xFF bytes at the start; the rest is erased
    std::uint32_t kept;
};

class TrimErasedTailCase : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimErasedTailCase, KeepsThePowerOfTwoThatHoldsTheData) {
    std::vector<std::uint8_t> dump(GetParam().dumpBytes, 0xFF);
    for (std::uint32_t i = 0; i < GetParam().dataBytes; ++i) {
        dump[i] = static_cast<std::uint8_t>(i % 251);  // never 0xFF
    }
    const DumpTrim trim = TrimErasedTail(dump);
    EXPECT_EQ(trim.length, GetParam().kept) << GetParam().what;
    EXPECT_FALSE(trim.reason.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Dumps, TrimErasedTailCase,
    ::testing::Values(
        TrimCase{"a 512 KiB game on 4 MiB", 4096 * KiB, 512 * KiB, 512 * KiB},
        TrimCase{"one byte past a power of two", 4096 * KiB, 512 * KiB + 1, 1024 * KiB},
        TrimCase{"a tiny homebrew", 4096 * KiB, 300, 128 * KiB},
        TrimCase{"erased", 4096 * KiB, 0, 128 * KiB},
        TrimCase{"full", 4096 * KiB, 4096 * KiB, 4096 * KiB},
        TrimCase{"a device smaller than the smallest game", 64 * KiB, 10, 64 * KiB},
        TrimCase{"a capacity that is no power of two", 3072 * KiB, 2049 * KiB, 3072 * KiB}));

}  // namespace
}  // namespace nuvrel
