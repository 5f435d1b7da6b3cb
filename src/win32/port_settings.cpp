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
    // A read returns at once with what has arrived, never more than that: a read of more than
    // is waiting must not hold the window for ever (the program asks only for what waits).
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 100;
    timeouts.WriteTotalTimeoutConstant = 10;
    return timeouts;
}

}  // namespace tarvel::win32
