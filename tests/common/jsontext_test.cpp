#include "common/jsontext.h"

#include <gtest/gtest.h>

namespace vantora {
namespace {

// Whatever bytes a file brought along, the JSON text is well-formed UTF-8:
// well-formed sequences pass, every other byte becomes U+FFFD.
TEST(JsonQuote, KeepsWellFormedUtf8AndReplacesEverythingElse) {
  EXPECT_EQ(JsonQuote("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
  EXPECT_EQ(JsonQuote("\xC2\xB5g/m3 \xE2\x80\x94 \xF0\x9F\x98\x80"),
            "\"\xC2\xB5g/m3 \xE2\x80\x94 \xF0\x9F\x98\x80\"");
  const std::string bad = "\xEF\xBF\xBD";
  for (const char* s : {"\xC0\x8A",             // overlong line feed
                        "\xE0\x80\xAF",         // overlong slash
                        "\xED\xA0\x80",         // a surrogate
                        "\xF4\x90\x80\x80",     // above U+10FFFF
                        "\xF5\x80\x80\x80"}) {  // no such lead byte
    const std::string quoted = JsonQuote(s);
    EXPECT_EQ(quoted.substr(0, 4), "\"" + bad) << quoted;
    EXPECT_EQ(quoted.find_first_of("\xC0\xE0\xED\xF4\xF5"), std::string::npos) << quoted;
  }
  EXPECT_EQ(JsonQuote("x\xE2\x80"), "\"x" + bad + bad + "\"");  // cut short
}

}  // namespace
}  // namespace vantora
