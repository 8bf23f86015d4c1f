"""A client of the share server for the tests of package-tool serve, on Linux
and under wine: plain requests and an event stream whose data lines a thread
collects."""
import re
import socket
import threading
import time
import http.client


def get(port, path, method="GET", headers=None):
    """(response, body) of one request to 127.0.0.1:port."""
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=20)
    connection.request(method, path, headers=headers or {})
    response = connection.getresponse()
    body = response.read()
    connection.close()
    return response, body


class Events:
    """One event stream from base + "events"; data holds each event's
    (version, openings), arrived the monotonic time each came."""

    def __init__(self, port, base):
        self.socket = socket.create_connection(("127.0.0.1", port), timeout=30)
        self.socket.sendall(("GET %sevents HTTP/1.1\r\nHost: x\r\n\r\n" % base).encode())
        self.data, self.arrived, self.changed = [], [], threading.Condition()
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        pending = b""
        while True:
            try:
                chunk = self.socket.recv(4096)
            except OSError:
                return
            if not chunk:
                return
            pending += chunk
            for version, openings in re.findall(rb"^data: (\d+) (\d+)$", pending, re.M)[len(self.data):]:
                with self.changed:
                    self.data.append((int(version), int(openings)))
                    self.arrived.append(time.monotonic())
                    self.changed.notify_all()

    def wait_for(self, count, timeout=20):
        with self.changed:
            return self.changed.wait_for(lambda: len(self.data) >= count, timeout=timeout)
