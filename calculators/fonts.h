// The fonts and colours that the calculator layouts share.
#pragma once

#include "forms/description.h"

namespace calculators {

inline constexpr forms::Font kFormFont{"MS Sans Serif", 8.25, true};
inline constexpr forms::Font kButtonFont{"MS Sans Serif", 8.25, false};
inline constexpr forms::Font kLabelFont{"MS Sans Serif", 8.25, false};
inline constexpr forms::Font kBoldLabelFont{"MS Sans Serif", 8.25, true};
inline constexpr forms::Font kReadoutFont{"MS Sans Serif", 9.75, true};
inline constexpr forms::Font kLetterFont{"Times New Roman", 8.25, false};

inline constexpr forms::Colour kNavy = 0x000080;

}  // namespace calculators
