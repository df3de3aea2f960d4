#include "core/messages.h"

namespace pelma {

std::wstring IoErrorMessage(int code) {
    switch (code) {
        case 2:
            return L"ファイルが見つかりません";
        case 3:
            return L"ファイル名の指定が間違っています";
        case 4:
            return L"オープンしたファイルが多すぎます";
        case 5:
            return L"ファイルへのアクセスが拒否されました";
        case 100:
            return L"ファイルの末尾以降を読み込みました";
        case 101:
            return L"ディスクがいっぱいです";
        case 106:
            return L"入力値が数値ではありません";
        default:
            return L"I/O エラー (" + std::to_wstring(code) + L")";
    }
}

std::wstring WithFullStop(const std::wstring& message) {
    if (message.empty() || message.back() <= L'.') return message;
    return message + L".";
}

std::wstring TrimSystemText(std::wstring text) {
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
    return text;
}

std::wstring StreamReadErrorMessage() { return L"ストリームからの読み込みエラー"; }

std::wstring FormatOne(const std::wstring& pattern, const std::wstring& value) {
    std::wstring out = pattern;
    auto at = out.find(L"%s");
    if (at != std::wstring::npos) out.replace(at, 2, value);
    return out;
}

std::wstring StreamOpenFailureMessage(const std::wstring& absolutePath, const std::wstring& systemText) {
    return L"ファイル \"" + absolutePath + L"\". " + TrimSystemText(systemText) + L" は開けません";
}

}  // namespace pelma
