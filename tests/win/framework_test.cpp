// The window framework on its own, in a small form of the test's making:
// backgrounds that follow their colour, windows that cannot be made, top-level
// sizing, and the mouse and cursor handed to graphic children.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/messages.h"
#include "harness.h"
#include "media_support.h"
#include "ui/buttons.h"
#include "ui/forms.h"
#include "ui/labels.h"
#include "ui/memo.h"
#include "ui/panels.h"
#include "ui/system_error.h"
#include "ui/track_bar.h"

namespace pelma::test {
namespace {

// A borderless form above every other window, counting the changing messages
// that sizing sends it.
class TestForm : public ui::TForm {
public:
    TestForm() : ui::TForm(L"PelmaFrameworkTest", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW) {
        SetBounds(40, 40, 320, 240);
    }
    int changing = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_WINDOWPOSCHANGING) ++changing;
        return ui::TForm::WndProc(msg, wp, lp);
    }
};

// A pixel of a window's client area as it is on screen. (The window's own DC
// will not do: the system's edit box and buttons draw through their parent's.)
COLORREF PixelOf(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return ScreenPixel(nullptr, p.x, p.y);
}

// Repaints everything that waits for it.
void Settle(HWND form) {
    RedrawWindow(form, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(50);
}

TEST(Framework, BackgroundsAreRepaintedInTheirNewColour) {
    TestForm form;
    ui::TPanel panel(&form);
    panel.BevelOuter = ui::TBevel::None;
    panel.SetBounds(0, 0, 320, 120);
    ui::TMemo memo(&panel);
    memo.SetBounds(10, 10, 80, 60);
    ui::TTrackBar slider(&panel);
    slider.SetBounds(100, 10, 150, 30);
    ui::TCheckBox box(&panel);
    box.SetBounds(100, 60, 150, 25);
    ui::TLabel label(&form);
    label.Transparent = false;
    label.SetBounds(10, 150, 60, 20);

    const COLORREF before[] = {RGB(200, 30, 30), RGB(30, 30, 200), RGB(30, 160, 30)};
    const COLORREF after[] = {RGB(240, 200, 40), RGB(40, 200, 200), RGB(120, 40, 160)};
    for (int round = 0; round < 2; ++round) {
        const COLORREF* c = round == 0 ? before : after;
        memo.SetColor(c[0]);
        panel.SetColor(c[1]);
        label.SetColor(c[2]);
        if (round == 0) form.Show();
        Settle(form.Handle());
        SCOPED_TRACE(round == 0 ? "first colours" : "changed colours");
        EXPECT_EQ(PixelOf(memo.Handle(), 20, 40), c[0]);
        EXPECT_EQ(PixelOf(panel.Handle(), 300, 100), c[1]);
        // The slider and the check box stand on their parent's colour.
        EXPECT_EQ(PixelOf(slider.Handle(), 1, 1), c[1]);
        EXPECT_EQ(PixelOf(box.Handle(), 140, 12), c[1]);
        EXPECT_EQ(PixelOf(form.Handle(), 15, 155), c[2]);
    }
}

// A parent whose window handle has gone stale, as one destroyed behind the
// framework's back would leave it.
class StaleParent : public ui::TWinControl {
public:
    explicit StaleParent(HWND stale) : ui::TWinControl(nullptr, ui::ControlClassName(), WS_POPUP, 0, true) {
        hwnd_ = stale;
    }
    ~StaleParent() override { hwnd_ = nullptr; }
};

LRESULT CALLBACK RefuseCreation(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) return FALSE;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

std::wstring FailureOf(const std::function<void()>& make) {
    try {
        make();
    } catch (const Exception& e) {
        return e.Message();
    }
    return L"(nothing raised)";
}

TEST(Framework, WindowsThatCannotBeMadeRaiseTheSystemsReason) {
    TestForm form;
    const std::size_t children = form.Controls().size();

    // A class nobody registered; the control is not left in its parent.
    const std::wstring unknown = FailureOf([&] { ui::TWinControl c(&form, L"PelmaNoSuchClass", 0); });
    EXPECT_EQ(unknown, TrimSystemText(ui::SystemErrorText(environment::kUnregisteredClassError)))
        << Narrow(unknown);
    EXPECT_EQ(form.Controls().size(), children);

    // A parent window that no longer exists.
    HWND gone =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    StaleParent stale(gone);
    ui::TWinControl child(&stale, ui::ControlClassName(), 0, 0, true);
    EXPECT_EQ(FailureOf([&] { child.CreateHandle(); }),
              TrimSystemText(ui::SystemErrorText(ERROR_INVALID_WINDOW_HANDLE)));
    EXPECT_EQ(child.Handle(), nullptr);

    // A window procedure that refuses creation gives no system reason: the
    // message names the window, and never reads as success.
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = &RefuseCreation;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PelmaRefusingClass";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    const std::wstring refused = FailureOf([&] { ui::TWinControl c(&form, L"PelmaRefusingClass", 0); });
    EXPECT_FALSE(refused.empty());
    EXPECT_NE(refused, L"(nothing raised)");
    EXPECT_NE(refused, TrimSystemText(ui::SystemErrorText(ERROR_SUCCESS)));
    UnregisterClassW(L"PelmaRefusingClass", GetModuleHandleW(nullptr));
    // A class registered before is no failure.
    EXPECT_NO_THROW(ui::RegisterControlClass(L"PelmaFrameworkTest"));
}

TEST(Framework, TopLevelSizingAsksTheWindowForItsPosition) {
    TestForm form;
    form.Show();
    form.changing = 0;
    form.SetBounds(60, 60, 300, 200);
    EXPECT_GE(form.changing, 1);
    const int afterMove = form.changing;
    form.SetClientSize(280, 180);
    EXPECT_GT(form.changing, afterMove);
    EXPECT_EQ(ClientSize(form.Handle()).cx, 280);
}

// A graphic control that records what the mouse does to it.
class Spot : public ui::TControl {
public:
    using ui::TControl::TControl;
    bool WantsMouse() const override { return true; }
    void MouseDown(int x, int y) override { events.push_back(L"down " + At(x, y)); }
    void MouseMove(int x, int y) override { events.push_back(L"move " + At(x, y)); }
    void MouseUp(int x, int y) override { events.push_back(L"up " + At(x, y)); }
    void MouseLeave() override { events.push_back(L"leave"); }
    std::vector<std::wstring> events;

private:
    static std::wstring At(int x, int y) { return std::to_wstring(x) + L"," + std::to_wstring(y); }
};

TEST(Framework, MouseAndCursorGoToTheGraphicChildUnderThePointer) {
    TestForm form;
    ui::TPanel panel(&form);
    panel.SetBounds(0, 0, 320, 200);
    Spot below(&panel), above(&panel);
    below.SetBounds(20, 30, 100, 50);
    above.SetBounds(60, 40, 100, 50);  // made later: lies above `below` where they overlap
    above.Cursor = LoadCursorW(nullptr, IDC_HAND);
    form.Show();
    Settle(form.Handle());
    HWND hwnd = panel.Handle();

    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 45));
    EXPECT_EQ(GetCapture(), hwnd);
    SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 35));  // held: still `above`'s
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(30, 35));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(above.events, (std::vector<std::wstring>{L"down 10,5", L"move -30,-5", L"up -30,-5"}));
    EXPECT_TRUE(below.events.empty());
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 35));
    EXPECT_EQ(below.events, (std::vector<std::wstring>{L"move 10,5"}));

    // The cursor of the child under the pointer; elsewhere the class's arrow.
    auto cursorAt = [&](int x, int y) {
        POINT p = {x, y};
        ClientToScreen(hwnd, &p);
        SetCursorPos(p.x, p.y);
        SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    EXPECT_EQ(cursorAt(100, 60), above.Cursor);
    EXPECT_EQ(cursorAt(300, 180), LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace
}  // namespace pelma::test
