// Record-file text in JSON. The files hold single-byte text that need not be valid UTF-8 (code
// page 437 or 1252, NUL padding, control bytes): each byte is written as the character with the
// same number (U+0000 to U+00FF), so every byte survives the trip through JSON and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qreport {

// The bytes as UTF-8, byte n as U+00nn.
std::string BytesToJsonText(std::string_view bytes);

// The bytes of a JSON text written so: nothing when it holds a character above U+00FF.
std::optional<std::string> JsonTextToBytes(std::string_view utf8);

}  // namespace qreport
