#pragma once
// The running program: its windows, the Win32 side of every port, and the Modem they
// serve. There is one, made by wWinMain and never destroyed: the program ends with its
// process, threads and all.
#include <windows.h>

#include "app/command_line.h"
#include "app/main_window_layout.h"
#include "modem.h"
#include "shell_windows.h"
#include "win32_audio_devices_port.h"
#include "win32_capture_device.h"
#include "win32_clock_port.h"
#include "win32_document_viewer_port.h"
#include "win32_file_dialog_port.h"
#include "win32_logger_port.h"
#include "win32_main_window_port.h"
#include "win32_playback_device.h"
#include "win32_priority_port.h"
#include "win32_serial_ports.h"
#include "win32_shared_block_port.h"
#include "win32_text_file.h"
#include "win32_udp_port.h"
#include "win32_ui_port.h"
#include "win32_window_title_port.h"

namespace kestrel::win32 {

struct Shell {
    Shell(HINSTANCE instance, const std::string& exePath, const CommandLine& commandLine);

    HINSTANCE instance;
    ShellWindows windows;
    Win32LoggerPort logger;
    Win32UiPort ui{windows};
    Win32MainWindowPort mainWindow{windows};
    Win32SharedBlockPort sharedBlock;
    Win32WindowTitlePort windowTitles;
    Win32ClockPort clock;
    Win32AudioDevicesPort audioDevices;
    Win32TextFile textFile;
    Win32FileDialogPort fileDialogs{windows};
    Win32DocumentViewerPort documents;
    Win32SerialPorts serialPorts;
    Win32PriorityPort priority;
    Win32PlaybackDevice playback;
    Win32CaptureDevice capture;
    Win32UdpPort udp;
    Modem modem;
};

// The one Shell, for the window procedures.
Shell& shell();
void setShell(Shell& running);

// Window procedures, registered by start-up.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK txWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK fftWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK controlPanelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK recordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK settingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The status bar's widest texts, part by part, measured in the bar's font.
StatusTextWidths statusTextWidths(HWND bar);

// Window class names, loaded from the string table at start-up.
struct ClassNames {
    wchar_t main[256];
    wchar_t tx[256];
    wchar_t fft[256];
};
ClassNames& classNames();

}  // namespace kestrel::win32
