#pragma once
// A top-level window with its own window class, named after the form's class ("TQuillmoor").
// The window is created when its handle is first needed and bound to the form through
// GWLP_USERDATA. Other components can watch its messages through hooks.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "ui/Component.h"

namespace tarnwick::ui {

using platform::HWND;
using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::WPARAM;

enum class WindowState { Normal, Minimized };

class Form : public Component {
 public:
  // Sees every message before the form; a result takes the message, nullopt passes it on.
  using Hook = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

  explicit Form(std::string className, Component* owner = nullptr);
  ~Form() override;

  const std::string& ClassName() const { return className_; }
  // The window, created now if it does not exist yet.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Visible() const;
  void SetVisible(bool visible);
  WindowState State() const;
  void SetWindowState(WindowState state);
  bool IsMdiFrame() const { return false; }

  int AddHook(Hook hook);
  void RemoveHook(int id);

 protected:
  // The form's own handling of a message that no hook took.
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  std::string className_;
  std::string caption_;
  HWND handle_ = nullptr;
  bool visible_ = false;
  std::vector<std::pair<int, Hook>> hooks_;
  int nextHook_ = 1;
};

}  // namespace tarnwick::ui
