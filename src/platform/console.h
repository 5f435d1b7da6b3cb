// What a command-line front end needs of its platform.
#pragma once

#include <string>
#include <vector>

namespace tarvel {

// The command line's arguments after the program's name, as UTF-8.
std::vector<std::string> commandLineArguments(int argc, char** argv);
// Standard output takes the bytes as they are written (the G-code keeps its CR LF) and a
// console shows them as UTF-8.
void prepareStandardOutput();

}  // namespace tarvel
