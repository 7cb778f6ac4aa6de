// JSON text of the model's values, for the scenario runner's answers and the browser's page.
#pragma once

#include <string>
#include <string_view>

namespace forms {

// A JSON string literal, quotes included. The output is UTF-8: a byte that does not belong to a
// well-formed sequence is written as U+FFFD, and control characters are escaped.
std::string jsonString(std::string_view text);

}  // namespace forms
