// The read-only rich-text box: a window of the platform's Rich Edit 1.0 control.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <functional>
#include <string>

#include "ui/control.h"
#include "ui/handles.h"

namespace pelma {

class TRichEdit : public ui::TWinControl {
public:
    explicit TRichEdit(ui::TWinControl* parent);

    void Clear();
    // Streams the file in as RTF, or as plain text when the control rejects it.
    void LoadFromFile(const std::wstring& fileName);
    // The control's text, as it reads it back.
    std::wstring Text() const;
    void CreateHandle() override;

    // How a stream is handed to the control (EM_STREAMIN); tests put a
    // control here that rejects a format.
    using StreamInSender = std::function<void(HWND, WPARAM format, EDITSTREAM&)>;
    static void SendToControl(HWND hwnd, WPARAM format, EDITSTREAM& stream);
    StreamInSender SendStreamIn = &SendToControl;

protected:
    bool Notified(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    Handled OnContextMenu(WPARAM wp, LPARAM lp) override;
    void HandleCreated() override;
};

}  // namespace pelma
