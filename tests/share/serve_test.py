#!/usr/bin/python3
"""package-tool serve on 127.0.0.1: what it serves, what it follows, what it
refuses, and how it holds up under load and hostile clients. Prints the
figures it measured; asserts only what arrives, never a time.

usage: serve_test.py PACKAGE_TOOL MAKE_TEST_SAVE
"""
import gzip, os, queue, re, signal, socket, stat, statistics, subprocess, sys, tempfile, threading, time
import http.client

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from share_client import Events, get

TOOL, MAKE_SAVE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
work = tempfile.mkdtemp(prefix="serve-test-")
# The player's folders are the test's own: the kept address and the map
# aligned in the viewer live there.
for variable, folder in (("HOME", "home"), ("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data")):
    os.environ[variable] = os.path.join(work, folder)
TOKEN_FILE = os.path.join(work, "config", "package-viewer", "share-token")
USER_MAP = os.path.join(work, "data", "package-viewer", "THmap.bmp")
SITE = {"index.html": b"<!doctype html><head><title>page</title>", "page.css": b"body{}",
        "package-viewer.js": b"// program\n" * 200000, "font.bmp": b"BMfont", "THmap.bmp": b"BMmap"}
SECRET = b"outside-the-list-0451"
# The player's own map picture, in the working directory, where the viewer
# would take it from.
OWN_MAP = b"BMown"
failures = []
# Seconds a connection has to send its request head (share_server.h).
SHARE_HEAD_SECONDS = 10


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def make_save(path, *pickups):
    subprocess.run([MAKE_SAVE, path, *pickups], check=True)


def site_folder():
    site = os.path.join(work, "site")
    os.makedirs(site, exist_ok=True)
    for name, data in SITE.items():
        open(os.path.join(site, name), "wb").write(data)
    # Beside the site and in it, under names no request may reach.
    open(os.path.join(work, "secret.txt"), "wb").write(SECRET)
    open(os.path.join(site, "notes.txt"), "wb").write(SECRET)
    open(os.path.join(work, "THmap.bmp"), "wb").write(OWN_MAP)
    return site


class Server:
    def __init__(self, target, *options, cwd=None):
        self.process = subprocess.Popen([TOOL, "serve", target, "--port", "0", "--site", site_folder(), *options],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=cwd or work)
        # Lines are read by a thread of their own, so that a line that never
        # comes fails the test rather than hanging it.
        self.lines = queue.Queue()
        self.reader = threading.Thread(target=lambda: [self.lines.put(line) for line in self.process.stdout])
        self.reader.start()
        self.address = self.line().strip()
        match = re.fullmatch(r"http://[0-9.]+:(\d+)(/[0-9a-f]*/?)", self.address)
        assert match, "first line is no address: %r" % self.address
        self.port, self.base = int(match.group(1)), match.group(2)

    def get(self, name, method="GET", base=None, headers=None):
        return get(self.port, (self.base if base is None else base) + name, method, headers)

    def line(self):
        try:
            return self.lines.get(timeout=20).decode().rstrip("\n")
        except queue.Empty:
            return "(no line)"

    def rss_kib(self, field="VmRSS"):
        for line in open("/proc/%d/status" % self.process.pid):
            if line.startswith(field + ":"):
                return int(line.split()[1])

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        status = self.process.wait(timeout=30)
        self.reader.join()
        self.process.stdout.close()
        self.process.stderr.close()
        return status


def wait_until(condition, tries=400):
    for _ in range(tries):
        if condition():
            return True
        time.sleep(0.025)
    return False


def test_serves_and_follows():
    save = os.path.join(work, "one.b")
    make_save(save, "154:1,2,3", "127:4,5,6")
    server = Server(save)
    check([server.line(), server.line()] == ["Following " + save, "Ctrl+C stops sharing"],
          "serve says what it follows and how to stop it")
    for name, data in SITE.items():
        response, body = server.get(name)
        if name == "THmap.bmp":
            data = OWN_MAP
        if name == "index.html":
            data = data.replace(b"<head>", b'<head>\n<meta name="shared-save" content="save events">')
        check(response.status == 200 and body == data, "site file %s served" % name)
    response, body = server.get("")
    check(body == server.get("index.html")[1], "the base path serves the page")
    # Compressed for a browser that takes gzip, as it is for one that does not.
    script = SITE["package-viewer.js"]
    for accepted, packed in (("gzip, deflate, br", True), (None, False)):
        response, body = server.get("package-viewer.js", headers={"Accept-Encoding": accepted} if accepted else None)
        gzipped = response.getheader("Content-Encoding") == "gzip"
        same = (gzip.decompress(body) if gzipped else body) == script
        check(same and gzipped == packed and response.getheader("Vary") == "Accept-Encoding" and
              (not packed or len(body) < len(script) / 10),
              "package-viewer.js with Accept-Encoding %r: gzip %s" % (accepted, packed))
        # Asked again with its tag (as the page's service worker does): 304.
        again, body = server.get("package-viewer.js", headers=dict(
            {"If-None-Match": response.getheader("ETag")}, **({"Accept-Encoding": accepted} if accepted else {})))
        check(again.status == 304 and body == b"" and again.getheader("ETag") == response.getheader("ETag"),
              "asked with its tag: 304, not %d" % again.status)
    # The player's own map: from the folder serve starts in first, then from
    # the folder the viewer keeps an aligned map in; never the program's
    # bundled copy (the same picture as the page's own, 100 times the size of
    # its compressed one).
    os.makedirs(os.path.join(work, "elsewhere"), exist_ok=True)
    os.makedirs(os.path.dirname(USER_MAP), exist_ok=True)
    for folder, kept, served in (("elsewhere", False, SITE["THmap.bmp"]), ("elsewhere", True, b"BMkept"),
                                 (".", True, OWN_MAP)):
        if kept:
            open(USER_MAP, "wb").write(b"BMkept")
        elsewhere = Server(save, cwd=os.path.join(work, folder))
        check(elsewhere.get("THmap.bmp")[1] == served, "map started in %s, one kept: %s" % (folder, kept))
        elsewhere.stop()
    os.remove(USER_MAP)
    response, body = server.get("save")
    check(body == open(save, "rb").read(), "save is the file's bytes")
    check(response.getheader("Cache-Control") == "no-store", "save is not to be kept")
    head, head_body = server.get("save", "HEAD")
    check(head.status == 200 and head_body == b"" and head.getheader("Content-Length") == str(len(body)),
          "HEAD of save: the head alone")

    events = Events(server.port, server.base)
    check(events.wait_for(1), "a new stream hears of the save at once")
    latencies = []
    for round in range(20):
        written = time.monotonic()
        make_save(save, "154:%d,2,3" % (round + 10))  # rewritten in place
        check(events.wait_for(2 + round), "event after a rewrite in place")
        latencies.append((events.arrived[-1] - written) * 1000)
    print("figure: write to event, median %.1f ms, worst %.1f ms of 20" % (statistics.median(latencies),
                                                                           max(latencies)))
    check(server.get("save")[1] == open(save, "rb").read(), "save follows the rewrites")

    # A new version renamed onto the name, as editors and some games write.
    make_save(save + ".new", "154:7,7,7")
    os.rename(save + ".new", save)
    check(events.wait_for(22), "event after a rename onto the save")
    good = open(save, "rb").read()
    check(server.get("save")[1] == good, "save is the renamed version")

    # A damaged (half-written) version is never sent and raises no event.
    open(save, "wb").write(good[: len(good) // 2])
    torn = [server.get("save")[1] for _ in range(60) if not time.sleep(0.025)]
    check(all(body == good for body in torn) and len(events.data) == 22, "a torn save is never sent")
    check(server.stop() == 0, "SIGTERM ends serve with status 0")


def test_folder():
    folder = os.path.join(work, "saves")
    os.makedirs(folder)
    server = Server(folder)
    check([server.line() for _ in range(3)] == ["Following the newest save in " + folder, "Ctrl+C stops sharing",
                                                "Waiting for the first save in " + folder],
          "serve says which folder it follows and that it waits")
    response, _ = server.get("save")
    check(response.status == 404, "save is 404 before the game's first save")
    events = Events(server.port, server.base)
    first = os.path.join(folder, "GTASAsf1.b")
    make_save(first, "154:1,1,1")
    check(events.wait_for(1), "event for a folder's first save")
    check(server.get("save")[1] == open(first, "rb").read(), "a folder's first save served")
    second = os.path.join(folder, "GTASAsf2.b")
    make_save(second, "127:2,2,2")
    later = time.time() + 5
    os.utime(second, (later, later))
    check(events.wait_for(2), "event when another slot becomes the newest")
    check(server.get("save")[1] == open(second, "rb").read(), "the newest slot is followed")
    check(events.data[-1][1] == events.data[0][1] + 1, "another slot is opened afresh")
    make_save(second, "127:3,3,3")
    check(events.wait_for(3) and events.data[-1][1] == events.data[1][1], "a slot's next version is no fresh open")
    server.stop()


def read_terminal_code(server):
    """The QR code serve printed after its address, as rows of '1' (dark) and
    '0' (light) modules; each line must set both its colours itself."""
    lines = []
    while (len(lines) < 3 or lines[-1].strip()) and len(lines) < 100:
        lines.append(server.line())
    pixels = []
    for line in [line for line in lines if line.strip()]:
        check(line.startswith("\x1b[30;107m") and line.endswith("\x1b[0m"), "each row sets black on white: %r" % line)
        line = re.sub("\x1b\\[[0-9;]*m", "", line)
        pixels += ["".join("1" if c in "\u2588\u2580" else "0" for c in line),
                   "".join("1" if c in "\u2588\u2584" else "0" for c in line)]
    return pixels


def decode_code(pixels):
    """What zbarimg reads in the code, scaled up 4 times as a PBM (1 is black)."""
    pbm = os.path.join(work, "code.pbm")
    with open(pbm, "w") as out:
        width = len(pixels[0]) * 4
        out.write("P1\n%d %d\n" % (width, len(pixels) * 4))
        for row in pixels:
            out.write(("".join(c * 4 for c in row.ljust(len(pixels[0]), "0")) + "\n") * 4)
    return subprocess.run(["zbarimg", "--raw", "-q", pbm], capture_output=True, text=True).stdout.strip()


def test_lan_token():
    save = os.path.join(work, "lan.b")
    make_save(save, "154:1,2,3")
    server = Server(save, "--lan")
    token = server.base.strip("/")
    check(re.fullmatch(r"[0-9a-f]{32}", token) is not None, "--lan: a 128-bit token as the first segment")
    check(server.get("save")[0].status == 200, "--lan: the save under the token")
    for path, method in [("/", "GET"), ("/save", "GET"), ("/" + token[:-1] + ("1" if token[-1] == "0" else "0") + "/save", "GET"),
                         ("/" + token + "x/save", "GET"), ("/" + token.upper() + "/", "GET"),
                         ("/x/" + token + "/save", "GET"), ("/save", "POST"), ("/", "DELETE")]:
        check(server.get("", method, path)[0].status == 403, "wrong token %s %s: 403" % (method, path))
    check(server.get("save", "PUT")[0].status == 405, "right token, bad method: 405")
    # Whatever their body: its length given, chunked, or none.
    for request in ("POST %ssave HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello",
                    "PUT %ssave HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
                    "DELETE %ssave HTTP/1.1\r\nHost: x\r\n\r\n"):
        reply = raw_exchange(server.port, (request % server.base).encode())
        check(reply.startswith(b"HTTP/1.1 405"), "405 for %r, not %r" % (request[:30], reply[:12]))
    response, _ = server.get("", "GET", "/" + token)
    check(response.status == 301 and response.getheader("Location") == "/" + token + "/", "/TOKEN redirects")
    # The printed code reads back as the address.
    decoded = decode_code(read_terminal_code(server))
    check(decoded == server.address, "the terminal's QR code reads %r, printed %r" % (decoded, server.address))
    server.stop()

    # The address is kept, owner-only, from one start to the next, until
    # --new-address replaces it; the old one is then told it is no longer
    # shared.
    check(open(TOKEN_FILE).read().strip() == token and stat.S_IMODE(os.stat(TOKEN_FILE).st_mode) == 0o600,
          "the token kept owner-only")
    again = Server(save, "--lan")
    check(again.base == server.base, "a restart keeps the address (its port aside: any free one here)")
    again.stop()
    renewed = Server(save, "--lan", "--new-address")
    check(renewed.base.strip("/") not in ("", token), "--new-address makes a new token")
    response, body = renewed.get("", base="/%s/" % token)
    check(response.status == 403 and response.getheader("Content-Type").startswith("text/html") and
          b"no longer shared" in body and b"code on the PC" in body, "the old address: 403 and a page that says so")
    renewed.stop()


def raw_exchange(port, data, close_early=False):
    with socket.create_connection(("127.0.0.1", port), timeout=20) as connection:
        connection.sendall(data)
        if close_early:
            return b""
        # Nothing more will come: the server answers, then hangs up (a head
        # it refuses may have been answered and hung up on already).
        try:
            connection.shutdown(socket.SHUT_WR)
        except OSError:
            pass
        received = b""
        while True:
            chunk = connection.recv(65536)
            if not chunk:
                return received
            received += chunk


def status_line(port, path):
    """The first bytes of the answer to a GET, however long its body runs."""
    with socket.create_connection(("127.0.0.1", port), timeout=20) as connection:
        connection.sendall(("GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % path).encode())
        return connection.recv(12)


def cut_within(connection, seconds):
    """Whether the server hangs up on a silent connection within `seconds`."""
    connection.settimeout(seconds)
    try:
        return connection.recv(100) == b""
    except (socket.timeout, BlockingIOError):
        return False


def test_hostile():
    save = os.path.join(work, "hostile.b")
    make_save(save, "154:1,2,3")
    server = Server(save, "--lan")
    token = server.base
    paths = ["../secret.txt", "..%2fsecret.txt", "..%2Fsecret.txt", "%2e%2e/secret.txt", "%2e%2e%2fsecret.txt",
             "..%252fsecret.txt", "..\\secret.txt", "..%5csecret.txt", "%c0%ae%c0%ae/secret.txt",
             "notes.txt", "./notes.txt", "/notes.txt", "%6eotes.txt", "index.html/../notes.txt",
             "save/../../secret.txt", "..;/secret.txt", "events/..", work + "/secret.txt"]
    requests = []
    for path in paths:
        requests += [("GET %s%s HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n" % (token, path)).encode(),
                     ("GET %s HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n" % path).encode()]
    requests += [("GET http://127.0.0.1%s../secret.txt HTTP/1.1\r\nHost: x\r\n\r\n" % token).encode(),
                 ("GET %s HTTP/1.1\r\nHost: x\r\nX: %s\r\n\r\n" % (token, "a" * 9000)).encode(),
                 ("TRACE %s HTTP/1.1\r\nHost: x\r\n\r\n" % token).encode(),
                 ("POST %ssave HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello" % token).encode(),
                 b"GARBAGE\r\n\r\n", b"\x00\xff\r\n\r\n", b"GET / HTTP/9.9\r\n\r\n",
                 ("GET %spackage-viewer.js HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n" % token).encode()]
    baseline = None
    statuses = {}
    lock = threading.Lock()

    def worker(start):
        for i in range(start, 10000, 8):
            request = requests[i % len(requests)]
            try:
                reply = raw_exchange(server.port, request, close_early=i % 7 == 0 or b"viewer.js" in request)
            except OSError:
                continue
            check(SECRET not in reply, "no file outside the list: %r" % request[:80])
            status = reply[9:12].decode(errors="replace")
            with lock:
                statuses[status] = statuses.get(status, 0) + 1

    # Clients that vanish mid-response: a big answer asked for and never read.
    requests += [("GET %spackage-viewer.js HTTP/1.1\r\nHost: x\r\n\r\n" % token).encode()] * 4
    server.get("package-viewer.js")
    baseline = server.rss_kib()
    threads = [threading.Thread(target=worker, args=(n,)) for n in range(8)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    check(raw_exchange(server.port, ("GET %s HTTP/1.1\r\nHost: x\r\nX: %s\r\n\r\n" % (token, "a" * 9000)).encode())
          .startswith(b"HTTP/1.1 431"), "a head over 8 KiB: 431")
    after = server.rss_kib()
    print("figure: hostile run, statuses %s, RSS %d KiB before, %d KiB after" % (statuses, baseline, after))
    check(after - baseline < 5 * 1024, "memory flat after 10,000 hostile requests")

    # A slow sender is cut once its time for the head is up.
    slow = socket.create_connection(("127.0.0.1", server.port), timeout=30)
    slow.sendall(("GET %s HTTP/1.1\r\n" % token).encode())
    started = time.monotonic()
    check(slow.recv(100) == b"", "a client that never ends its head is cut")
    print("figure: slow sender cut after %.1f s" % (time.monotonic() - started))
    check(server.get("save")[0].status == 200, "still serving after the hostile run")
    check(server.stop() == 0, "no crash in the hostile run")


def test_load_and_streams():
    save = os.path.join(work, "load.b")
    make_save(save, "154:1,2,3")
    server = Server(save)
    # Streams up to their own bound (48, below the 64 connections): all told
    # of a change; one more is refused, and the page is still answered.
    streams = [Events(server.port, server.base) for _ in range(48)]
    check(all(stream.wait_for(1) for stream in streams), "48 streams answered")
    make_save(save, "154:9,9,9")
    check(all(stream.wait_for(2) for stream in streams), "48 event streams all told of one change")
    check(status_line(server.port, server.base + "events").startswith(b"HTTP/1.1 503"),
          "a stream beyond the bound: 503")
    started = time.monotonic()
    check(server.get("page.css")[0].status == 200, "the page answered beside 48 streams")
    beside_streams = time.monotonic() - started
    for stream in streams:
        # Shut down first: a close alone waits for the reading thread's recv.
        stream.socket.shutdown(socket.SHUT_RDWR)
        stream.socket.close()
    check(wait_until(lambda: server.get("save")[0].status == 200), "streams let go")

    # 64 connections that say nothing fill the server: a new one takes the
    # place of the oldest, and the rest are cut sooner than the usual 10 s.
    idle = [socket.create_connection(("127.0.0.1", server.port)) for _ in range(64)]
    started = time.monotonic()
    waiting = socket.create_connection(("127.0.0.1", server.port), timeout=20)
    waiting.sendall(("GET %spage.css HTTP/1.1\r\nHost: x\r\n\r\n" % server.base).encode())
    check(waiting.recv(100).startswith(b"HTTP/1.1 200"), "a 65th connection is served while 64 are silent")
    beside_silent = time.monotonic() - started
    check(cut_within(idle[0], 1), "the oldest silent connection gave way")
    check(not cut_within(idle[1], 0), "the others wait on")
    check(cut_within(idle[1], SHARE_HEAD_SECONDS - 2), "while full, a silent connection is cut sooner")
    print("figure: the page answered %.0f ms after 64 silent sockets, %.0f ms beside 48 streams" % (
        beside_silent * 1000, beside_streams * 1000))
    for connection in idle + [waiting]:
        connection.close()

    times, errors, lock = [], [], threading.Lock()

    def client():
        connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=60)
        mine = []
        for i in range(100):
            started = time.monotonic()
            try:
                connection.request("GET", server.base + ("save" if i % 2 else "page.css"))
                response = connection.getresponse()
                response.read()
                if response.status != 200:
                    raise OSError("status %d" % response.status)
            except (OSError, http.client.HTTPException) as error:
                with lock:
                    errors.append(repr(error))
                connection.close()
                connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=60)
                continue
            mine.append(time.monotonic() - started)
        with lock:
            times.extend(mine)

    threads = [threading.Thread(target=client) for _ in range(100)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    check(not errors, "100 clients x 100 requests without error: %s" % errors[:3])
    times.sort()
    if times:
        print("figure: load p50 %.2f ms, p99 %.2f ms, peak RSS %d KiB" % (
            times[len(times) // 2] * 1000, times[int(len(times) * 0.99)] * 1000, server.rss_kib("VmHWM")))
    server.stop()


def test_refusals():
    save = os.path.join(work, "busy.b")
    make_save(save, "154:1,2,3")
    server = Server(save)
    second = subprocess.run([TOOL, "serve", save, "--port", str(server.port), "--site", site_folder()],
                            capture_output=True, text=True, timeout=30)
    check(second.returncode == 1 and second.stdout == "" and len(second.stderr.splitlines()) == 1
          and "in use" in second.stderr and "--port 0" in second.stderr,
          "a port in use: one line that suggests --port 0, status 1: %r" % second.stderr)
    server.stop()
    missing = subprocess.run([TOOL, "serve", os.path.join(work, "none.b"), "--port", "0", "--site", site_folder()],
                             capture_output=True, text=True, timeout=30)
    check(missing.returncode == 1 and len(missing.stderr.splitlines()) == 1, "a save that cannot be opened")
    nosite = subprocess.run([TOOL, "serve", save, "--port", "0", "--site", os.path.join(work, "nowhere")],
                            capture_output=True, text=True, timeout=30)
    check(nosite.returncode == 1 and "scripts/web" in nosite.stderr and len(nosite.stderr.splitlines()) == 1,
          "no site: says scripts/web builds it")


for test in [test_serves_and_follows, test_folder, test_lan_token, test_refusals, test_load_and_streams,
             test_hostile]:
    print("--", test.__name__, flush=True)
    test()
print("%d failures" % len(failures))
sys.exit(1 if failures else 0)
