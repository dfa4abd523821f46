#pragma once

#include <cstdint>

// Where the simulated Outlook puts its windows and bars: the model answers Left, Top and Width
// from these, and outlook-sim.exe draws its windows by them.
namespace voxtrel::olsim::layout {

inline constexpr std::int32_t kCascadeStep = 24;     // each window lies this far right and down
inline constexpr std::int32_t kCaptionAndMenu = 48;  // above the first row of bars
inline constexpr std::int32_t kBarRow = 26;          // a docked bar's row
inline constexpr std::int32_t kControlInset = 2;     // a control's top within its row
inline constexpr std::int32_t kIconWidth = 23;       // a button's face, or a button without one
inline constexpr std::int32_t kComboBoxWidth = 90;   // a combo box's box, after its label
inline constexpr std::int32_t kCharWidth = 6;        // of a caption, plus its margins
inline constexpr std::int32_t kCaptionMargins = 8;

}  // namespace voxtrel::olsim::layout
