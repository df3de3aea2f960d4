// The media player's row of buttons, without a window: which buttons show and
// how they look, where each one stands, what a mouse press or a key does to
// them. The windowed control feeds it its size, mouse, key and focus messages,
// draws what `Faces()` describes, and implements `ButtonBarHost` for the
// repaints, resizes and mouse capture the bar asks for. A finished click comes
// back as the button to click; running it is the owner's business.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "media/media_types.h"

namespace pelma {

struct BarPoint {
    int x = 0, y = 0;
    friend bool operator==(const BarPoint&, const BarPoint&) = default;
};

struct BarRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const BarRect&, const BarRect&) = default;
};

// The three glyph bitmaps of each button: "EN", "DI" and "CL" in their resource names.
enum class GlyphKind : std::uint8_t { gkEnabled, gkDisabled, gkColored };
using enum GlyphKind;

// The resource name of a glyph bitmap, e.g. "CL_MPPLAY".
std::wstring GlyphResourceName(GlyphKind kind, TMPBtnType button);

// What the bar asks of its window. Every call may come from inside a bar call.
class ButtonBarHost {
public:
    virtual ~ButtonBarHost() = default;
    virtual void RepaintBar() {}
    virtual void RepaintButton(TMPBtnType) {}
    // The control resizes itself, keeping its left and top; the new size comes
    // back through ButtonBar::Resize, which then has nothing more to change.
    virtual void SetControlSize(int /*width*/, int /*height*/) {}
    virtual void SetMouseCapture(bool /*capture*/) {}
};

// One visible button as the painter draws it: fill `rect` with the button-face
// colour and frame it in the window-frame colour; draw `light` in the highlight
// colour when raised and in the shadow colour when pressed, and `dark` in the
// shadow colour when raised only; draw `glyph` at GlyphOrigin(); draw a dotted
// `focusRect` when `focused`.
struct ButtonFace {
    TMPBtnType button = btPlay;
    BarRect rect;
    bool pressed = false;
    GlyphKind glyph = gkEnabled;
    BarPoint light[3];
    BarPoint dark[3];
    bool focused = false;
    BarRect focusRect;
};

// Where a glyph of the given size stands on its button.
BarPoint GlyphOrigin(const ButtonFace& face, int glyphWidth, int glyphHeight);

// Virtual-key codes the bar answers.
inline constexpr std::uint32_t kKeySpace = 0x20;
inline constexpr std::uint32_t kKeyLeft = 0x25;
inline constexpr std::uint32_t kKeyRight = 0x27;

class ButtonBar {
public:
    // A new bar: 240 x 30, all nine buttons visible, enabled and coloured.
    explicit ButtonBar(ButtonBarHost& host);
    ButtonBar(const ButtonBar&) = delete;
    ButtonBar& operator=(const ButtonBar&) = delete;

    // Settings. Each setter repaints the bar; VisibleButtons also resizes it.
    TButtonSet VisibleButtons() const { return visible_; }
    TButtonSet EnabledButtons() const { return enabled_; }
    bool AutoEnable() const { return autoEnable_; }
    void SetVisibleButtons(TButtonSet buttons);
    void SetEnabledButtons(TButtonSet buttons);
    void SetColoredButtons(TButtonSet buttons);
    // Switching AutoEnable on takes `autoButtons` as the auto-enabled flags;
    // setting it to its own value changes and repaints nothing.
    void SetAutoEnable(bool on, TButtonSet autoButtons);

    // The auto-enabled flags: a copy of the device's AutoButtons taken at Open,
    // Close, after a click and after a notification.
    TButtonSet AutoEnabledButtons() const { return autoEnabled_; }
    void CopyAutoButtons(TButtonSet autoButtons);

    // A button is active when the control is enabled and its auto-enabled flag
    // (AutoEnable on) or its enabled flag (AutoEnable off) is set.
    bool IsActive(TMPBtnType button) const;
    GlyphKind Glyph(TMPBtnType button) const;

    // The control's own state.
    void SetControlEnabled(bool enabled);
    void FocusChanged(bool hasFocus);

    // Layout. Resize is called with the control's size at every change of it.
    void Resize(int width, int height);
    // The largest glyph's size sets the smallest button: width + 8, height + 4.
    void SetGlyphExtent(int maxGlyphWidth, int maxGlyphHeight);
    int Width() const { return width_; }
    int Height() const { return height_; }
    int ButtonWidth() const { return buttonWidth_; }
    std::optional<int> ButtonLeft(TMPBtnType button) const;  // none when hidden
    BarRect ButtonRect(TMPBtnType button) const;             // empty when hidden
    // The first visible button whose span left..left + button width holds x (both ends).
    std::optional<TMPBtnType> HitTest(int x) const;

    // Painting: the frame around the whole control, then each face in order.
    BarRect Frame() const { return {0, 0, width_, height_}; }
    std::vector<ButtonFace> Faces() const;

    // Mouse and keyboard. MouseUp and KeyDown return the button to click.
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    std::optional<TMPBtnType> MouseUp(int x, int y);
    std::optional<TMPBtnType> KeyDown(std::uint32_t key);

    TMPBtnType FocusedButton() const { return focused_; }
    TMPBtnType CurrentButton() const { return current_; }
    bool Pressing() const { return pressing_; }
    bool ShownPressed(TMPBtnType button) const { return pressing_ && shownPressed_ && button == current_; }

private:
    void Adopt(int width, int height);
    void Relayout(int width, int height);
    bool Inside(TMPBtnType button, int x, int y) const;
    void MoveFocus(int step);

    ButtonBarHost& host_;
    TButtonSet visible_ = TButtonSet::All();
    TButtonSet enabled_ = TButtonSet::All();
    TButtonSet colored_ = TButtonSet::All();
    TButtonSet autoEnabled_;
    bool autoEnable_ = true;
    bool controlEnabled_ = true;
    bool hasFocus_ = false;

    int width_ = 240, height_ = 30;
    int buttonWidth_ = 0;
    int minButtonWidth_ = 29, minHeight_ = 20;  // those of the shipped glyphs (21 x 16 at most)

    TMPBtnType focused_ = btPlay;
    TMPBtnType current_ = btPlay;
    bool pressing_ = false;
    bool shownPressed_ = false;
};

}  // namespace pelma
