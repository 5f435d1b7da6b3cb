// The line settings of the controller's port, made ours from the first byte. Windows keeps
// whatever the last program set on a port (or the driver's defaults), so a handshake, an abort
// on error or a DTR held low left behind by a terminal program would still be in force.
#pragma once

#include <windows.h>

namespace tarvel::win32 {

// The settings to apply to a port whose present ones are `found`: 115200 baud, 8 data bits,
// no parity, one stop bit, no handshake of any kind, DTR on (raising it resets the board, whose
// start-up text identifies it), no abort on error, bytes passed through untouched. Only the
// driver's buffer limits for a handshake nobody uses are kept.
DCB controllerLineSettings(const DCB& found);

// A write gives up after kWriteTimeoutMs, as a device that takes nothing more is stuck.
constexpr DWORD kWriteTimeoutMs = 500;
// A read ends when the bytes it asks for have come.
COMMTIMEOUTS controllerTimeouts();
// A read takes what the driver holds: Windows ends it at once, with nothing when nothing has
// come; Wine keeps it pending until bytes come, and ends it with all of them.
COMMTIMEOUTS whatIsThereTimeouts();

}  // namespace tarvel::win32
