// A subsystem that reaches up for the window's control table: the build must refuse it, as it
// refuses every include that runs upward.
#include "ui/control_table.h"

int main() {
    return tarvel::kControlCount;
}
