// Writes what the installer must know of the program as NSIS defines, taken from the one place
// each fact is written: the program's own constants, and the product's name and version from
// the build. Built and run on the build machine.
//
//   installer_facts OUTPUT PRODUCT VERSION
#include <algorithm>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "blocking/MainWindow.h"
#include "dialogs/AboutForm.h"
#include "dialogs/SettingsForm.h"
#include "settings/SettingsStore.h"
#include "toolbar/ToolbarButtons.h"

namespace {

using namespace tarnwick;

// A quoted NSIS string: "$" starts a variable and '"' ends the text, unless escaped.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\r' || c == '\n') {
      throw std::invalid_argument("a line break in " + std::string(text));
    }
    if (c == '$') {
      out += "$$";
    } else if (c == '"') {
      out += "$\\\"";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// The program writes its keys from the root ("\Software\..."), and some with a closing '\'.
std::string_view KeyPath(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return key;
}

// The maker, as the copyright line names it.
std::string_view Maker() {
  constexpr std::string_view kNotice = "Copyright (c) ";
  const std::string_view line = dialogs::kCopyright;
  if (line.substr(0, kNotice.size()) != kNotice) {
    throw std::invalid_argument("no maker in " + std::string(line));
  }
  return line.substr(kNotice.size());
}

// The version the user sees, as the title carries it: its word that starts with "v" and a digit.
std::string_view ShownVersion() {
  const std::string_view title = settings::kProgramTitle;
  for (std::size_t at = title.find(" v"); at != std::string_view::npos;
       at = title.find(" v", at + 1)) {
    const std::size_t start = at + 2;
    const std::string_view word = title.substr(start, title.find(' ', start) - start);
    if (!word.empty() && word.front() >= '0' && word.front() <= '9') return word;
  }
  throw std::invalid_argument("no version in " + std::string(title));
}

// Windows versions have four numbers; the build gives from two to four.
std::string FourPartVersion(std::string version) {
  for (auto dots = std::count(version.begin(), version.end(), '.'); dots < 3; ++dots) {
    version += ".0";
  }
  return version;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: installer_facts OUTPUT PRODUCT VERSION\n";
    return 2;
  }
  try {
    const struct {
      const char* name;
      std::string value;
    } facts[] = {
        {"PRODUCT", argv[2]},
        {"MAKER", std::string(Maker())},
        {"VERSION", std::string(ShownVersion())},
        {"FILE_VERSION", FourPartVersion(argv[3])},
        {"WEB_SITE", dialogs::kWebSiteAddress},
        {"TITLE", settings::kProgramTitle},
        {"MAIN_CLASS", blocking::kMainWindowClass},
        {"SETTINGS_KEY", std::string(KeyPath(settings::kSettingsKey))},
        {"RUN_KEY", std::string(KeyPath(dialogs::kRunKey))},
        {"BUTTON_LIST_KEY", std::string(KeyPath(toolbar::kButtonListKey))},
        {"EXTENSIONS_KEY", std::string(KeyPath(toolbar::kExtensionsKey))},
    };
    std::ofstream out(argv[1], std::ios::binary);
    out << "; What the installer knows of the program, written by the build from the program's\n"
           "; own constants (installer/InstallerFacts.cpp). Not to be edited.\n";
    for (const auto& fact : facts) {
      out << "!define " << fact.name << ' ' << Quoted(fact.value) << '\n';
    }
    out.close();
    if (!out) throw std::runtime_error(std::string("cannot write ") + argv[1]);
  } catch (const std::exception& e) {
    std::cerr << "installer_facts: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
