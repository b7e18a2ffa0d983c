// Shortcut files through the shell's link object. COM is initialised on the
// calling thread (apartment-threaded) and stays so.
#include "platform/ShellLinks.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace platform {
namespace {

std::wstring wide(std::string_view path) {
  wchar_t buffer[MAX_PATH];
  const std::string p(path);
  const int n = MultiByteToWideChar(CP_ACP, 0, p.c_str(), -1, buffer, MAX_PATH);
  return n > 0 ? std::wstring(buffer) : std::wstring();
}

ShellLinkOutcome failed(ShellLinkOutcome::Step step, HRESULT hr) {
  ShellLinkOutcome outcome;
  outcome.failedAt = step;
  outcome.hresult = static_cast<std::int32_t>(hr);
  return outcome;
}

// A new link object of the shell, COM initialised on this thread first.
HRESULT newLink(IShellLinkA** link) {
  CoInitialize(nullptr);
  *link = nullptr;
  return CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                          reinterpret_cast<void**>(link));
}

// The link's file interface; when there is none the link is released.
HRESULT persistOf(IShellLinkA* link, IPersistFile** file) {
  *file = nullptr;
  const HRESULT hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file));
  if (FAILED(hr)) link->Release();
  return hr;
}

}  // namespace

ShellLinkOutcome createShellLink(std::string_view target, std::string_view arguments, std::string_view linkPath,
                                 std::string_view description) {
  IShellLinkA* link;
  HRESULT hr = newLink(&link);
  if (FAILED(hr)) return failed(ShellLinkOutcome::Step::Create, hr);
  const std::string t(target), a(arguments), d(description);
  link->SetPath(t.c_str());
  link->SetArguments(a.c_str());
  link->SetDescription(d.c_str());
  IPersistFile* file;
  hr = persistOf(link, &file);
  if (FAILED(hr)) return failed(ShellLinkOutcome::Step::QueryPersist, hr);
  const std::wstring path = wide(linkPath);
  hr = file->Save(path.c_str(), TRUE);
  file->Release();
  link->Release();
  if (FAILED(hr)) return failed(ShellLinkOutcome::Step::Save, hr);
  return {};
}

ShellLinkOutcome readShellLink(std::string_view linkPath, ShellLinkFields* fields) {
  *fields = {};
  IShellLinkA* link;
  HRESULT hr = newLink(&link);
  if (FAILED(hr)) return failed(ShellLinkOutcome::Step::Create, hr);
  IPersistFile* file;
  hr = persistOf(link, &file);
  if (FAILED(hr)) return failed(ShellLinkOutcome::Step::QueryPersist, hr);
  const std::wstring path = wide(linkPath);
  hr = file->Load(path.c_str(), STGM_READ);
  file->Release();
  if (SUCCEEDED(hr)) {
    char buffer[1024];
    buffer[0] = 0;
    link->GetPath(buffer, sizeof buffer, nullptr, SLGP_RAWPATH);
    fields->target = buffer;
    buffer[0] = 0;
    link->GetArguments(buffer, sizeof buffer);
    fields->arguments = buffer;
    buffer[0] = 0;
    link->GetDescription(buffer, sizeof buffer);
    fields->description = buffer;
  }
  link->Release();
  if (FAILED(hr)) return failed(ShellLinkOutcome::Step::Load, hr);
  return {};
}

}  // namespace platform
