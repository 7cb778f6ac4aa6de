// The faults a form's table can have that the compiler cannot see: a name used twice, a
// container that is not a frame of the form, a tab index used twice, a value off its slider's
// track, a picture the program lacks. The tests run it over every form of the program.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/description.h"

namespace forms {

// One line for each fault found, naming the form and the control; empty when there is none.
// `pictureExists` answers whether the program has a picture of that name.
std::vector<std::string> tableFaults(const FormDesc& form,
                                     const std::function<bool(std::string_view)>& pictureExists);

}  // namespace forms
