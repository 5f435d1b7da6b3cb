// The Windows entry point of the practice program: the operator program itself, with the
// practice controller inside it instead of a COM port, and the machine window beside it.
#include <windows.h>

#include "app/app.h"
#include "practice/machine_view.h"
#include "practice/practice_port.h"
#include "win32/win32_clock.h"
#include "win32/win32_files.h"
#include "win32/win32_picture_window.h"
#include "win32/win32_power.h"
#include "win32/win32_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tarvel::win32::Win32Clock clock;
    tarvel::win32::Win32Power power;
    tarvel::practice::PracticePort port(clock);
    // Nobody is to take it for the machine.
    tarvel::win32::Win32Window window(instance, L"Tarvel SW v. 1.0.2 — тренажёр",
                                      tarvel::practice::kPictureWidth);
    tarvel::win32::Win32Files files;
    tarvel::win32::Win32FileDialogs dialogs(window.handle());
    tarvel::App app(window, port, clock, power, files, dialogs);
    tarvel::win32::Win32PictureWindow machineWindow(instance, window);
    tarvel::practice::MachineView machine(port, machineWindow, app.views());
    return app.run([&machine] { machine.open(); });
}
