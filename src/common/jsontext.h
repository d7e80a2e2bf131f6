// Pieces of JSON text: strings (from UTF-8) and numbers.
#pragma once

#include <optional>
#include <string>

namespace vantora {

// A JSON string literal of UTF-8 text (control characters escaped; bytes
// that are not UTF-8 become U+FFFD).
std::string JsonQuote(const std::string& utf8);
// The shortest text that reads back as the same double; "null" when it is
// not finite.
std::string JsonNumber(double value);
std::string JsonNumber(const std::optional<double>& value);
inline const char* JsonBool(bool b) { return b ? "true" : "false"; }

}  // namespace vantora
