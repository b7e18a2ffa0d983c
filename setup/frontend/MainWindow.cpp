// The main window: class "Setup", hidden until the script sets a
// background, as large as the work area; it paints the background.
#include "FrontEnd.h"
#include "setup/RunLoop.h"

namespace setup::frontend {
namespace {

constexpr char kClassName[] = "Setup";
constexpr char kTitle[] = "Setup";

void keepClientRect(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  frontEnd().clientRight = client.right;
  frontEnd().clientBottom = client.bottom;
}

}  // namespace

bool registerMainClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  // Resource names are not case-sensitive: "Setup" and "SETUP" are the
  // same icon resource, which holds the large and the small image.
  wc.hIcon = LoadIconA(instance, "Setup");
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;

  const DWORD version = GetVersion();
  const bool windowsNt = (version & 0x80000000u) == 0;
  if (windowsNt || (version & 0xFF) < 4) return RegisterClassA(&wc) != 0;
  HMODULE user = GetModuleHandleA("USER32");
  FARPROC registerEx = user ? GetProcAddress(user, "RegisterClassExA") : nullptr;
  if (!registerEx) return RegisterClassA(&wc) != 0;
  WNDCLASSEXA wcx{};
  wcx.cbSize = sizeof wcx;
  wcx.style = wc.style;
  wcx.lpfnWndProc = wc.lpfnWndProc;
  wcx.hInstance = instance;
  wcx.hIcon = wc.hIcon;
  wcx.hCursor = wc.hCursor;
  wcx.hbrBackground = wc.hbrBackground;
  wcx.lpszClassName = kClassName;
  wcx.hIconSm = static_cast<HICON>(LoadImageA(instance, "SETUP", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  using RegisterEx = ATOM(WINAPI*)(const WNDCLASSEXA*);
  return reinterpret_cast<RegisterEx>(reinterpret_cast<void*>(registerEx))(&wcx) != 0;
}

HWND createMainWindow(HINSTANCE instance) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  HWND window = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, 0, 0, work.right, work.bottom, nullptr,
                                nullptr, instance, nullptr);
  if (!window) return nullptr;
  frontEnd().mainWindow = window;
  keepClientRect(window);
  return window;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      keepClientRect(window);
      paintBackground(dc, frontEnd().clientRight, frontEnd().clientBottom);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      // The prompt comes before the quit message: a message box whose
      // thread has a quit message pending closes before it can be answered.
      windowRebootPrompt();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace setup::frontend
