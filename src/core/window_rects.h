#pragma once
// Where the menu handler opens each window: left, top, width, height in global widget
// coordinates (y grows upward).

struct WindowRect {
    int Left;
    int Top;
    int Width;
    int Height;
};

constexpr WindowRect kGraphWindowTallRect{200, 650, 800, 600};
constexpr WindowRect kGraphWindowShortRect{200, 350, 800, 300};
constexpr WindowRect kSetupWindowRect{100, 550, 690, 360};
constexpr WindowRect kScalingWindowRect{150, 500, 710, 360};
