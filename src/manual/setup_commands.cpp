#include "manual/setup_commands.h"

#include "app/window_ops.h"
#include "numtext/reals.h"
#include "ui/control_table.h"
#include "winding/parameters.h"

namespace tarvel {

SetupCommands::SetupCommands(Window& window, CommandExchange& exchange, SerialLink& link)
    : window_(window), exchange_(exchange), link_(link) {}

void SetupCommands::startPosition() {
    link_.setStartPosition();
    enableWindingControls(window_);
    const double yStart = yStartTarget(readReal(window_, ctl::kCommutatorDistance));
    if (!sendableTarget(yStart)) {
        window_.showMessage(
            "Проверьте поле «РАССТОЯНИЕ ДО КОЛЛЕКТОРА»: с таким значением станок получил бы "
            "недопустимую координату. Двигатели не включены, переезд в начальную позицию не "
            "выполнен.");
        return;
    }
    exchange_.sendLine("M17\r\n");
    // The tracked position stays at the zero just declared: this move is not tracked.
    exchange_.sendLine("G0 Y" + FormatInteger(RoundToInt32(yStart)) + " Z15 F3000\r\n");
}

}  // namespace tarvel
