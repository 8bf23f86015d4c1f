#!/usr/bin/python3
"""The Linux viewer's sharing under Xvfb: --share draws a QR code that reads
back (zbarimg) as the address the viewer prints, and that address serves the
page and the shown save; 'Q' hides the code and shows it again. Every wait is
for what the screen or the server shows.

usage: viewer_share_test.py PACKAGE_VIEWER MAKE_TEST_SAVE
"""
import os, re, shutil, signal, subprocess, sys, tempfile, time, urllib.request

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
save = os.path.join(work, "slot1.b")
subprocess.run([MAKE_SAVE, save, "154:100,200,5", "127:-300,400,0"], check=True)

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
viewer = subprocess.Popen([VIEWER, "--share", "--site", site, save], stdout=subprocess.PIPE, env=environment,
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
    shared = wait_for(lambda: urllib.request.urlopen(local + "save", timeout=20).read(), "save served")
    if shared != open(save, "rb").read():
        failures.append("the save served is not the file")

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
