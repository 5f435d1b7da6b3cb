// Prints the control table as JSON, {"number": {"name": "kStatus", "kind": ..., "rect": [x, y, w,
// h], "caption": ...}, ...}, so the end-to-end tests address every control by its name and click
// where the table puts it.
#include <cstdio>
#include <string>

#include "ui/control_table.h"

int main() {
    using namespace tarvel;
    const char* kinds[] = {"label", "text", "number", "command", "button", "progress", "trackbar"};
    std::string out = "{";
    for (std::size_t id = 0; id < controlTable().size(); ++id) {
        const ControlSpec& row = controlTable()[id];
        char buffer[200];
        std::snprintf(buffer, sizeof buffer,
                      "%s\"%zu\": {\"name\": \"%s\", \"kind\": \"%s\", \"rect\": [%d, %d, %d, %d]",
                      id ? ", " : "", id, row.name ? row.name : "",
                      kinds[static_cast<int>(row.kind)], row.rect.x, row.rect.y, row.rect.width,
                      row.rect.height);
        out += buffer;
        out += ", \"caption\": \"";
        for (const char* c = row.caption; *c; ++c)
            out += *c == '"' || *c == '\\' ? std::string("\\") + *c : std::string(1, *c);
        out += "\"}";
    }
    std::puts((out + "}").c_str());
    return 0;
}
