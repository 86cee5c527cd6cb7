#pragma once
// The browser's URL cache, reached through wininet.dll: the library is loaded and its cache
// group and entry functions are looked up when the component is made. Nothing asks it for
// anything yet; a library or function that is missing leaves it empty. The loading, with the
// libraries wininet.dll itself loads, runs on a thread of its own, so that the windows of the
// start need not wait for it; whatever asks for the library waits for it instead.
#include <cstdint>

#include "platform/Owners.h"
#include "platform/Platform.h"
#include "ui/Component.h"

namespace tarnwick::demo {

class TUrlCache : public ui::Component {
 public:
  // Which entries an enumeration would list (the stored filter options).
  static constexpr std::uint32_t kNormalEntries = 0x00000001;
  static constexpr std::uint32_t kCookieEntries = 0x00100000;
  static constexpr std::uint32_t kUrlHistoryEntries = 0x00200000;

  explicit TUrlCache(ui::Component* owner = nullptr);
  ~TUrlCache() override;

  std::uint32_t Filter() const { return filter_; }
  void SetFilter(std::uint32_t filter) { filter_ = filter; }
  bool Loaded() const;
  // How many of its five functions the library offers.
  int FunctionsFound() const;

 private:
  platform::LibraryHandle library_;
  void* functions_[5] = {};
  std::uint32_t filter_ = kNormalEntries | kCookieEntries | kUrlHistoryEntries;
  // Declared last, so that it is waited for before the library is freed.
  mutable platform::WorkHandle loading_;
};

}  // namespace tarnwick::demo
