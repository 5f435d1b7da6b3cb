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

// True when the program was started with no console to print to: from Explorer (a double click,
// a file dropped onto it, "Open with"), where the system made a console for it alone that
// closes with it. Such a start gets its results in windows instead, and the console goes.
bool startedWithoutConsole();

// What a program started without a console shows its user: a page opened in the program the
// user has for it (the browser), or a message in a box of its own.
class Desktop {
  public:
    virtual ~Desktop() = default;
    // False, with the system's reason, when the file could not be opened.
    virtual bool open(const std::string& path, std::string& why) = 0;
    virtual void tell(const std::string& message) = 0;
};
Desktop& desktop();

}  // namespace tarvel
