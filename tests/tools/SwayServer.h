#pragma once
// A private Wayland compositor for the tests that need one: sway on its
// headless back end with one output of the given size, ended when the
// object goes. sway will not run as root, so as root it runs as nobody.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace velmora::testing {

class SwayServer {
 public:
  // `folder` becomes the compositor's runtime folder. env() is empty when
  // it could not start.
  SwayServer(const std::filesystem::path& folder, int width, int height) : folder_(folder) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    const bool root = ::geteuid() == 0;
    constexpr int kNobody = 65534;
    if (root && ::chown(folder.c_str(), kNobody, kNobody) != 0) return;
    ::chmod(folder.c_str(), 0700);
    const fs::path config = folder.parent_path() / "sway.conf";
    std::ofstream(config) << "output * mode " << width << "x" << height << "\n";
    std::vector<std::string> argv;
    if (root) argv = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    for (const std::string& a :
         {std::string("env"), "XDG_RUNTIME_DIR=" + folder.string(), "HOME=" + folder.string(),
          std::string("WLR_BACKENDS=headless"), std::string("WLR_LIBINPUT_NO_DEVICES=1"),
          std::string("WLR_RENDERER=pixman"), std::string("WLR_HEADLESS_OUTPUTS=1"), std::string("sway"),
          std::string("-c"), config.string()}) {
      argv.push_back(a);
    }
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (::posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    // Up once both its Wayland socket and its command socket are there.
    for (int i = 0; pid_ > 0 && i < 100 && env_.empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::string ipc;
      std::error_code ec;
      for (const auto& e : fs::directory_iterator(folder, ec)) {
        if (e.path().filename().string().starts_with("sway-ipc.")) ipc = e.path().string();
      }
      if (!ipc.empty() && fs::exists(folder / "wayland-1")) {
        env_ = "XDG_RUNTIME_DIR='" + folder.string() + "' WAYLAND_DISPLAY=wayland-1 SWAYSOCK='" + ipc + "'";
      }
    }
  }
  ~SwayServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  SwayServer(const SwayServer&) = delete;
  SwayServer& operator=(const SwayServer&) = delete;

  // The variables that lead a client to this compositor.
  const std::string& env() const { return env_; }

 private:
  std::filesystem::path folder_;
  pid_t pid_ = -1;
  std::string env_;
};

}  // namespace velmora::testing
