#include "demo/UrlCache.h"

#include <algorithm>

namespace tarnwick::demo {
namespace {

constexpr const char* kFunctionNames[] = {"FindFirstUrlCacheGroup", "FindNextUrlCacheGroup",
                                          "FindFirstUrlCacheEntryExA", "FindNextUrlCacheEntryExA",
                                          "FindCloseUrlCache"};

}  // namespace

TUrlCache::TUrlCache(ui::Component* owner) : ui::Component(owner) {
  loading_ = platform::StartOwnedWork([this] {
    library_ = platform::LoadOwnedLibrary("wininet.dll");
    if (!library_) return;
    for (std::size_t i = 0; i < std::size(kFunctionNames); ++i) {
      functions_[i] = platform::Sys().GetProcAddress(library_.Get(), kFunctionNames[i]);
    }
  });
}

TUrlCache::~TUrlCache() { loading_.Reset(); }

bool TUrlCache::Loaded() const {
  loading_.Reset();
  return static_cast<bool>(library_);
}

int TUrlCache::FunctionsFound() const {
  loading_.Reset();
  return static_cast<int>(std::count_if(std::begin(functions_), std::end(functions_),
                                        [](void* f) { return f != nullptr; }));
}

}  // namespace tarnwick::demo
