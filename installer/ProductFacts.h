#pragma once
// What the build machine's writers (the installers' facts, the administrative template) read off
// the program's own texts: the maker and the version the user sees.
#include <stdexcept>
#include <string>
#include <string_view>

#include "dialogs/AboutForm.h"
#include "settings/SettingsStore.h"

namespace tarnwick::installer {

// The maker, as the copyright line names it.
inline std::string_view Maker() {
  constexpr std::string_view kNotice = "Copyright (c) ";
  const std::string_view line = dialogs::kCopyright;
  if (line.substr(0, kNotice.size()) != kNotice) {
    throw std::invalid_argument("no maker in " + std::string(line));
  }
  return line.substr(kNotice.size());
}

// The version the user sees, as the title carries it: its word that starts with "v" and a digit.
inline std::string_view ShownVersion() {
  const std::string_view title = settings::kProgramTitle;
  for (std::size_t at = title.find(" v"); at != std::string_view::npos;
       at = title.find(" v", at + 1)) {
    const std::size_t start = at + 2;
    const std::string_view word = title.substr(start, title.find(' ', start) - start);
    if (!word.empty() && word.front() >= '0' && word.front() <= '9') return word;
  }
  throw std::invalid_argument("no version in " + std::string(title));
}

}  // namespace tarnwick::installer
