#include "win32/port_settings.h"

namespace tarvel::win32 {
namespace {

constexpr char kXon = 0x11;   // DC1
constexpr char kXoff = 0x13;  // DC3

}  // namespace

DCB controllerLineSettings(const DCB& found) {
    DCB dcb = found;
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = 115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.fParity = 1;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    // No handshake: a line held by CTS, DSR or one XOFF byte in a reply would stop every write.
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDsrSensitivity = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    // A framing error (a board reset mid-byte) must not make every later call fail.
    dcb.fAbortOnError = 0;
    dcb.fNull = 0;
    dcb.fErrorChar = 0;
    // Drivers refuse settings whose two flow characters are the same, even with the flow off.
    dcb.XonChar = kXon;
    dcb.XoffChar = kXoff;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    dcb.fDummy2 = 0;
    dcb.wReserved = 0;
    return dcb;
}

COMMTIMEOUTS controllerTimeouts() {
    COMMTIMEOUTS timeouts{};
    // No read time-outs: a read ends when the bytes it asks for have come.
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    // A 95-byte line takes 8 ms at 115200 baud: a write not done in half a second will not be.
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    return timeouts;
}

COMMTIMEOUTS whatIsThereTimeouts() {
    COMMTIMEOUTS timeouts = controllerTimeouts();
    timeouts.ReadIntervalTimeout = MAXDWORD;
    return timeouts;
}

}  // namespace tarvel::win32
