#pragma once
// The browser's URL cache, reached through wininet.dll: the library is loaded and its cache
// group and entry functions are looked up when the component is made. Nothing asks it for
// anything yet; a library or function that is missing leaves it empty.
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

  std::uint32_t Filter() const { return filter_; }
  void SetFilter(std::uint32_t filter) { filter_ = filter; }
  bool Loaded() const { return static_cast<bool>(library_); }
  // How many of its five functions the library offers.
  int FunctionsFound() const;

 private:
  platform::LibraryHandle library_;
  void* functions_[5] = {};
  std::uint32_t filter_ = kNormalEntries | kCookieEntries | kUrlHistoryEntries;
};

}  // namespace tarnwick::demo
