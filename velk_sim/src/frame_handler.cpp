// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "frame_handler.h"

#include <algorithm>

#include "fault_injector.h"
#include "transport/virtual_device_protocol.h"
#include "virtual_device.h"
#include "wire_timing.h"

namespace velksim {

namespace vdev = velk::vdev;

FrameOutcome FrameHandler::handle(VirtualDevice& device, FaultInjector& injector, int client,
                                  std::span<const std::uint8_t> message, const HungUp& hungUp) {
    FrameOutcome outcome;
    const auto header = vdev::decodeFrame(message);
    if (header && header->kind == vdev::FrameKind::Hello) {
        return handshake(client, header->sequence, hungUp);
    }
    if (!header || (header->kind != vdev::FrameKind::Out && header->kind != vdev::FrameKind::In) ||
        client != holder_) {
        outcome.hangUp = true;  // not a host of ours, or one that never opened the device
        return outcome;
    }

    if (header->queued && !lastServed_) {
        return outcome;  // withdrawn: neither a transfer nor an answer
    }
    lastServed_ = false;
    const FaultInjector::Action action = injector.onTransfer();
    if (action == FaultInjector::Action::Swallow) {
        return outcome;  // stalled: the host waits in vain
    }
    if (action == FaultInjector::Action::Delay) {
        outcome.delay = *injector.options().stallAnswerAfter;
    }
    vdev::FrameHeader out;
    out.sequence = header->sequence;
    std::vector<std::uint8_t> payload;
    if (action == FaultInjector::Action::TimeOut) {
        // Ignored as a stalled transfer is, but the host learns at once that nothing came.
        out.kind = header->kind == vdev::FrameKind::Out ? vdev::FrameKind::OutAck
                                                        : vdev::FrameKind::InData;
        out.status = vdev::FrameStatus::NoData;
    } else if (header->kind == vdev::FrameKind::Out) {
        const auto data = message.subspan(vdev::kHeaderBytes);
        device.receiveOut(client, data);
        out.kind = vdev::FrameKind::OutAck;
        outcome.transferTime = bus_.carry(data.size(), header->queued);
        outcome.queued = header->queued;
        lastServed_ = true;
    } else {
        out.kind = vdev::FrameKind::InData;
        std::size_t wanted = header->length;
        const auto limit = injector.replyLimit(device.replyCommand());
        if (limit) {
            wanted = std::min(wanted, *limit);
        }
        auto reply = device.takeReply(client, wanted);
        if (limit) {
            device.discardReply();
        }
        if (reply) {
            payload = std::move(*reply);
            lastServed_ = true;
        } else {
            out.status = vdev::FrameStatus::NoData;
        }
        outcome.transferTime = bus_.carry(payload.size(), header->queued);
        outcome.queued = header->queued;
    }
    out.length = static_cast<std::uint32_t>(payload.size());
    outcome.answer = vdev::encodeFrame(out, payload);
    outcome.unplugNow = injector.unplugNow();
    return outcome;
}

// Not a transfer: no faults, no wire time. A refused host is told, then dropped.
FrameOutcome FrameHandler::handshake(int client, std::uint32_t sequence, const HungUp& hungUp) {
    FrameOutcome outcome;
    vdev::FrameHeader out{vdev::FrameKind::Welcome, vdev::FrameStatus::Ok, sequence, 0};
    if (holder_ != 0 && holder_ != client) {
        if (hungUp(holder_)) {
            outcome.droppedHolder = holder_;
        } else {
            out.status = vdev::FrameStatus::InUse;
            outcome.hangUp = true;
        }
    }
    if (!outcome.hangUp) {
        holder_ = client;
        lastServed_ = true;
    }
    outcome.answer = vdev::encodeFrame(out);
    return outcome;
}

void FrameHandler::release(int client) {
    if (holder_ == client) {
        holder_ = 0;
    }
}

}  // namespace velksim
