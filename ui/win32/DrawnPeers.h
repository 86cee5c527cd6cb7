#pragma once
// Peers that draw themselves: the memo's text view, the gauge and the speed button.
#include <memory>

#include "ui/Gauge.h"
#include "ui/Memo.h"
#include "ui/SpeedButton.h"
#include "ui/win32/ControlPeers.h"

namespace tarnwick::ui::win32 {

// The memo's window class; a test driver finds the view by it.
inline constexpr const char* kMemoClass = "TarnwickMemo";
inline constexpr const char* kGaugeClass = "TarnwickGauge";

std::unique_ptr<WindowPeer> MakeMemoPeer(std::shared_ptr<FormPeer> form, Memo& memo);
std::unique_ptr<WindowPeer> MakeGaugePeer(std::shared_ptr<FormPeer> form, Gauge& gauge);
std::unique_ptr<WindowPeer> MakeSpeedButtonPeer(std::shared_ptr<FormPeer> form,
                                                SpeedButton& button);

}  // namespace tarnwick::ui::win32
