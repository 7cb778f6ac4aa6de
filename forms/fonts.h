// The fonts of the program's layouts, named once. The layouts were drawn with MS Sans Serif and
// a few display faces; where a system lacks a family, the display binding uses a close one of
// the same kind at the same size.
#pragma once

#include "forms/description.h"

namespace forms {

inline constexpr Font kSans{"MS Sans Serif", 8.25, false};           // labels, buttons
inline constexpr Font kSansBold{"MS Sans Serif", 8.25, true};        // frame captions
inline constexpr Font kSansMedium{"MS Sans Serif", 9.75, false};     // the contact card
inline constexpr Font kSansMediumBold{"MS Sans Serif", 9.75, true};  // read-outs, menu buttons
inline constexpr Font kSansLarge{"MS Sans Serif", 12, false};        // the splash's version
inline constexpr Font kSansLarger{"MS Sans Serif", 13.5, false};     // a version on the card
inline constexpr Font kSansHuge{"MS Sans Serif", 24, false};         // a title on the card
inline constexpr Font kLetter{"Times New Roman", 8.25, false};       // the angle letters
inline constexpr Font kTitling{"Perpetua Titling MT", 21.75, true};  // the maker on the splash
inline constexpr Font kHeading{"Arial", 20.25, false};               // the splash's title

}  // namespace forms
