// The controller's port gets every line setting of its own, whatever the program before it
// left: a handshake, an abort on error, DTR held low, characters replaced.
#include <gtest/gtest.h>

#include <cstring>

#include "win32/port_settings.h"

namespace tarvel::win32 {
namespace {

struct Setting {
    const char* name;
    unsigned long (*of)(const DCB&);
    unsigned long wanted;
};

#define SETTING(field, wanted)                                                \
    Setting {                                                                 \
#field, [](const DCB& d) -> unsigned long { return d.field; }, wanted \
    }

const Setting kSettings[] = {
    SETTING(DCBlength, sizeof(DCB)),
    SETTING(BaudRate, 115200),
    SETTING(ByteSize, 8),
    SETTING(Parity, NOPARITY),
    SETTING(fParity, 1),
    SETTING(StopBits, ONESTOPBIT),
    SETTING(fBinary, 1),
    SETTING(fOutxCtsFlow, 0),
    SETTING(fOutxDsrFlow, 0),
    SETTING(fDsrSensitivity, 0),
    SETTING(fOutX, 0),
    SETTING(fInX, 0),
    SETTING(fTXContinueOnXoff, 1),
    SETTING(fRtsControl, RTS_CONTROL_DISABLE),
    SETTING(fDtrControl, DTR_CONTROL_ENABLE),
    SETTING(fAbortOnError, 0),
    SETTING(fNull, 0),
    SETTING(fErrorChar, 0),
    {"XonChar", [](const DCB& d) -> unsigned long { return static_cast<unsigned char>(d.XonChar); },
     0x11},
    {"XoffChar",
     [](const DCB& d) -> unsigned long { return static_cast<unsigned char>(d.XoffChar); }, 0x13},
    SETTING(ErrorChar, 0),
    SETTING(EofChar, 0),
    SETTING(EvtChar, 0),
    SETTING(fDummy2, 0),
    SETTING(wReserved, 0),
};
#undef SETTING

// What a port may hold when it is opened: nothing set, every bit set, and what a terminal
// program leaves (9600 7E2, XON/XOFF and hardware handshakes on, DTR and RTS by handshake,
// abort on error, zero bytes dropped, bad bytes replaced, the same character for XON and XOFF).
DCB leftBehind(int which) {
    DCB d{};
    if (which == 1) std::memset(&d, 0xFF, sizeof d);
    if (which == 2) {
        d.DCBlength = sizeof d;
        d.BaudRate = 9600;
        d.ByteSize = 7;
        d.Parity = EVENPARITY;
        d.StopBits = TWOSTOPBITS;
        d.fBinary = 0;
        d.fOutxCtsFlow = d.fOutxDsrFlow = d.fDsrSensitivity = 1;
        d.fOutX = d.fInX = 1;
        d.fTXContinueOnXoff = 0;
        d.fRtsControl = RTS_CONTROL_TOGGLE;
        d.fDtrControl = DTR_CONTROL_HANDSHAKE;
        d.fAbortOnError = d.fNull = d.fErrorChar = 1;
        d.XonChar = d.XoffChar = 0x11;
        d.ErrorChar = '?';
        d.EofChar = 0x1A;
        d.EvtChar = '\n';
        d.XonLim = 2048;
        d.XoffLim = 512;
    }
    return d;
}

TEST(ControllerLineSettings, WhateverTheProgramBeforeLeft) {
    for (int which = 0; which < 3; ++which) {
        const DCB found = leftBehind(which);
        const DCB d = controllerLineSettings(found);
        for (const Setting& s : kSettings)
            EXPECT_EQ(s.of(d), s.wanted) << s.name << ", port left as " << which;
        // The driver's own buffer limits of a handshake that is off.
        EXPECT_EQ(d.XonLim, found.XonLim) << which;
        EXPECT_EQ(d.XoffLim, found.XoffLim) << which;
    }
}

}  // namespace
}  // namespace tarvel::win32
