// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device_listing.h"

#include <algorithm>

namespace nuvrel::cli {

std::vector<std::pair<std::uint16_t, std::uint16_t>> ListedUsbIds() {
    std::vector<VelkUsbId> ids(ListVelkUsbIds(nullptr, 0));
    const std::uint32_t count = ListVelkUsbIds(ids.data(), static_cast<std::uint32_t>(ids.size()));
    ids.resize(std::min<std::size_t>(ids.size(), count));
    std::vector<std::pair<std::uint16_t, std::uint16_t>> pairs;
    for (const VelkUsbId& id : ids) {
        pairs.emplace_back(id.vendorId, id.productId);
    }
    return pairs;
}

}  // namespace nuvrel::cli
