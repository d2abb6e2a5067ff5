#pragma once
// SHA-256 (FIPS 180-4): how the window names the bytes it read when it asks
// the helper that saves as administrator to change the file, which then
// writes only over those very bytes.

#include <string>
#include <string_view>

namespace conf {

// The digest of the bytes, as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace conf
