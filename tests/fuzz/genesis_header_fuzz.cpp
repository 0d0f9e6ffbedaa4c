// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// FormatGenesisHeader on any 176 header bytes: every text stays within its field, the numbers
// keep their formats.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "genesis/genesis_header.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nuvrel::GenesisHeaderBytes header{};
    std::copy_n(data, std::min(size, header.size()), header.begin());
    const nuvrel::GenesisHeaderFields fields = nuvrel::FormatGenesisHeader(header);
    require(fields.systemName.size() <= 16 && fields.copyright.size() <= 16);
    require(fields.domesticName.size() <= 48 && fields.overseasName.size() <= 48);
    require(fields.cartridgeType.size() <= 14);
    for (const std::string* text : {&fields.systemName, &fields.copyright, &fields.domesticName,
                                    &fields.overseasName, &fields.cartridgeType}) {
        require(text->find('\0') == std::string::npos);
    }
    require(fields.checksum.size() == 6 && fields.checksum.compare(0, 2, "0x") == 0);
    // "0x%.6x(%u)::0x%.6x(%u)" of 24-bit values: 8 + (1..8) + 2 ... at most 38 characters.
    for (const std::string* range : {&fields.romRange, &fields.ramRange}) {
        require(range->size() >= 22 && range->size() <= 38 &&
                range->find(")::0x") != std::string::npos);
    }
    std::uint32_t imageSize = 0;
    if (size >= header.size() + 4) {
        std::memcpy(&imageSize, data + header.size(), 4);
    }
    const std::string sizeText = nuvrel::HeaderFileSizeText(imageSize);
    require(sizeText.compare(0, 2, "0x") == 0 && sizeText.find("MBit") != std::string::npos);
    return 0;
}
