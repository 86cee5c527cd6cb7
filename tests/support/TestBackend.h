#pragma once
// A backend for tests: forwards to a real one (or to none, headless) and lets the test answer
// popup menus itself instead of a user.
#include <functional>
#include <memory>
#include <utility>

#include "ui/Backend.h"
#include "ui/Menu.h"

namespace tarnwick::test {

class TestBackend final : public ui::Backend {
 public:
  explicit TestBackend(std::unique_ptr<ui::Backend> inner = nullptr) : inner_(std::move(inner)) {}

  // Answers in place of the user: the chosen item's index, or -1.
  std::function<int(ui::PopupMenu& menu, int x, int y)> OnTrackPopup;

  void ShapeForm(ui::Form& form, ui::WindowShape& shape) override {
    if (inner_) inner_->ShapeForm(form, shape);
  }
  void CreatePeers(ui::Form& form) override {
    if (inner_) inner_->CreatePeers(form);
  }
  int TrackPopup(ui::PopupMenu& menu, int x, int y, ui::MenuCorner corner) override {
    if (OnTrackPopup) return OnTrackPopup(menu, x, y);
    return inner_ ? inner_->TrackPopup(menu, x, y, corner) : -1;
  }
  bool PreTranslate(platform::MSG& message) override {
    return inner_ && inner_->PreTranslate(message);
  }

 private:
  std::unique_ptr<ui::Backend> inner_;
};

// Installs a TestBackend around `inner` in `app` and returns it.
template <typename App>
TestBackend& InstallTestBackend(App& app, std::unique_ptr<ui::Backend> inner = nullptr) {
  auto backend = std::make_unique<TestBackend>(std::move(inner));
  TestBackend& installed = *backend;
  app.SetBackend(std::move(backend));
  return installed;
}

}  // namespace tarnwick::test
