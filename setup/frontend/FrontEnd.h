#pragma once
// The installer's front end: the state its three threads share (the main
// thread with the main window, the worker running the script, the progress
// dialog's thread) and the operations each file provides.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <span>

namespace setup::frontend {

// Window messages of our own.
inline constexpr UINT kStepMessage = WM_APP + 1;  // progress dialog: take the queued steps
inline constexpr UINT kHideMessage = WM_APP + 2;  // progress dialog: repaint, and so close

struct FrontEnd {
  HINSTANCE instance = nullptr;
  std::atomic<HWND> mainWindow{nullptr};
  // The main window's client rectangle, refreshed at creation and at every
  // paint; its right edge sizes the fonts of the title texts.
  std::atomic<LONG> clientRight{0};
  std::atomic<LONG> clientBottom{0};
};

FrontEnd& frontEnd();

// Main window (MainWindow.cpp).
bool registerMainClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The worker (WorkerThread.cpp).
DWORD WINAPI WorkerThread(void*);

// Backgrounds (Background.cpp).
void setBackground(std::span<const std::uint8_t> statement);
void paintBackground(HDC dc, int width, int height);

// Dialogs (Dialogs.cpp): the request read inside the run loop, served
// afterwards on the worker thread; SCOPY's copy-error question.
void dialogRequest(std::uint8_t kind, std::span<const std::uint8_t> elements);
void serveDialogRequest();
int askCopyError(const char* text, const char* caption, std::uint32_t style);

// Progress dialog (Progress.cpp).
void serveProgressRequest();
void progressStep(const char* message, const char* detail);

// Abort question and reboot prompts (AbortAndReboot.cpp). confirmAbort is
// the ABORT statement's question (`fromUser` 0, on the worker); the
// progress dialog's Cancel runs the handshake around askAbortQuestion.
int confirmAbort(int fromUser);
bool askAbortQuestion();
void endOfRunRebootPrompt();
void windowRebootPrompt();

}  // namespace setup::frontend
