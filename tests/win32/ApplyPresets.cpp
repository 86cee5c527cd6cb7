// Applies global presets through the real registry, as the main window's preset group does:
// "apply_presets 0 1" chooses "Yes to all", then "No to all". The five choice groups start at
// their design-time choices, like a first start's.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "blocking/ContentKinds.h"
#include "blocking/ContentPolicies.h"
#include "platform/win32/Win32Platform.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  platform::win32::Win32Platform os;
  std::array<std::unique_ptr<ui::RadioGroup>, 5> groups;
  std::array<ui::RadioGroup*, 5> view{};
  for (int i = 0; i < 5; ++i) {
    groups[i] = std::make_unique<ui::RadioGroup>();
    auto& group = *groups[i];
    group.SetTag(i + 1);
    group.BeginLoading();
    group.SetItems({"Yes", "No"});
    group.SetItemIndex(blocking::ContentKinds()[i].defaultChoice);
    group.EndLoading();
    group.OnClick = [](ui::Component& sender) {
      blocking::ApplyChoice(sender.Tag(), static_cast<ui::RadioGroup&>(sender).ItemIndex());
    };
    view[i] = &group;
  }
  try {
    for (int i = 1; i < argc; ++i) blocking::SelectPreset(std::atoi(argv[i]), view);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
