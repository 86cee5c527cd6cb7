#pragma once
// The full path of the program's own file. Everything that names the program's file or a file
// beside it (the browser button, the help file, the Run entry) asks here.
#include <string>

namespace tarnwick::platform {

// The path, however long; empty when the system cannot tell.
std::string ProgramPath();
// The path, when it names the file: the ANSI calls spell a character that the code page lacks
// as '?', which no file name holds, and what is written with such a path starts nothing. Empty
// otherwise.
std::string SpelledProgramPath();

}  // namespace tarnwick::platform
