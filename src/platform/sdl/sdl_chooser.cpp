// The open-file chooser on Linux: zenity (or kdialog when zenity is missing)
// run as a child process. Its answer is read through a pipe without blocking,
// so the viewer's window keeps being redrawn while the chooser is open.
#include <SDL_syswm.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"
#include "save/open_dialog.h"

extern char **environ;

namespace {

constexpr char CHOOSER_TITLE[] = "Open a File";
constexpr char FILTER_LABEL[] = "KZR TH Savegames";
constexpr char FILTER_PATTERN[] = "*.b";
// Output beyond this is not kept: no path that long could be accepted.
constexpr size_t OUTPUT_LIMIT = 4096;
constexpr int POLL_MILLISECONDS = 15;

enum SpawnResult { SPAWNED, NOT_INSTALLED, SPAWN_FAILED };

// The main window's X11 id, for the chooser to stay above it; empty when the
// window is not on X11 (the chooser is then a plain top-level window).
std::string x11WindowId() {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!sdlMainWindow() || !SDL_GetWindowWMInfo(sdlMainWindow(), &info)) return "";
#if defined(SDL_VIDEO_DRIVER_X11)
  if (info.subsystem == SDL_SYSWM_X11) return std::to_string(static_cast<unsigned long>(info.info.x11.window));
#endif
  return "";
}

std::vector<std::string> zenityArguments(const std::string &windowId) {
  std::vector<std::string> arguments = {"zenity", "--file-selection", "--modal"};
  if (!windowId.empty()) arguments.push_back("--attach=" + windowId);
  arguments.push_back(std::string("--title=") + CHOOSER_TITLE);
  arguments.push_back(std::string("--file-filter=") + FILTER_LABEL + " | " + FILTER_PATTERN);
  return arguments;
}

std::vector<std::string> kdialogArguments(const std::string &windowId) {
  std::vector<std::string> arguments = {"kdialog", "--getopenfilename", ".",
                                        std::string(FILTER_LABEL) + " (" + FILTER_PATTERN + ")",
                                        "--title", CHOOSER_TITLE};
  if (!windowId.empty()) {
    arguments.push_back("--attach");
    arguments.push_back(windowId);
  }
  return arguments;
}

// Starts the program with its standard output on a pipe (read end in
// *outputFd) and its input and error output on /dev/null.
SpawnResult spawnChooser(const std::vector<std::string> &arguments, pid_t *pid, int *outputFd) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return SPAWN_FAILED;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  std::vector<char *> argv;
  for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
  argv.push_back(nullptr);

  const int error = posix_spawnp(pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (error != 0) {
    close(pipeFds[0]);
    return error == ENOENT ? NOT_INSTALLED : SPAWN_FAILED;
  }
  *outputFd = pipeFds[0];
  return SPAWNED;
}

// Reads the chooser's output until it closes it, handling the main window's
// events in between. A close request ends the chooser and is put back in the
// queue for the main loop. Returns true when the chooser exited with status 0.
bool waitForChooser(pid_t pid, int outputFd, std::string *output) {
  bool closeRequested = false;
  for (;;) {
    pollfd readable{outputFd, POLLIN, 0};
    const int ready = poll(&readable, 1, POLL_MILLISECONDS);
    if (ready > 0) {
      char buffer[1024];
      const ssize_t got = read(outputFd, buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0 && errno != EINTR && errno != EAGAIN) break;
      if (got > 0 && output->size() < OUTPUT_LIMIT) output->append(buffer, static_cast<size_t>(got));
    } else if (ready < 0 && errno != EINTR) {
      break;
    }

    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (!sdlDispatchModalEvent(event) && !closeRequested) {
        closeRequested = true;
        kill(pid, SIGTERM);
      }
    }
  }
  close(outputFd);

  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (closeRequested) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool platformChooseSavegame(char *path) {
  const std::string windowId = x11WindowId();
  pid_t pid = 0;
  int outputFd = -1;
  SpawnResult result = spawnChooser(zenityArguments(windowId), &pid, &outputFd);
  if (result == NOT_INSTALLED) result = spawnChooser(kdialogArguments(windowId), &pid, &outputFd);
  if (result == NOT_INSTALLED) {
    platformShowMessageBox(MESSAGE_OWNER_MAIN_WINDOW, "KZR Package Viewer",
                           "Error ! : No file chooser found: install zenity or kdialog !");
    return false;
  }
  if (result == SPAWN_FAILED) {
    platformShowMessageBox(MESSAGE_OWNER_MAIN_WINDOW, "KZR Package Viewer",
                           "Error ! : The file chooser could not be started !");
    return false;
  }

  std::string output;
  if (!waitForChooser(pid, outputFd, &output)) return false;
  return acceptChosenPath(output.data(), output.size(), path);
}
