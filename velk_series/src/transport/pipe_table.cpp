// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "transport/pipe_table.h"

#include "transport/device_choice.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velk {

namespace {

constexpr std::string_view kInPipeName = "PIPE00";
constexpr std::string_view kOutPipeName = "PIPE01";

struct OpenedPipe {
    std::shared_ptr<Connection> connection;
    bool deviceToHost = false;
};

struct FoundDevice {
    std::string path;
    std::shared_ptr<Connection> connection;
};

class PipeRegistry {
  public:
    PipeHandle open(const char* pipeName, OpenRefusal& refusal) {
        // The connection found here stands for the handle the search opens; it is dropped when
        // this call returns, so a device is held open only by its pipes.
        std::optional<FoundDevice> found = findDevice(refusal);
        if (!found) {
            return kInvalidPipe;
        }
        const std::string_view name = pipeName != nullptr ? pipeName : "";
        std::string path = found->path;
        if (!name.empty()) {
            path += '\\';
        }
        if (path.size() + name.size() > kMaxPipePathLength) {
            return kInvalidPipe;
        }
        path += name;
        storePath(path);

        if (name != kInPipeName && name != kOutPipeName) {
            return kInvalidPipe;
        }
        const PipeHandle handle = nextHandle_++;
        pipes_[handle] = OpenedPipe{found->connection, name == kInPipeName};
        return handle;
    }

    void close(PipeHandle pipe) {
        pipes_.erase(pipe);
        std::erase_if(connections_, [](const auto& entry) { return entry.second.expired(); });
    }

    TransferResult out(PipeHandle pipe, std::span<const std::uint8_t> data) {
        Connection* connection = connectionFor(pipe, false);
        if (connection == nullptr) {
            return {TransferStatus::Failed, 0};
        }
        return connection->bulkOut(data, kTransferTimeout);
    }

    TransferResult in(PipeHandle pipe, std::span<std::uint8_t> buffer) {
        Connection* connection = connectionFor(pipe, true);
        if (connection == nullptr) {
            return {TransferStatus::Failed, 0};
        }
        return connection->bulkIn(buffer, kTransferTimeout);
    }

    QueuedResult outThenOut(PipeHandle pipe, std::span<const std::uint8_t> first,
                            std::span<const std::uint8_t> second) {
        Connection* connection = connectionFor(pipe, false);
        if (connection == nullptr) {
            return {};
        }
        return connection->outThenOut(first, second, kTransferTimeout);
    }

    QueuedResult outThenIn(PipeHandle out, PipeHandle in, std::span<const std::uint8_t> first,
                           std::span<std::uint8_t> second) {
        Connection* outConnection = connectionFor(out, false);
        Connection* inConnection = connectionFor(in, true);
        if (outConnection == nullptr) {
            return {};
        }
        if (outConnection == inConnection) {
            return outConnection->outThenIn(first, second, kTransferTimeout);
        }
        // Pipes of two connections cannot be queued on one; they still go one after the other.
        QueuedResult result{outConnection->bulkOut(first, kTransferTimeout), {}};
        if (completedInFull(result.first, first.size()) && inConnection != nullptr) {
            result.second = inConnection->bulkIn(second, kTransferTimeout);
        }
        return result;
    }

    void clear() {
        pipes_.clear();
        connections_.clear();
    }

  private:
    // The first device the selector allows that opens; when none does, refusal is the first known
    // reason why a device that was there could not be opened.
    std::optional<FoundDevice> findDevice(OpenRefusal& refusal) {
        refusal = OpenRefusal::None;
        for (Backend* backend : activeBackends()) {
            if (backend == nullptr) {
                continue;
            }
            for (const std::string& path : pathsToTry(*backend)) {
                if (path.empty() || path.size() >= kDevicePathSize) {
                    continue;  // cannot stand in the path buffer
                }
                OpenRefusal why = OpenRefusal::None;
                std::shared_ptr<Connection> connection = connect(*backend, path, why);
                if (!connection) {
                    if (refusal == OpenRefusal::None) {
                        refusal = why;
                    }
                    continue;
                }
                refusal = OpenRefusal::None;
                storePath(path);
                return FoundDevice{path, std::move(connection)};
            }
        }
        return std::nullopt;
    }

    // An already open device is reused rather than opened a second time.
    std::shared_ptr<Connection> connect(Backend& backend, const std::string& path,
                                        OpenRefusal& refusal) {
        auto known = connections_.find(path);
        if (known != connections_.end()) {
            if (std::shared_ptr<Connection> alive = known->second.lock()) {
                return alive;
            }
        }
        OpenResult opened = backend.open(path);
        if (!opened.connection) {
            refusal = opened.refusal;
            return nullptr;
        }
        std::shared_ptr<Connection> shared = std::move(opened.connection);
        connections_[path] = shared;
        return shared;
    }

    Connection* connectionFor(PipeHandle pipe, bool deviceToHost) {
        auto it = pipes_.find(pipe);
        if (it == pipes_.end() || it->second.deviceToHost != deviceToHost) {
            return nullptr;
        }
        return it->second.connection.get();
    }

    static void storePath(const std::string& path) {
        auto& buffer = libraryState().devicePath;
        const std::size_t length = std::min(path.size(), buffer.size() - 1);
        std::memcpy(buffer.data(), path.data(), length);
        buffer[length] = '\0';
    }

    std::map<PipeHandle, OpenedPipe> pipes_;
    std::map<std::string, std::weak_ptr<Connection>> connections_;
    // Never reused, so a stale handle cannot reach a device opened later.
    PipeHandle nextHandle_ = 1;
};

PipeRegistry& registry() {
    static PipeRegistry instance;
    return instance;
}

}  // namespace

PipeHandle openPipe(const char* pipeName, OpenRefusal* refusal) {
    OpenRefusal why = OpenRefusal::None;
    const PipeHandle pipe = registry().open(pipeName, why);
    if (refusal != nullptr) {
        *refusal = why;
    }
    return pipe;
}

void closePipe(PipeHandle pipe) {
    registry().close(pipe);
}

TransferResult pipeOut(PipeHandle pipe, std::span<const std::uint8_t> data) {
    return registry().out(pipe, data);
}

TransferResult pipeIn(PipeHandle pipe, std::span<std::uint8_t> buffer) {
    return registry().in(pipe, buffer);
}

QueuedResult pipeOutThenOut(PipeHandle out, std::span<const std::uint8_t> first,
                            std::span<const std::uint8_t> second) {
    return registry().outThenOut(out, first, second);
}

QueuedResult pipeOutThenIn(PipeHandle out, PipeHandle in, std::span<const std::uint8_t> first,
                           std::span<std::uint8_t> second) {
    return registry().outThenIn(out, in, first, second);
}

void closeAllPipes() {
    registry().clear();
}

}  // namespace velk
