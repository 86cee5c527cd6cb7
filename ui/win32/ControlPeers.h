#pragma once
// How each kind of control gets its real peer: a table whose rows stand beside the peers'
// classes, one part for each file of peers.
#include <memory>
#include <span>
#include <typeinfo>
#include <utility>

#include "ui/win32/WindowPeer.h"

namespace tarnwick::ui::win32 {

// A kind of control, by the model's own type, and how its peer is made.
struct PeerKind {
  const std::type_info& model;
  std::unique_ptr<WindowPeer> (*make)(std::shared_ptr<FormPeer> form, Control& control);
};

template <typename Peer, typename Model>
PeerKind KindOf() {
  return {typeid(Model), [](std::shared_ptr<FormPeer> form, Control& control) {
            return std::unique_ptr<WindowPeer>(
                std::make_unique<Peer>(std::move(form), static_cast<Model&>(control)));
          }};
}

std::span<const PeerKind> ButtonPeers();
std::span<const PeerKind> DisplayPeers();
std::span<const PeerKind> GaugePeers();
std::span<const PeerKind> MemoPeers();

// The control's real peer; null for a kind that has none.
std::unique_ptr<ControlPeer> MakeControlPeer(std::shared_ptr<FormPeer> form, Control& control);

}  // namespace tarnwick::ui::win32
