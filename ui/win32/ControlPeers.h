#pragma once
// The real peer of each kind of control, made beside the peer's class.
#include <memory>

#include "ui/win32/WindowPeer.h"

namespace tarnwick::ui {
class Button;
class CheckBox;
class Gauge;
class Image;
class Label;
class ListBox;
class Memo;
class RadioGroup;
class SpeedButton;
}  // namespace tarnwick::ui

namespace tarnwick::ui::win32 {

std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, Button& button);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, CheckBox& box);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, RadioGroup& group);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, GroupBox& box);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, SpeedButton& button);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, Label& label);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, ListBox& list);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, Image& image);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, TabControl& panel);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, StatusBar& bar);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, Gauge& gauge);
std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, Memo& memo);

// The control's real peer, by the control's own type; null for a kind that has none.
std::unique_ptr<ControlPeer> MakeControlPeer(std::shared_ptr<FormPeer> form, Control& control);

}  // namespace tarnwick::ui::win32
