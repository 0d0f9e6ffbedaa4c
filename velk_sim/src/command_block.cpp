// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "command_block.h"

#include <algorithm>
#include <cstdio>

namespace velksim {

std::optional<CommandBlock> parseCommandBlock(std::span<const std::uint8_t> transfer) {
    if (transfer.size() != kCommandBlockBytes || transfer[0] != 'U' || transfer[1] != 'S' ||
        transfer[2] != 'B' || transfer[3] != 'C') {
        return std::nullopt;
    }
    CommandBlock block;
    std::copy(transfer.begin(), transfer.end(), block.bytes.begin());
    return block;
}

namespace {

std::string bootName(const CommandBlock& block) {
    switch (block.at(17)) {
        case 0x52:
            return block.at(18) == 0x42 ? "BootQuery" : "BootLeave";
        case 0x2A:
            return "BootPage";
        case 0x25:
            return "BootNextPage";
        case 0xA2:
            return "BootConfirm";
        default:
            return "Boot?";
    }
}

}  // namespace

CommandRecord describeCommand(const CommandBlock& block) {
    CommandRecord record;
    record.code = block.code();
    switch (block.code()) {
        case code::kInfo:
            if (block.at(17) == kEraseCounterSelector) {
                record.name = "ReadErasingCount";
                record.parameter = block.at(18);
            } else {
                record.name = "ReadDeviceInfo";
                record.parameter = block.at(17);
            }
            break;
        case code::kCompatibility:
            record.name = "Compatibility";
            record.parameter = block.at(17);
            break;
        case code::kReadName:
            record.name = "ReadFileName";
            record.parameter = block.at(17);
            break;
        case code::kWriteName:
            record.name = "WriteFileName";
            record.parameter = block.at(17);
            break;
        case code::kChipQuery:
            record.name = "ReadRomID";
            record.parameter = block.at(17) == 0x10 ? 1 : 0;
            record.count = block.at(18);
            break;
        case code::kErase:
            record.name = "EraseSector";
            record.address = block.wordAddress();
            record.parameter = block.at(20);
            break;
        case code::kEraseStatus:
            record.name = "EraseStatus";
            record.address = block.wordAddress();
            break;
        case code::kRead:
            record.name = "ReadSector";
            record.address = block.wordAddress();
            record.count = block.count();
            break;
        case code::kWrite:
            record.name = "WriteSector";
            record.address = block.wordAddress();
            record.count = block.count();
            break;
        case code::kWriteRam:
            record.name = "WriteRamSector";
            record.address = block.wordAddress();
            record.count = block.count();
            break;
        case code::kBoot:
            record.name = bootName(block);
            record.parameter = block.at(17);
            break;
        case code::kBootStart:
            record.name = "BootStart";
            break;
        default:
            record.name = "Unknown";
            break;
    }
    return record;
}

std::string formatCommand(const CommandRecord& record) {
    char text[160];
    std::snprintf(text, sizeof(text), "%-16s code=0x%02X address=0x%06X count=%u param=0x%02X",
                  record.name.c_str(), record.code, record.address, record.count, record.parameter);
    return text;
}

}  // namespace velksim
