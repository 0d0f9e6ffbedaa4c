// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "fault_injector.h"

namespace velksim {

void FaultInjector::set(const FaultOptions& options) {
    options_ = options;
    transfers_ = 0;
}

FaultInjector::Action FaultInjector::onTransfer() {
    ++transfers_;
    if (options_.stallTransfer == 0 || transfers_ != options_.stallTransfer) {
        return Action::Serve;
    }
    if (options_.stallAnswerAfter) {
        return Action::Delay;
    }
    return options_.stallTimesOutAtOnce ? Action::TimeOut : Action::Swallow;
}

bool FaultInjector::unplugNow() const {
    return options_.disconnectAfterTransfers != 0 &&
           transfers_ >= options_.disconnectAfterTransfers;
}

std::optional<std::size_t> FaultInjector::replyLimit(std::uint8_t command) const {
    if (!options_.shortReplyLength ||
        (options_.shortReplyCommand != 0 && options_.shortReplyCommand != command)) {
        return std::nullopt;
    }
    return options_.shortReplyLength;
}

}  // namespace velksim
