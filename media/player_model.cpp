#include "media/player_model.h"

namespace pelma {

MediaPlayerModel::MediaPlayerModel(MciPort& port, ButtonBarHost& host) : bar_(host), device_(port) {
    device_.SetAutoButtonsChanged([this](TButtonSet buttons) { bar_.CopyAutoButtons(buttons); });
}

void MediaPlayerModel::RunOperation(TMPBtnType button) {
    switch (button) {
        case btPlay:
            device_.Play();
            break;
        case btPause:
            device_.PauseOrResume();
            break;
        case btStop:
            device_.Stop();
            break;
        case btNext:
            device_.Next();
            break;
        case btPrev:
            device_.Previous();
            break;
        case btStep:
            device_.Step();
            break;
        case btBack:
            device_.Back();
            break;
        case btRecord:
            device_.StartRecording();
            break;
        case btEject:
            device_.Eject();
            break;
    }
}

void MediaPlayerModel::Click(TMPBtnType button) {
    bool doDefault = true;
    if (OnClick) OnClick(button, doDefault);
    if (!doDefault) return;
    RunOperation(button);
    if (OnPostClick) OnPostClick(button);
}

// Mouse and keyboard clicks alike: the rules follow only a command that
// succeeded on an open device, so the bar never shows a play that failed.
void MediaPlayerModel::AfterClick(TMPBtnType button) {
    if (!bar_.AutoEnable() || device_.LastError() != 0 || !device_.IsOpen()) return;
    device_.ApplyAutoRule(button);
    bar_.CopyAutoButtons(device_.AutoButtons());
}

void MediaPlayerModel::MouseUp(int x, int y) {
    if (const auto button = bar_.MouseUp(x, y)) {
        Click(*button);
        AfterClick(*button);
    }
}

void MediaPlayerModel::KeyDown(std::uint32_t key) {
    if (const auto button = bar_.KeyDown(key)) {
        Click(*button);
        AfterClick(*button);
    }
}

void MediaPlayerModel::HandleNotify(std::uint32_t code) {
    if (bar_.AutoEnable() && device_.Mode() == mpStopped) {
        device_.ApplyAutoRule(btStop);  // Play and Record back, Pause and Stop off
        bar_.CopyAutoButtons(device_.AutoButtons());
    }
    device_.TakeNotifyCode(code);
    if (OnNotify) OnNotify();
}

}  // namespace pelma
