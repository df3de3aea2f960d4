#include "view/rich_edit.h"

#include <richedit.h>

#include "core/errors.h"
#include "core/messages.h"
#include "ui/late_bound.h"
#include "view/file_access.h"
#include "view/rtf_stream.h"

namespace pelma {

namespace {

// The platform's Rich Edit 1.0 control, loaded once with the first box's window.
void LoadRichEditModule() {
    static HMODULE module = ui::LoadSystemModule(L"RICHED32.DLL");
    (void)module;
}

struct StreamCookie {
    HANDLE file;
    LineEndStream stream;
};

DWORD CALLBACK StreamCallback(DWORD_PTR cookie, LPBYTE buffer, LONG offered, LONG* written) {
    auto* c = reinterpret_cast<StreamCookie*>(cookie);
    try {
        std::size_t n = offered > 0 ? c->stream.Fill(buffer, static_cast<std::size_t>(offered)) : 0;
        *written = static_cast<LONG>(n);
        return 0;
    } catch (...) {
        *written = 0;
        return 1;
    }
}

const wchar_t kStreamInFailed[] = L"ストリームからの読み込みに失敗しました";

// Streams the file into the control through `send`; true when the control took it.
bool StreamIn(const TRichEdit::StreamInSender& send, HWND hwnd, HANDLE file, WPARAM format) {
    StreamCookie cookie{file, LineEndStream([file](std::uint8_t* buf, std::size_t want) -> std::size_t {
                            DWORD n = 0;
                            // A failed read counts as the end of the file.
                            if (!ReadFile(file, buf, static_cast<DWORD>(want), &n, nullptr)) return 0;
                            return n;
                        })};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
    es.pfnCallback = &StreamCallback;
    send(hwnd, format, es);
    return es.dwError == 0;
}

}  // namespace

// The window (and with the first one, the control's module) is made when the
// box is first needed: a program that never shows rich text never loads it.
TRichEdit::TRichEdit(ui::TWinControl* parent)
    : ui::TWinControl(parent, L"RICHEDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
                      WS_EX_CLIENTEDGE, true) {
    color_ = GetSysColor(COLOR_WINDOW);
}

void TRichEdit::SendToControl(HWND hwnd, WPARAM format, EDITSTREAM& stream) {
    SendMessageW(hwnd, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
}

void TRichEdit::CreateHandle() {
    LoadRichEditModule();
    ui::TWinControl::CreateHandle();
}

void TRichEdit::HandleCreated() {
    SendMessageW(hwnd_, EM_EXLIMITTEXT, 0, 0);
    SendMessageW(hwnd_, EM_SETBKGNDCOLOR, 1, 0);
}

void TRichEdit::Clear() {
    CreateHandle();
    SetWindowTextW(hwnd_, L"");
}

std::wstring TRichEdit::Text() const {
    if (!hwnd_) return {};
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

void TRichEdit::LoadFromFile(const std::wstring& fileName) {
    CreateHandle();
    ui::UniqueFile file = OpenForReading(fileName, FILE_SHARE_READ, OpenFailure::StreamOpenError);
    LARGE_INTEGER start{};
    SetFilePointerEx(file.get(), LARGE_INTEGER{}, &start, FILE_CURRENT);
    if (!StreamIn(SendStreamIn, hwnd_, file.get(), SF_RTF)) {
        SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN);
        if (!StreamIn(SendStreamIn, hwnd_, file.get(), SF_TEXT)) throw Exception(kStreamInFailed);
    }
    file.reset();
    SendMessageW(hwnd_, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
}

bool TRichEdit::Notified(UINT msg, WPARAM, LPARAM, LRESULT&) {
    (void)msg;
    return false;
}

// No menu of its own: the box that holds it shows its menu.
ui::TWinControl::Handled TRichEdit::OnContextMenu(WPARAM wp, LPARAM lp) {
    SetFocus(hwnd_);
    if (parent_) return SendMessageW(parent_->Handle(), WM_CONTEXTMENU, wp, lp);
    return ui::TWinControl::OnContextMenu(wp, lp);
}

}  // namespace pelma
