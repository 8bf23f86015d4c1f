#!/usr/bin/python3
"""package-tool.exe serve under wine, at 127.0.0.1 only: the page found in the
`web` folder beside the program (as in the players' zip) and served byte for
byte, the save equal to the file, an event after each rewrite in place (the
time it took printed as a figure, never asserted), the --lan address with its
token and QR code, kept in %APPDATA% from one start to the next until
--new-address, the player's map kept there handed out, a port in use, no
site, and Ctrl+C ending it with status 0.
    serve_wine_test.py WINE_RUN PREFIX TOOL.exe MAKE_SAVE.exe SITE WORK
SITE is the page scripts/web builds (build/web/site); without it the test is
skipped (status 77). Exit status 0 passed, 1 failed."""
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from share_client import Events, get  # noqa: E402

WINE_RUN, PREFIX, TOOL, MAKE_SAVE, SITE, WORK = [os.path.abspath(a) for a in sys.argv[1:7]]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def wine(*arguments):
    return subprocess.run([WINE_RUN, PREFIX, *arguments], capture_output=True, cwd=WORK)


def make_save(path, *pickups):
    wine(MAKE_SAVE, path, *pickups).check_returncode()
    return open(os.path.join(WORK, path), "rb").read()


class Server:
    """package-tool.exe serve, started by wine itself rather than through
    WINE_RUN, so that a SIGINT reaches wine, which hands it to the program as
    Ctrl+C. WINE_RUN has made the prefix by then. Wine ends a program that
    does not take Ctrl+C itself with status 0 as well, but says so on stderr
    on its console channel, which is left on."""

    def __init__(self, *arguments):
        environment = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all,fixme+console",
                           WINEDLLOVERRIDES="mscoree,mshtml=")
        self.process = subprocess.Popen(["wine", program, "serve", *arguments], cwd=WORK, env=environment,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.address = self.line()
        match = re.fullmatch(r"http://([0-9.]+):(\d+)(/[0-9a-f]*/?)", self.address)
        if not match:
            self.process.kill()
            sys.exit("FAIL: the first line is no address: %r (stderr: %r)" % (self.address, self.stop()[1]))
        self.host, self.port, self.base = match.group(1), int(match.group(2)), match.group(3)

    def line(self):
        return self.process.stdout.readline().decode("utf-8", "replace").rstrip("\r\n")

    def get(self, name, path=None):
        return get(self.port, self.base + name if path is None else path)

    def stop(self):
        """Ctrl+C; (status, stderr)."""
        self.process.send_signal(signal.SIGINT)
        status = self.process.wait(timeout=60)
        self.process.stdout.close()
        error = self.process.stderr.read().decode().replace("\r", "")
        self.process.stderr.close()
        return status, error


def refused(*arguments):
    """(status, stderr lines) of a serve that must not start."""
    run = wine(program, "serve", *arguments)
    return run.returncode, run.stderr.decode().replace("\r", "").splitlines()


if not os.path.isfile(os.path.join(SITE, "index.html")):
    print("SKIP: no web page at %s: scripts/web builds it" % SITE)
    sys.exit(77)

shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(os.path.join(WORK, "program"))
program = os.path.join(WORK, "program", "package-tool.exe")
shutil.copy(TOOL, program)
shutil.copytree(SITE, os.path.join(WORK, "program", "web"))
page = open(os.path.join(SITE, "index.html"), "rb").read()
versions = [make_save("version%d.b" % n, "154:%d,2,3" % n, "127:4,5,%d" % n) for n in range(6)]
shutil.copy(os.path.join(WORK, "version0.b"), os.path.join(WORK, "game.b"))
# The player's own folder in the prefix, where the viewer keeps an aligned map
# and the sharing address.
appdata = wine("cmd", "/c", "echo %APPDATA%").stdout.decode().strip()
kept = os.path.join(PREFIX, "drive_c", *re.sub(r"^[A-Za-z]:\\", "", appdata).split("\\"), "KZR Package Viewer")
os.makedirs(kept, exist_ok=True)
kept_map = os.path.join(kept, "THmap.bmp")
open(kept_map, "wb").write(b"BMkept")

server = Server("game.b", "--port", "0")
check(server.host == "127.0.0.1" and server.base == "/", "without --lan: 127.0.0.1 and no token")
check([server.line(), server.line()] == ["Following game.b", "Ctrl+C stops sharing"],
      "what it follows and how to stop it")
check(server.get("THmap.bmp")[1] == b"BMkept", "the map kept in %APPDATA% handed out")
os.remove(kept_map)  # the prefix's other tests start the viewer
response, body = server.get("")
check(response.status == 200 and body.replace(b'\n<meta name="shared-save" content="save events">', b"") == page
      and body != page, "the page from web\\ beside the program, marked as sharing a save")
for name in sorted(set(os.listdir(SITE)) - {"index.html"}):
    check(server.get(name)[1] == open(os.path.join(SITE, name), "rb").read(), "%s served byte for byte" % name)
response, body = server.get("save")
check(response.status == 200 and body == versions[0], "save is the file's bytes")

events = Events(server.port, server.base)
check(events.wait_for(1, timeout=30), "a new stream hears of the save at once")
latencies = []
for n in range(1, len(versions)):
    with open(os.path.join(WORK, "game.b"), "r+b") as save:  # rewritten in place, as the game does
        written = time.monotonic()
        save.write(versions[n])
        save.truncate()
    arrived = events.wait_for(1 + n, timeout=30)
    check(arrived, "an event after rewrite %d" % n)
    if arrived:
        latencies.append((events.arrived[n] - written) * 1000)
    check(server.get("save")[1] == versions[n], "save is rewrite %d's bytes" % n)
if latencies:
    print("figure: write to event under wine, median %.0f ms, worst %.0f ms of %d" %
          (statistics.median(latencies), max(latencies), len(latencies)))

status, lines = refused("game.b", "--port", str(server.port))
check(status == 1 and lines == ["package-tool serve: port %d is in use: --port 0 takes any free one" % server.port],
      "a port in use: one line and status 1, not %d %r" % (status, lines))
status, error = server.stop()
check(status == 0 and error == "", "Ctrl+C ends serve with status 0, not %d %r" % (status, error))

lan = Server("game.b", "--port", "0", "--lan")
token = lan.base.strip("/")
check(re.fullmatch(r"[0-9a-f]{32}", token) is not None, "--lan: a 128-bit token as the address's first segment")
qr = [lan.line() for _ in range(8)]
check(all(re.fullmatch("[ \u2580\u2584\u2588]{25,}", row) for row in qr[:8]), "--lan: a QR code follows: %r" % qr)
check(lan.get("save")[1] == versions[-1], "--lan: the save under the token at 127.0.0.1")
check(lan.get("", "/save")[0].status == 403, "--lan: no token, 403")
check(lan.stop()[0] == 0, "Ctrl+C ends serve --lan with status 0")
check(open(os.path.join(kept, "share-token")).read().strip() == token, "the token kept in %APPDATA%")
again = Server("game.b", "--port", "0", "--lan")
check(again.base == lan.base, "a restart keeps the address")
again.stop()
renewed = Server("game.b", "--port", "0", "--lan", "--new-address")
response, body = renewed.get("", "/%s/" % token)
check(renewed.base != lan.base and response.status == 403 and b"no longer shared" in body,
      "--new-address: a new token; the old one is told it is no longer shared")
renewed.stop()

os.makedirs(os.path.join(WORK, "empty"))
status, lines = refused("game.b", "--port", "0", "--site", "empty")
check(status == 1 and len(lines) == 1 and "scripts/web" in lines[0], "no site: one line naming scripts/web")
status, lines = refused("absent.b", "--port", "0")
check(status == 1 and lines == ["package-tool serve: absent.b: cannot be opened as a save"],
      "a save that cannot be opened: one line and status 1, not %d %r" % (status, lines))

print("package-tool.exe serve: %s" % ("%d failed" % len(failures) if failures else "all checks passed"))
sys.exit(1 if failures else 0)
