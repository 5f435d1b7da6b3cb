// The Windows entry point: builds the Windows platform objects and runs the program.
#include <windows.h>

#include "app/app.h"
#include "win32/win32_clock.h"
#include "win32/win32_files.h"
#include "win32/win32_power.h"
#include "win32/win32_serial.h"
#include "win32/win32_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tarvel::win32::Win32Clock clock;
    tarvel::win32::Win32Power power;
    tarvel::win32::Win32SerialPort port;
    tarvel::win32::Win32Window window(instance);
    tarvel::win32::Win32Files files;
    tarvel::win32::Win32FileDialogs dialogs(window.handle());
    tarvel::App app(window, port, clock, power, files, dialogs);
    return app.run();
}
