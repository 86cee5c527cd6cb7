#pragma once
// What one start of the program does, decided by its first argument and by the windows already
// on the desktop: run as the one instance, hand over to the running one, or add or remove the
// browser toolbar button.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "blocking/MainWindow.h"
#include "ui/Application.h"

namespace tarnwick::app {

enum class Course { SingleInstance, HandOver, Register, Unregister, Ignore };

// The parts of a start that differ between the real program and a test.
struct StartEnvironment {
  // The main window's pictures.
  std::function<blocking::MainWindowImages()> images;
  // The program's own icon, which the About dialog shows, and the title bars' and the taskbar's.
  std::function<os::HICON()> programIcon;
  std::function<os::HICON()> smallProgramIcon;
  // The picture of the demonstration window's stop button.
  ui::IconSource stopGlyph;
  // The real controls behind the ui models; empty when headless.
  std::function<std::unique_ptr<ui::Backend>()> backend;
};

// The course of a start with these arguments (the program name excluded). Only the first
// argument counts, compared exactly and with case.
Course ChooseCourse(const std::vector<std::string>& arguments);

// Runs one start and returns the process exit code: 0, or 1 after an error in the command-line
// work, which is shown in an "Application Error" box, or, when nobody can answer a box (a
// hidden start, error output read by the starter, a station without a display), written to
// the standard error.
int RunProgram(const std::vector<std::string>& arguments, const StartEnvironment& environment);

}  // namespace tarnwick::app
