// Layout numbers that the views and the main window's template share: each
// view puts the window and the tool bar back to these when it takes over, so
// they are written once, here.
#pragma once

namespace pelma::layout {

// The tool bar's command buttons stand in 50-pixel slots after Open (0) and
// Exit (50): the template places the picture's two sizing buttons in these
// two, and a view that shows one command button, or a pair, moves them here.
inline constexpr int kFirstCommandLeft = 100;
inline constexpr int kSecondCommandLeft = 150;

// The client area of the window for a text, a dump or rich text.
inline constexpr int kTextClientWidth = 550;
inline constexpr int kTextClientHeight = 400;

// The client area of the window for a sound or a reduced movie.
inline constexpr int kMediaClientWidth = 353;
inline constexpr int kMediaClientHeight = 310;

}  // namespace pelma::layout
