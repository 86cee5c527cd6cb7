#pragma once
// Peers that draw themselves: the memo's text view, the gauge and the speed button.
#include <memory>
#include <optional>

#include "ui/Gauge.h"
#include "ui/Memo.h"
#include "ui/SpeedButton.h"
#include "ui/win32/ControlPeers.h"

namespace tarnwick::ui::win32 {

// The memo's window class; a test driver finds the view by it.
inline constexpr const char* kMemoClass = "TarnwickMemo";
inline constexpr const char* kGaugeClass = "TarnwickGauge";

// A peer whose window is of a class of ours: its messages go to Handle, and what Handle leaves
// goes to DefWindowProc. It shows its model, never a caption.
class DrawnPeer : public WindowPeer {
 protected:
  DrawnPeer(std::shared_ptr<FormPeer> form, Control& control);
  // Makes the window; called once the peer is ready for its messages.
  void CreateSelf(const char* className, DWORD style, const char* cursor);
  HWND Self() const { return ToNative<HWND>(binding_.Handle()); }
  virtual std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  void ApplyCaption() override {}

 private:
  BoundWindow binding_;
};

std::unique_ptr<WindowPeer> MakeMemoPeer(std::shared_ptr<FormPeer> form, Memo& memo);
std::unique_ptr<WindowPeer> MakeGaugePeer(std::shared_ptr<FormPeer> form, Gauge& gauge);
std::unique_ptr<WindowPeer> MakeSpeedButtonPeer(std::shared_ptr<FormPeer> form,
                                                SpeedButton& button);

}  // namespace tarnwick::ui::win32
