#!/usr/bin/python3
"""The viewer's sharing under Xvfb, the Linux program or the Windows one under
wine: --share draws a QR code that reads back (zbarimg) as the page's address
(the one the Linux viewer prints), and that address serves the page and the
shown save: the viewer follows a folder, empty at first, so the save it shares
is one that comes later, and then another slot the game writes. 'Q' hides the
code and shows it again. The site and the saves lie in folders with spaces in
their names. Every wait is for what the screen or the server shows.

usage: viewer_share_test.py PACKAGE_VIEWER MAKE_TEST_SAVE [WINE_RUN WINE_PREFIX]
"""
import os, re, shutil, signal, subprocess, sys, tempfile, time, urllib.error, urllib.request

VIEWER, MAKE_SAVE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
WINE = [os.path.abspath(sys.argv[3]), os.path.abspath(sys.argv[4])] if len(sys.argv) > 4 else []
for tool in ("Xvfb", "xdotool", "import", "zbarimg") + (("wine", "wineserver") if WINE else ()):
    if not shutil.which(tool):
        print("SKIPPED: %s is not installed (scripts/install-deps test installs it)" % tool)
        sys.exit(77)
work = tempfile.mkdtemp(prefix="viewer-share-")


def program_path(path):
    """A path as the program takes it: wine's drive Z: is the root."""
    return "Z:" + path.replace("/", "\\") if WINE else path


site = os.path.join(work, "web site")
os.makedirs(site)
PAGE = b"<!doctype html><head><title>shared page</title>"
open(os.path.join(site, "index.html"), "wb").write(PAGE)
saves = os.path.join(work, "My Saves")
os.makedirs(saves)

display_file = os.path.join(work, "display")
with open(display_file, "w") as out:
    # -noreset: wine's programs come and go as X clients; a server that
    # resets when the last one goes refuses the next meanwhile.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                             "-noreset"], stdout=out, stderr=subprocess.DEVNULL)


def wait_for(condition, what, tries=600):
    for _ in range(tries):
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise SystemExit("FAIL: no " + what)


display = wait_for(lambda: open(display_file).read().strip(), "X display")
# The save writer runs on the display too: wine's programs of one prefix
# share one session, which takes the display of the first.
# The player's folders are the test's own: the viewer keeps its sharing
# address there.
environment = dict(os.environ, DISPLAY=":" + display, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_DATA_HOME=os.path.join(work, "data"))
if WINE:
    # The prefix made, on first use, before the viewer's start is waited for.
    subprocess.run(WINE + ["cmd", "/c", "exit"], env=environment, check=True)
viewer = subprocess.Popen(WINE + [VIEWER, "--share", "--site", program_path(site), program_path(saves)],
                          stdout=subprocess.DEVNULL if WINE else subprocess.PIPE, env=environment, cwd=work)
failures = []
try:
    def code_on_screen():
        shot = os.path.join(work, "screen.png")
        subprocess.run(["import", "-window", "root", shot], env=environment, check=True)
        return subprocess.run(["zbarimg", "--raw", "-q", shot], capture_output=True, text=True).stdout.strip()

    # The Windows program has no terminal to print to: its address is the
    # one its code reads as.
    address = "" if WINE else viewer.stdout.readline().decode().strip()
    decoded = wait_for(code_on_screen, "QR code on the screen", tries=600 if WINE else 200)
    address = address or decoded
    match = re.fullmatch(r"http://[0-9.]+:(\d+)(/[0-9a-f]{32}/)", address)
    if not match:
        raise SystemExit("FAIL: the viewer shared no address: %r" % address)
    if decoded != address:
        failures.append("the code reads %r, the viewer printed %r" % (decoded, address))
    local = "http://127.0.0.1:%s%s" % match.groups()
    page = urllib.request.urlopen(local, timeout=20).read()
    if b"shared page" not in page:
        failures.append("the address serves no page")

    def served():
        try:
            return urllib.request.urlopen(local + "save", timeout=20).read()
        except urllib.error.HTTPError as error:
            return error.code

    if served() != 404:
        failures.append("an empty folder's save is not 404")
    # The game's first save, then another slot: each is shared in turn.
    for name, pickups, seconds_ago in [("slot 1.b", ["154:100,200,5", "127:-300,400,0"], 10),
                                       ("slot2.b", ["154:10,20,5"], 0)]:
        save = os.path.join(saves, name)
        subprocess.run(WINE + [MAKE_SAVE, program_path(save + ".tmp")] + pickups, check=True,
                       stdout=subprocess.DEVNULL, env=environment)
        os.utime(save + ".tmp", (time.time() - seconds_ago,) * 2)
        os.rename(save + ".tmp", save)
        wanted = open(save, "rb").read()
        wait_for(lambda: served() == wanted, "%s served" % name)

    window = wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Package Viewer"],
                                             env=environment, capture_output=True, text=True).stdout.split(),
                      "window")[0]
    # Without a window manager the window takes the keys once it has the focus.
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=environment, check=True)
    subprocess.run(["xdotool", "key", "q"], env=environment, check=True)
    wait_for(lambda: code_on_screen() == "", "code hidden after 'Q'", tries=200)
    subprocess.run(["xdotool", "key", "q"], env=environment, check=True)
    if wait_for(code_on_screen, "code shown again after 'Q'", tries=200) != address:
        failures.append("the code shown again reads another address")
    print("served at", address)
    if WINE:
        # Escape ends the program, the sharing with it.
        subprocess.run(["xdotool", "key", "Escape"], env=environment, check=True)
        try:
            viewer.wait(timeout=60)
        except subprocess.TimeoutExpired:
            failures.append("the viewer did not end on Escape while sharing")
finally:
    if viewer.poll() is None:
        viewer.send_signal(signal.SIGTERM)
    if WINE:
        # Every program of the test's own prefix, before its display goes:
        # wine-run's shell does not pass the signal on.
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=WINE[1]))
    viewer.wait(timeout=30)
    xvfb.terminate()
    xvfb.wait()
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
