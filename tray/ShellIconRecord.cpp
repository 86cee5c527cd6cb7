#include "tray/ShellIconRecord.h"

#include <cstring>
#include <utility>

namespace tarnwick::tray {
namespace {

using namespace platform::os;
using platform::Sh;

template <std::size_t size>
bool SameField(const char (&a)[size], const char (&b)[size]) {
  return std::memcmp(a, b, size) == 0;
}

bool SameRecord(const NOTIFYICONDATAA& a, const NOTIFYICONDATAA& b) {
  return a.hWnd == b.hWnd && a.uID == b.uID && a.uFlags == b.uFlags &&
         a.uCallbackMessage == b.uCallbackMessage && a.hIcon == b.hIcon &&
         SameField(a.szTip, b.szTip) && a.dwState == b.dwState &&
         a.dwStateMask == b.dwStateMask && SameField(a.szInfo, b.szInfo) &&
         a.uTimeout == b.uTimeout && SameField(a.szInfoTitle, b.szInfoTitle) &&
         a.dwInfoFlags == b.dwInfoFlags;
}

}  // namespace

bool ShellIconRecord::Send(DWORD message, const NOTIFYICONDATAA& data) {
  if (holding_ && (data.uFlags & kNifInfo) != 0) Release();
  if (message == kNimAdd && copy_ == Copy::Held) return false;
  if (message == kNimModify && copy_ == Copy::Absent) return false;
  if (holding_) {
    if (message == kNimDelete) {
      const bool held = copy_ == Copy::Held;
      copy_ = Copy::Absent;
      versionHeld_ = false;  // a later add starts with the classic behaviour again
      return held;
    }
    copy_ = Copy::Held;
    accepted_ = data;
    return true;
  }
  if (message == kNimModify && copy_ == Copy::Held && !imageChanged_ &&
      (data.uFlags & kNifInfo) == 0 && SameRecord(data, accepted_)) {
    return true;
  }
  return SendNow(message, data);
}

bool ShellIconRecord::SendNow(DWORD message, const NOTIFYICONDATAA& data) {
  NOTIFYICONDATAA sent = data;
  const bool accepted = Sh().Shell_NotifyIconA(message, &sent) != 0;
  if (message == kNimAdd || message == kNimModify) {
    copy_ = accepted ? Copy::Held : Copy::Unsure;
    if (accepted) {
      accepted_ = data;
      imageChanged_ = false;
    }
  } else if (message == kNimDelete) {
    copy_ = accepted ? Copy::Absent : Copy::Unsure;
  }
  return accepted;
}

bool ShellIconRecord::SetVersion(const NOTIFYICONDATAA& data) {
  if (holding_) {
    versionHeld_ = copy_ == Copy::Held;
    heldVersion_ = data.uTimeout;
    return versionHeld_;
  }
  NOTIFYICONDATAA sent = data;
  return Sh().Shell_NotifyIconA(kNimSetVersion, &sent) != 0;
}

void ShellIconRecord::Hold() {
  if (copy_ == Copy::Absent) holding_ = true;
}

void ShellIconRecord::Release() {
  if (!holding_) return;
  holding_ = false;
  if (copy_ != Copy::Held) return;
  copy_ = Copy::Absent;
  if (!SendNow(kNimAdd, accepted_) || !std::exchange(versionHeld_, false)) return;
  NOTIFYICONDATAA versioned = accepted_;
  versioned.uTimeout = heldVersion_;
  SetVersion(versioned);
}

}  // namespace tarnwick::tray
