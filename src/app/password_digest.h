// The login passwords are kept only as PBKDF2-HMAC-SHA256 digests with a salt
// chosen when the program is built: an entered password is derived the same
// way and the digests are compared. Nothing in the program gives a password
// back. Plain C++, shared with the build's generator (tools/password-digest).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tvx::app {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(std::span<const std::uint8_t> data);
Sha256Digest HmacSha256(std::span<const std::uint8_t> key, std::span<const std::uint8_t> message);
// The first 32 bytes of PBKDF2 (RFC 8018) with HMAC-SHA256.
Sha256Digest Pbkdf2Sha256(std::string_view password, std::span<const std::uint8_t> salt, std::uint32_t iterations);

}  // namespace tvx::app
