#include "ui/win32/ControlPeers.h"

#include <typeinfo>
#include <utility>

#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Gauge.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/ListBox.h"
#include "ui/Memo.h"
#include "ui/RadioGroup.h"
#include "ui/SpeedButton.h"

namespace tarnwick::ui::win32 {
namespace {

template <typename Model>
std::unique_ptr<WindowPeer> Make(std::shared_ptr<FormPeer> form, Control& control) {
  return MakePeer(std::move(form), static_cast<Model&>(control));
}

struct Kind {
  const std::type_info& model;
  std::unique_ptr<WindowPeer> (*make)(std::shared_ptr<FormPeer>, Control&);
};

const Kind kKinds[] = {
    {typeid(Button), &Make<Button>},         {typeid(CheckBox), &Make<CheckBox>},
    {typeid(RadioGroup), &Make<RadioGroup>}, {typeid(GroupBox), &Make<GroupBox>},
    {typeid(SpeedButton), &Make<SpeedButton>}, {typeid(Label), &Make<Label>},
    {typeid(LinkLabel), &Make<Label>},       {typeid(ListBox), &Make<ListBox>},
    {typeid(Image), &Make<Image>},           {typeid(TabControl), &Make<TabControl>},
    {typeid(StatusBar), &Make<StatusBar>},   {typeid(Gauge), &Make<Gauge>},
    {typeid(Memo), &Make<Memo>},
};

}  // namespace

std::unique_ptr<ControlPeer> MakeControlPeer(std::shared_ptr<FormPeer> form, Control& control) {
  for (const Kind& kind : kKinds) {
    if (kind.model == typeid(control)) return kind.make(std::move(form), control);
  }
  return nullptr;
}

}  // namespace tarnwick::ui::win32
