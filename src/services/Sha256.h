#pragma once
// SHA-256 (FIPS 180-4), for the fingerprint of a packet file in the deployment journal.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orva::components {

class Sha256 {
public:
    Sha256();
    // Adds bytes to the message.
    void Update(std::string_view bytes);
    // The digest as 64 lower-case hex digits; the object is spent afterwards (Update is no longer valid).
    std::string HexDigest();

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> m_state;
    std::array<uint8_t, 64> m_buffer{};
    size_t m_buffered = 0;
    uint64_t m_length = 0;  // bytes so far
};

// The SHA-256 of bytes, as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

// The SHA-256 of a file's content (UTF-8 path), read in blocks. Raises 53 naming the file when it
// cannot be opened and 57 when reading fails.
std::string FileSha256(const std::string& path);

}  // namespace orva::components
