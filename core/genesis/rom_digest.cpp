#include "genesis/rom_digest.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "engine/input_file.h"

namespace nuvrel {
namespace {

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// Feeds both sums as the bytes come, so a file is read once and never held whole.
class Digester {
  public:
    Digester() : context_(EVP_MD_CTX_new()) {
        ok_ = context_ && EVP_DigestInit_ex(context_.get(), EVP_sha1(), nullptr) == 1;
    }
    void add(const std::uint8_t* bytes, std::size_t length) {
        digest_.size += length;
        while (length > 0) {
            // zlib takes at most an unsigned int at a time.
            const auto piece = static_cast<uInt>(std::min<std::size_t>(length, 1u << 30));
            crc_ = crc32(crc_, bytes, piece);
            ok_ = ok_ && EVP_DigestUpdate(context_.get(), bytes, piece) == 1;
            bytes += piece;
            length -= piece;
        }
    }
    std::optional<RomDigest> finish() {
        unsigned int length = 0;
        ok_ = ok_ && EVP_DigestFinal_ex(context_.get(), digest_.sha1.data(), &length) == 1 &&
              length == digest_.sha1.size();
        if (!ok_) {
            return std::nullopt;
        }
        digest_.crc32 = static_cast<std::uint32_t>(crc_);
        return digest_;
    }

  private:
    std::unique_ptr<EVP_MD_CTX, DigestContextFree> context_;
    bool ok_ = false;
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
