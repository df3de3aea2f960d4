#include "media/button_bar.h"

#include <algorithm>

namespace pelma {

std::wstring GlyphResourceName(GlyphKind kind, TMPBtnType button) {
    static const wchar_t* const kinds[] = {L"EN", L"DI", L"CL"};
    static const wchar_t* const words[kButtonCount] = {L"MPPLAY", L"MPPAUSE",  L"MPSTOP",
                                                       L"MPNEXT", L"MPPREV",   L"MPSTEP",
                                                       L"MPBACK", L"MPRECORD", L"MPEJECT"};
    return std::wstring(kinds[static_cast<int>(kind)]) + L"_" + words[Ordinal(button)];
}

BarPoint GlyphOrigin(const ButtonFace& face, int glyphWidth, int glyphHeight) {
    const int buttonWidth = face.rect.right - face.rect.left;
    const int shift = face.pressed ? 1 : 0;
    return {face.rect.left + (buttonWidth / 2 - glyphWidth / 2) + shift,
            face.rect.bottom / 2 - glyphHeight / 2 + shift};
}

ButtonBar::ButtonBar(ButtonBarHost& host) : host_(host) { buttonWidth_ = (width_ - 1) / kButtonCount + 1; }

// --- Settings ---------------------------------------------------------------

void ButtonBar::SetVisibleButtons(TButtonSet buttons) {
    visible_ = buttons;
    // A hidden button cannot keep the focus: hand it to the first one left.
    if (!visible_.Contains(focused_)) {
        for (int i = 0; i < kButtonCount; ++i)
            if (visible_.Contains(ButtonAt(i))) {
                focused_ = ButtonAt(i);
                break;
            }
    }
    const int n = std::max(1, visible_.Count());
    Relayout(n * (buttonWidth_ - 1) + 1, height_);
    host_.RepaintBar();
}

void ButtonBar::SetEnabledButtons(TButtonSet buttons) {
    enabled_ = buttons;
    host_.RepaintBar();
}

void ButtonBar::SetColoredButtons(TButtonSet buttons) {
    colored_ = buttons;
    host_.RepaintBar();
}

void ButtonBar::SetAutoEnable(bool on, TButtonSet autoButtons) {
    if (on == autoEnable_) return;
    autoEnable_ = on;
    // Off, the bar goes back to EnabledButtons, which the enabled flags always hold.
    if (on) autoEnabled_ = autoButtons;
    host_.RepaintBar();
}

void ButtonBar::CopyAutoButtons(TButtonSet autoButtons) {
    autoEnabled_ = autoButtons;
    host_.RepaintBar();
}

bool ButtonBar::IsActive(TMPBtnType button) const {
    if (!controlEnabled_) return false;
    return autoEnable_ ? autoEnabled_.Contains(button) : enabled_.Contains(button);
}

GlyphKind ButtonBar::Glyph(TMPBtnType button) const {
    if (!IsActive(button)) return gkDisabled;
    return colored_.Contains(button) ? gkColored : gkEnabled;
}

void ButtonBar::SetControlEnabled(bool enabled) {
    if (enabled == controlEnabled_) return;
    controlEnabled_ = enabled;
    host_.RepaintBar();
}

void ButtonBar::FocusChanged(bool hasFocus) {
    hasFocus_ = hasFocus;
    host_.RepaintBar();
}

// --- Layout -----------------------------------------------------------------

void ButtonBar::Adopt(int width, int height) {
    const int n = std::max(1, visible_.Count());
    buttonWidth_ = (width - 1) / n + 1;
    if (buttonWidth_ < minButtonWidth_) buttonWidth_ = minButtonWidth_;
    width_ = n * (buttonWidth_ - 1) + 1;
    height_ = std::max(height, minHeight_);
}

// Takes the size the control is about to have and asks the window for the size
// the layout wants when the two differ.
void ButtonBar::Relayout(int width, int height) {
    const int oldWidth = width_, oldHeight = height_;
    Adopt(width, height);
    if (width_ != oldWidth || height_ != oldHeight) host_.SetControlSize(width_, height_);
}

void ButtonBar::Resize(int width, int height) {
    Adopt(width, height);
    if (width_ != width || height_ != height) host_.SetControlSize(width_, height_);
}

void ButtonBar::SetGlyphExtent(int maxGlyphWidth, int maxGlyphHeight) {
    minButtonWidth_ = maxGlyphWidth + 8;
    minHeight_ = maxGlyphHeight + 4;
    Relayout(width_, height_);
}

std::optional<int> ButtonBar::ButtonLeft(TMPBtnType button) const {
    if (!visible_.Contains(button)) return std::nullopt;
    int x = 0;
    for (int i = 0; i < Ordinal(button); ++i)
        if (visible_.Contains(ButtonAt(i))) x += buttonWidth_ - 1;
    return x;
}

BarRect ButtonBar::ButtonRect(TMPBtnType button) const {
    const auto x = ButtonLeft(button);
    if (!x) return {};
    return {*x, 0, *x + buttonWidth_, height_};
}

std::optional<TMPBtnType> ButtonBar::HitTest(int x) const {
    for (int i = 0; i < kButtonCount; ++i) {
        const auto left = ButtonLeft(ButtonAt(i));
        if (left && *left <= x && x <= *left + buttonWidth_) return ButtonAt(i);
    }
    return std::nullopt;
}

bool ButtonBar::Inside(TMPBtnType button, int x, int y) const {
    const BarRect r = ButtonRect(button);
    return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom;
}

std::vector<ButtonFace> ButtonBar::Faces() const {
    std::vector<ButtonFace> faces;
    for (int i = 0; i < kButtonCount; ++i) {
        const TMPBtnType b = ButtonAt(i);
        if (!visible_.Contains(b)) continue;
        ButtonFace f;
        f.button = b;
        f.rect = ButtonRect(b);
        f.pressed = ShownPressed(b);
        f.glyph = Glyph(b);
        const int x = f.rect.left, w = buttonWidth_, h = height_;
        f.light[0] = {x + 1, h - 2};
        f.light[1] = {x + 1, 1};
        f.light[2] = {x + w - 1, 1};
        f.dark[0] = {x + 2, h - 2};
        f.dark[1] = {x + w - 2, h - 2};
        f.dark[2] = {x + w - 2, 1};
        f.focused = hasFocus_ && b == focused_;
        const int shift = f.pressed ? 1 : 0;
        f.focusRect = {x + 3 + shift, 3 + shift, x + w - 3 + shift, h - 3 + shift};
        faces.push_back(f);
    }
    return faces;
}

// --- Mouse and keyboard -----------------------------------------------------

void ButtonBar::MouseDown(int x, int /*y*/) {
    const auto hit = HitTest(x);
    if (!hit || !IsActive(*hit)) return;
    current_ = *hit;
    pressing_ = true;
    shownPressed_ = true;
    if (focused_ != *hit) {
        focused_ = *hit;
        host_.RepaintBar();
    } else {
        host_.RepaintButton(*hit);
    }
    host_.SetMouseCapture(true);
}

void ButtonBar::MouseMove(int x, int y) {
    if (!pressing_) return;
    const bool inside = Inside(current_, x, y);
    if (inside == shownPressed_) return;
    shownPressed_ = inside;
    host_.RepaintButton(current_);
}

// The press ends here, before the owner runs the click, so that a click that
// raises leaves no press behind.
std::optional<TMPBtnType> ButtonBar::MouseUp(int /*x*/, int /*y*/) {
    host_.SetMouseCapture(false);
    if (!pressing_) return std::nullopt;
    const bool click = shownPressed_;
    pressing_ = false;
    shownPressed_ = false;
    if (!click) return std::nullopt;
    host_.RepaintButton(current_);
    return current_;
}

void ButtonBar::MoveFocus(int step) {
    for (int i = Ordinal(focused_) + step; i >= 0 && i < kButtonCount; i += step) {
        if (visible_.Contains(ButtonAt(i))) {
            focused_ = ButtonAt(i);
            host_.RepaintBar();
            return;
        }
    }
}

std::optional<TMPBtnType> ButtonBar::KeyDown(std::uint32_t key) {
    switch (key) {
        case kKeySpace:
            // The enabled flag decides here, whatever AutoEnable says.
            if (!visible_.Contains(focused_) || !enabled_.Contains(focused_)) return std::nullopt;
            current_ = focused_;
            return focused_;
        case kKeyLeft:
            MoveFocus(-1);
            break;
        case kKeyRight:
            MoveFocus(+1);
            break;
        default:
            break;
    }
    return std::nullopt;
}

}  // namespace pelma
