#pragma once
// What the shell holds of one notification icon, as far as its answers tell. Each call is a
// round trip to the shell's process, and setting up an icon makes many that it would refuse or
// that repeat what it holds; those are answered here as the shell would answer them. Whenever an
// answer leaves it unclear what the shell holds, every call goes through again.
#include "platform/Platform.h"

namespace tarnwick::tray {

class ShellIconRecord {
 public:
  // Sends `message` (NIM_ADD, NIM_MODIFY, NIM_DELETE) with `data` unless its answer is known;
  // returns the shell's answer, or the one it would give.
  bool Send(os::DWORD message, const os::NOTIFYICONDATAA& data);
  // NIM_SETVERSION with `data`, whose uTimeout is the version.
  bool SetVersion(const os::NOTIFYICONDATAA& data);
  // An image handle may be reused for another picture, so every assignment counts as a change.
  void ImageChanged() { imageChanged_ = true; }
  // A new taskbar starts empty.
  void TaskbarRecreated() { copy_ = Copy::Absent; }

  // From Hold to Release nothing reaches the shell, and every call is answered as the shell
  // would answer it; Release then sends what the shell would hold by then, as one add, followed
  // by the version. Only an icon the shell does not hold yet is held back. A balloon cannot
  // wait: it releases the icon first.
  void Hold();
  void Release();
  bool Holding() const { return holding_; }

 private:
  enum class Copy { Absent, Held, Unsure };
  bool SendNow(os::DWORD message, const os::NOTIFYICONDATAA& data);

  Copy copy_ = Copy::Absent;   // while holding: what the shell will hold at the release
  os::NOTIFYICONDATAA accepted_;  // the last record the shell took, or will take
  bool imageChanged_ = false;
  bool holding_ = false;
  bool versionHeld_ = false;
  os::UINT heldVersion_ = 0;
};

}  // namespace tarnwick::tray
