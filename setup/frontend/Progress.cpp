// The progress dialog (template 108) on a thread of its own, near the
// lower right corner of the screen, and the steps the install commands
// report to it.
//
// The worker never waits for this thread while the dialog is up: steps and
// the hide request are posted to the dialog, so a worker stopped between
// two statements by the dialog's Cancel can never be stuck in a call the
// dialog would have to answer first.
#include <atomic>
#include <deque>
#include <mutex>
#include <string>

#include "FrontEnd.h"
// After <windows.h>, which FrontEnd.h brings.
#include <commctrl.h>
#include "Resources.h"
#include "frontend/DialogRequest.h"
#include "setup/RunLoop.h"

namespace setup::frontend {
namespace {

struct Progress {
  ProgressRequest request;         // written by the worker
  std::atomic<std::int32_t> show{0};
  std::atomic<std::int32_t> running{0};
  std::atomic<std::int32_t> accepting{0};
  std::atomic<HWND> dialog{nullptr};
  HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // the dialog is up (or failed)
  std::mutex stepsLock;
  std::deque<std::string> steps;  // reported, not yet shown
  bool asking = false;            // the abort question is open (dialog thread only)
};

Progress& progress() {
  static Progress state;
  return state;
}

// The user side's waits for the worker's events, on this thread: messages
// sent to its windows from other threads are answered meanwhile, posted
// ones wait for the dialog's own loop.
void waitAnswering(ManualEvent& event) {
  while (!event.isSet()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
    MSG pending;
    PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

void takeSteps(HWND dialog) {
  Progress& p = progress();
  std::deque<std::string> steps;
  {
    std::lock_guard<std::mutex> held(p.stepsLock);
    steps.swap(p.steps);
  }
  for (const std::string& text : steps) {
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_STEPIT, 0, 0);
    SetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, text.c_str());
  }
}

INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  Progress& p = progress();
  switch (message) {
    case WM_INITDIALOG: {
      ShowWindow(dialog, SW_HIDE);
      const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
      SetWindowPos(dialog, nullptr, width - width / 3, height - height / 5, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      SetWindowTextA(dialog, p.request.caption);
      SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE, 0,
                          MAKELPARAM(0, static_cast<WORD>(p.request.total & 0xFFFF)));
      SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETSTEP, 1, 0);
      SetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, p.request.text);
      ShowWindow(dialog, SW_SHOW);
      {
        std::lock_guard<std::mutex> held(p.stepsLock);
        p.steps.clear();
      }
      p.dialog = dialog;
      p.accepting = 1;
      SetEvent(p.ready);
      return TRUE;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(dialog, &paint);
      EndPaint(dialog, &paint);
      if (p.show == 0) {
        p.accepting = 0;
        EndDialog(dialog, 0);
      }
      return TRUE;
    }
    case kStepMessage:
      takeSteps(dialog);
      return TRUE;
    case kHideMessage:
      InvalidateRect(dialog, nullptr, TRUE);
      UpdateWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDCANCEL) return FALSE;
      // A second Cancel while the question is open asks nothing more.
      if (p.asking) return TRUE;
      p.asking = true;
      p.accepting = 0;
      if (confirmAbortWith(1, askAbortQuestion, waitAnswering) == 1) {
        p.asking = false;
        EndDialog(dialog, 0);
        return TRUE;
      }
      p.asking = false;
      p.accepting = 1;
      return TRUE;
    case WM_DESTROY:
      p.accepting = 0;
      p.dialog = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

DWORD WINAPI ProgressThread(void*) {
  Progress& p = progress();
  DialogBoxParamA(frontEnd().instance, MAKEINTRESOURCEA(IDD_PROGRESS), frontEnd().mainWindow, ProgressDlgProc, 0);
  p.accepting = 0;
  SetEvent(p.ready);  // also when the dialog could not be made
  return 0;
}

}  // namespace

ProgressRequest& progressRequest() { return progress().request; }
void progressRequestRead() { progress().show = progress().request.show; }

void serveProgressRequest() {
  Progress& p = progress();
  if (p.running == 0 && p.show == 1) {
    // The running flag is set here, before the thread starts, so two show
    // requests in a row make one dialog.
    p.running = 1;
    ResetEvent(p.ready);
    HANDLE thread = CreateThread(nullptr, 0, ProgressThread, nullptr, 0, nullptr);
    if (thread) {
      // Until the dialog is up (it asks nothing of this thread meanwhile),
      // so a step or a hide that follows at once finds it.
      HANDLE waits[2] = {p.ready, thread};
      WaitForMultipleObjects(2, waits, FALSE, INFINITE);
      CloseHandle(thread);
    } else {
      p.running = 0;
    }
  }
  if (p.running == 1 && p.show == 0) {
    p.running = 0;
    if (HWND dialog = p.dialog) PostMessageA(dialog, kHideMessage, 0, 0);
  }
}

void progressStep(const char* message, const char* detail) {
  Progress& p = progress();
  if (p.accepting == 0) return;
  HWND dialog = p.dialog;
  if (!dialog) return;
  bool wasEmpty;
  {
    std::lock_guard<std::mutex> held(p.stepsLock);
    wasEmpty = p.steps.empty();
    p.steps.push_back(stepText(message, detail));
  }
  if (wasEmpty) PostMessageA(dialog, kStepMessage, 0, 0);
}

}  // namespace setup::frontend
