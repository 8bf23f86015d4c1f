#!/usr/bin/python3
"""The Linux viewer's sharing under Xvfb: --share draws a QR code that reads
back (zbarimg) as the address the viewer prints, and that address serves the
page and the shown save: the viewer follows a folder, empty at first, so the
save it shares is one that comes later, and then another slot the game
writes. 'Q' hides the code and shows it again. Every wait is for what the
screen or the server shows.

usage: viewer_share_test.py PACKAGE_VIEWER MAKE_TEST_SAVE
"""
import os, re, shutil, signal, subprocess, sys, tempfile, time, urllib.error, urllib.request

VIEWER, MAKE_SAVE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
for tool in ("Xvfb", "xdotool", "import", "zbarimg"):
    if not shutil.which(tool):
        print("SKIPPED: %s is not installed (scripts/install-deps test installs it)" % tool)
        sys.exit(77)
work = tempfile.mkdtemp(prefix="viewer-share-")
site = os.path.join(work, "site")
os.makedirs(site)
PAGE = b"<!doctype html><head><title>shared page</title>"
open(os.path.join(site, "index.html"), "wb").write(PAGE)
saves = os.path.join(work, "saves")
os.makedirs(saves)

display_file = os.path.join(work, "display")
with open(display_file, "w") as out:
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=out, stderr=subprocess.DEVNULL)


def wait_for(condition, what, tries=600):
    for _ in range(tries):
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise SystemExit("FAIL: no " + what)


display = wait_for(lambda: open(display_file).read().strip(), "X display")
environment = dict(os.environ, DISPLAY=":" + display)
viewer = subprocess.Popen([VIEWER, "--share", "--site", site, saves], stdout=subprocess.PIPE, env=environment,
                          cwd=work)
failures = []
try:
    address = viewer.stdout.readline().decode().strip()
    match = re.fullmatch(r"http://[0-9.]+:(\d+)(/[0-9a-f]{32}/)", address)
    if not match:
        raise SystemExit("FAIL: the viewer printed no address: %r" % address)

    def code_on_screen():
        shot = os.path.join(work, "screen.png")
        subprocess.run(["import", "-window", "root", shot], env=environment, check=True)
        return subprocess.run(["zbarimg", "--raw", "-q", shot], capture_output=True, text=True).stdout.strip()

    decoded = wait_for(code_on_screen, "QR code on the screen", tries=200)
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
    for name, pickups, seconds_ago in [("slot1.b", ["154:100,200,5", "127:-300,400,0"], 10),
                                       ("slot2.b", ["154:10,20,5"], 0)]:
        save = os.path.join(saves, name)
        subprocess.run([MAKE_SAVE, save + ".tmp"] + pickups, check=True)
        os.utime(save + ".tmp", (time.time() - seconds_ago,) * 2)
        os.rename(save + ".tmp", save)
        wanted = open(save, "rb").read()
        wait_for(lambda: served() == wanted, "%s served" % name)

    window = wait_for(lambda: subprocess.run(["xdotool", "search", "--name", "Package Viewer"], env=environment,
                                             capture_output=True, text=True).stdout.split(), "window")[0]
    # Without a window manager the window takes the keys once it has the focus.
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=environment, check=True)
    subprocess.run(["xdotool", "key", "q"], env=environment, check=True)
    wait_for(lambda: code_on_screen() == "", "code hidden after 'Q'", tries=200)
    subprocess.run(["xdotool", "key", "q"], env=environment, check=True)
    if wait_for(code_on_screen, "code shown again after 'Q'", tries=200) != address:
        failures.append("the code shown again reads another address")
    print("served at", address)
finally:
    viewer.send_signal(signal.SIGTERM)
    viewer.wait(timeout=30)
    xvfb.terminate()
    xvfb.wait()
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
