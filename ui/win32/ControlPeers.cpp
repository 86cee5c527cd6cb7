#include "ui/win32/ControlPeers.h"

namespace tarnwick::ui::win32 {

std::unique_ptr<ControlPeer> MakeControlPeer(std::shared_ptr<FormPeer> form, Control& control) {
  for (auto part : {ButtonPeers(), DisplayPeers(), GaugePeers(), MemoPeers()}) {
    for (const PeerKind& kind : part) {
      if (kind.model == typeid(control)) return kind.make(std::move(form), control);
    }
  }
  return nullptr;
}

}  // namespace tarnwick::ui::win32
