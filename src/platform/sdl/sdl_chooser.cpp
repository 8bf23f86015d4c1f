// The open-file choosers and the yes/no question on Linux: zenity (or kdialog when zenity is missing)
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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_chooser_text.h"
#include "platform/sdl/sdl_chooser_window.h"
#include "platform/sdl/sdl_platform.h"
#include "save/open_dialog.h"
#include "save/savegame.h"

namespace {

// What a chooser asks for: its title and its one filter.
struct ChooserKind {
  const char *title;
  const char *filterLabel;
  const char *filterPatterns;  // separated by spaces
};
constexpr ChooserKind SAVEGAME_CHOOSER = {"Open a File", "KZR TH Savegames", "*.b"};
// GTK 3's filters tell case apart: each extension is given in both cases.
constexpr ChooserKind PICTURE_CHOOSER = {
    "Choose a Picture of the Map", "Pictures",
    "*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG *.gif *.GIF *.tga *.TGA *.bmp *.BMP"};
constexpr char NOT_INSTALLED_MESSAGE[] = "No file chooser found: install zenity or kdialog !";
constexpr char UNUSABLE_ANSWER_MESSAGE[] = "The file dialog did not return a usable path !";
// Output beyond this is not kept: no path that long could be accepted.
constexpr size_t OUTPUT_LIMIT = 4096;
constexpr int POLL_MILLISECONDS = 15;
// The chooser's window is looked for this often, and for this long after the
// start: a chooser whose window is not on the main window's X display (under
// Wayland, say) is never found, and every look lists the screen's windows.
constexpr Uint32 FIT_INTERVAL_MILLISECONDS = 100;
constexpr Uint32 FIT_PERIOD_MILLISECONDS = 10000;
// zenity's status for Cancel, Escape or a closed window; kdialog's for Cancel.
constexpr int CHOOSER_CANCEL_STATUS = 1;

enum SpawnResult { SPAWNED, NOT_INSTALLED, SPAWN_FAILED };
enum ChooserEnd { CHOOSER_CONFIRMED, CHOOSER_CANCELLED, CHOOSER_FAILED, CHOOSER_CLOSED };

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

// The folder the chooser starts in, ending in '/': that of the save loaded
// last, or the working directory before the first one.
std::string startFolder() {
  const char *name = viewerState.saveFileName;
  const std::string saved(name, strnlen(name, SAVE_PATH_SIZE));
  std::string folder;
  const size_t slash = saved.rfind('/');
  if (slash != std::string::npos) folder = saved.substr(0, slash + 1);
  if (!folder.empty() && folder[0] == '/') return folder;
  char *workingDirectory = getcwd(nullptr, 0);
  if (!workingDirectory) return folder.empty() ? "./" : folder;
  std::string absolute = workingDirectory;
  std::free(workingDirectory);
  if (absolute.back() != '/') absolute += '/';
  return absolute + folder;
}

std::vector<std::string> zenityArguments(const ChooserKind &kind, const std::string &windowId) {
  std::vector<std::string> arguments = {"zenity", "--file-selection", "--modal"};
  if (!windowId.empty()) arguments.push_back("--attach=" + windowId);
  arguments.push_back(std::string("--title=") + kind.title);
  // A folder name ending in '/' opens that folder with an empty name field.
  arguments.push_back("--filename=" + startFolder());
  arguments.push_back(std::string("--file-filter=") + kind.filterLabel + " | " + kind.filterPatterns);
  return arguments;
}

std::vector<std::string> kdialogArguments(const ChooserKind &kind, const std::string &windowId) {
  std::vector<std::string> arguments = {"kdialog",
                                        "--getopenfilename",
                                        startFolder(),
                                        std::string(kind.filterLabel) + " (" + kind.filterPatterns + ")",
                                        "--title",
                                        kind.title};
  if (!windowId.empty()) {
    arguments.push_back("--attach");
    arguments.push_back(windowId);
  }
  return arguments;
}

std::vector<char *> pointersTo(std::vector<std::string> &strings) {
  std::vector<char *> pointers;
  for (std::string &text : strings) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  return pointers;
}

// Starts the program with its standard output on a pipe (read end in
// *outputFd) and its input and error output on /dev/null.
SpawnResult spawnChooser(std::vector<std::string> arguments, std::vector<std::string> environment, pid_t *pid,
                         int *outputFd) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return SPAWN_FAILED;

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return SPAWN_FAILED;
  }
  int error = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (error == 0) error = posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  if (error == 0) error = posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  bool started = false;
  if (error == 0) {
    std::vector<char *> argv = pointersTo(arguments);
    std::vector<char *> envp = pointersTo(environment);
    error = posix_spawnp(pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    started = error == 0;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (!started) {
    close(pipeFds[0]);
    return error == ENOENT ? NOT_INSTALLED : SPAWN_FAILED;
  }
  *outputFd = pipeFds[0];
  return SPAWNED;
}

// Reads the chooser's output until it closes it, handling the main window's
// events in between. A close request ends the chooser and is put back in the
// queue for the main loop.
ChooserEnd waitForChooser(pid_t pid, int outputFd, std::string *output) {
  bool closeRequested = false;
  bool readFailed = false;
  bool fitted = false;
  const Uint32 started = SDL_GetTicks();
  Uint32 lastLook = started - FIT_INTERVAL_MILLISECONDS;
  for (;;) {
    const Uint32 now = SDL_GetTicks();
    if (!fitted && now - started < FIT_PERIOD_MILLISECONDS && now - lastLook >= FIT_INTERVAL_MILLISECONDS) {
      lastLook = now;
      fitted = fitChooserWindow(pid);
    }
    pollfd readable{outputFd, POLLIN, 0};
    const int ready = poll(&readable, 1, POLL_MILLISECONDS);
    if (ready > 0) {
      char buffer[1024];
      const ssize_t got = read(outputFd, buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0 && errno != EINTR && errno != EAGAIN) {
        readFailed = true;
        break;
      }
      if (got > 0 && output->size() < OUTPUT_LIMIT) output->append(buffer, static_cast<size_t>(got));
    } else if (ready < 0 && errno != EINTR) {
      readFailed = true;
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
  // Its answer can no longer be read whole: the chooser must not be waited
  // for while the window stands still.
  if (readFailed) kill(pid, SIGTERM);

  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (closeRequested) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    return CHOOSER_CLOSED;
  }
  // Without the chooser's status there is no telling a choice from a failure.
  if (waited != pid || readFailed || !WIFEXITED(status)) return CHOOSER_FAILED;
  if (WEXITSTATUS(status) == 0) return CHOOSER_CONFIRMED;
  if (WEXITSTATUS(status) == CHOOSER_CANCEL_STATUS) return CHOOSER_CANCELLED;
  return CHOOSER_FAILED;
}

// Copies the chosen file's name, as the chooser printed it, into path (all
// zero bytes on entry), or tells the user why it cannot be the chosen file.
// zenity prints "(null)" for a name it cannot show; both choosers print
// absolute paths, anything else is not a file they chose.
bool acceptAnswer(std::string answer, bool fromZenity, char *path) {
  if (!answer.empty() && answer.back() == '\n') answer.pop_back();
  std::string name = answer;
  const bool usable = !answer.empty() && answer[0] == '/' && answer.find('\0') == std::string::npos;
  if (!usable || (fromZenity && !fromZenityEncoding(answer, &name))) {
    showErrorBox(UNUSABLE_ANSWER_MESSAGE, CHOOSER_ERROR_HEADING);
    return false;
  }
  if (name.size() > static_cast<size_t>(SAVE_PATH_SIZE - 1)) {
    showErrorBox(CHOSEN_PATH_TOO_LONG_MESSAGE, CHOOSER_ERROR_HEADING);
    return false;
  }
  std::memcpy(path, name.data(), name.size());
  return true;
}

// Runs the chooser (zenity, or kdialog when zenity is missing) for a file of
// the kind asked for.
bool chooseFile(const ChooserKind &kind, char *path) {
  const std::string windowId = x11WindowId();
  pid_t pid = 0;
  int outputFd = -1;
  bool fromZenity = true;
  SpawnResult result = spawnChooser(zenityArguments(kind, windowId), zenityEnvironment(), &pid, &outputFd);
  if (result == NOT_INSTALLED) {
    // Qt reads and prints file names in the locale's own encoding, so
    // kdialog's answer is already the file's name: it keeps the locale.
    fromZenity = false;
    result = spawnChooser(kdialogArguments(kind, windowId), currentEnvironment(), &pid, &outputFd);
  }
  if (result == NOT_INSTALLED) {
    showErrorBox(NOT_INSTALLED_MESSAGE, CHOOSER_ERROR_HEADING);
    return false;
  }
  if (result == SPAWN_FAILED) {
    showErrorBox(CHOOSER_FAILED_MESSAGE, CHOOSER_ERROR_HEADING);
    return false;
  }

  std::string output;
  switch (waitForChooser(pid, outputFd, &output)) {
    case CHOOSER_CONFIRMED:
      return acceptAnswer(output, fromZenity, path);
    case CHOOSER_FAILED:
      showErrorBox(CHOOSER_FAILED_MESSAGE, CHOOSER_ERROR_HEADING);
      return false;
    case CHOOSER_CANCELLED:
    case CHOOSER_CLOSED:
      return false;
  }
  return false;
}

}  // namespace

bool platformChooseSavegame(char *path) { return chooseFile(SAVEGAME_CHOOSER, path); }

bool platformChoosePicture(char *path) { return chooseFile(PICTURE_CHOOSER, path); }

namespace {

// The question in an SDL box, where zenity is missing.
bool askInSdlBox(const char *caption, const char *text) {
  // No first: Return and Escape both answer it, so a key pressed in haste
  // never says yes.
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
      {0, 1, "Yes"},
  };
  const SDL_MessageBoxData box = {SDL_MESSAGEBOX_INFORMATION, sdlMainWindow(), caption, text, 2, buttons, nullptr};
  const int queuedBefore = sdlQueuedEventCount();
  int answer = 0;
  const int shown = SDL_ShowMessageBox(&box, &answer);
  sdlDropInputQueuedSince(queuedBefore);
  if (shown != 0) std::fprintf(stderr, "%s: %s (no box could ask: taken as No)\n", caption, text);
  return shown == 0 && answer == 1;
}

}  // namespace

// zenity asks, as it chooses files: the window keeps being redrawn meanwhile,
// and its buttons take Alt+Y and Alt+N.
bool platformAskQuestion(const char *caption, const char *text) {
  const std::string windowId = x11WindowId();
  std::vector<std::string> arguments = {"zenity", "--question", "--modal", "--default-cancel", "--no-wrap",
                                        "--ok-label=_Yes", "--cancel-label=_No"};
  if (!windowId.empty()) arguments.push_back("--attach=" + windowId);
  arguments.push_back(std::string("--title=") + caption);
  arguments.push_back(std::string("--text=") + text);
  pid_t pid = 0;
  int outputFd = -1;
  const SpawnResult result = spawnChooser(arguments, zenityEnvironment(), &pid, &outputFd);
  if (result != SPAWNED) return askInSdlBox(caption, text);
  std::string output;
  return waitForChooser(pid, outputFd, &output) == CHOOSER_CONFIRMED;
}
