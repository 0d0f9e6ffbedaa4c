// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_digest.h"

#include <nettle/sha1.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/input_file.h"

namespace nuvrel {
namespace {

// Feeds both sums as the bytes come, so a file is read once and never held whole. Nettle rather
// than OpenSSL: loading and starting libcrypto cost every run of the program about 2 ms.
class Digester {
  public:
    Digester() { sha1_init(&sha1_); }
    void add(const std::uint8_t* bytes, std::size_t length) {
        digest_.size += length;
        sha1_update(&sha1_, length, bytes);
        while (length > 0) {
            // zlib takes at most an unsigned int at a time.
            const auto piece = static_cast<uInt>(std::min<std::size_t>(length, 1u << 30));
            crc_ = crc32(crc_, bytes, piece);
            bytes += piece;
            length -= piece;
        }
    }
    std::optional<RomDigest> finish() {
        static_assert(SHA1_DIGEST_SIZE == std::tuple_size_v<decltype(RomDigest::sha1)>);
        sha1_digest(&sha1_, SHA1_DIGEST_SIZE, digest_.sha1.data());
        digest_.crc32 = static_cast<std::uint32_t>(crc_);
        return digest_;
    }

  private:
    sha1_ctx sha1_{};
    uLong crc_ = crc32(0L, Z_NULL, 0);
    RomDigest digest_;
};

std::string Hex(const std::uint8_t* bytes, std::size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
    }
    return text;
}

}  // namespace

std::string RomDigest::crc32Text() const {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(crc32 >> 24), static_cast<std::uint8_t>(crc32 >> 16),
        static_cast<std::uint8_t>(crc32 >> 8), static_cast<std::uint8_t>(crc32)};
    return Hex(bytes, sizeof bytes);
}

std::string RomDigest::sha1Text() const {
    return Hex(sha1.data(), sha1.size());
}

std::optional<RomDigest> DigestBytes(std::span<const std::uint8_t> bytes) {
    Digester digester;
    digester.add(bytes.data(), bytes.size());
    return digester.finish();
}

std::optional<RomDigest> DigestFile(const std::string& path) {
    const InputFile file(path);
    if (!file.opened()) {
        return std::nullopt;
    }
    Digester digester;
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        digester.add(buffer.data(), got);
        if (got < buffer.size()) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0) {
        return std::nullopt;
    }
    return digester.finish();
}

}  // namespace nuvrel
