#!/usr/bin/python3
# The web page end to end, in a real headless chromium driven through
# chromedriver: the site served on 127.0.0.1 by this script, savegames written
# by the Linux build's make-test-save, and the Linux program's own pictures of
# the same scenes (package-tool render) as the reference. Every wait is on a
# condition the page shows.
#   page_e2e.py SITE PACKAGE_TOOL MAKE_TEST_SAVE [unittest arguments]
import base64
import collections
import http.server
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

# What serve keeps between runs (the sharing address) goes to folders of the
# test's own, never the machine's.
KEPT_FOLDERS = tempfile.mkdtemp(prefix='page-e2e-home-')
os.environ['XDG_CONFIG_HOME'] = os.path.join(KEPT_FOLDERS, 'config')
os.environ['XDG_DATA_HOME'] = os.path.join(KEPT_FOLDERS, 'data')

SITE = PACKAGE_TOOL = MAKE_TEST_SAVE = None  # set from the command line
# The bundled pictures, as the Linux program reads them; the site ships them
# compressed.
ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'assets')
# Asked for first, for a host's own pictures; a site without them answers 404.
HOST_PICTURES = {'THmap.bmp', 'font.bmp'}
WIDTH, HEIGHT = 640, 480
PANEL_LEFT = WIDTH - 168
WAIT_SECONDS = 30

# A package below, inside and above the heights that choose its shape, one
# far off the map's centre, and two rampages.
PICKUPS = ['154:-1200,900,5', '154:300,-400,12', '154:1500,1500,40', '154:-100,-1700,15',
           '127:800,200,0', '127:-1600,-1100,30']


class Server:
    """The site on 127.0.0.1, recording every path asked for; paths in
    `missing` answer 404."""

    def __init__(self, folder, port=0):
        self.requests = []
        self.bytes_sent = 0
        self.missing = set()
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=folder, **kwargs)

            def do_GET(self):
                server.requests.append(self.path)
                if self.path.lstrip('/') in server.missing:
                    self.send_error(404)
                    return
                super().do_GET()

            def copyfile(self, source, output):
                # Every byte of a file sent, counted (304s and errors send none).
                data = source.read()
                server.bytes_sent += len(data)
                output.write(data)

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(('127.0.0.1', port), Handler)
        self.url = 'http://127.0.0.1:%d/' % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def start_browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for argument in ('--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--disable-background-networking',
                     '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic',
                     '--user-data-dir=' + profile):
        options.add_argument(argument)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                           {'width': WIDTH, 'height': HEIGHT, 'deviceScaleFactor': 1, 'mobile': False})
    return driver


def wait_for(condition, what):
    deadline = time.monotonic() + WAIT_SECONDS
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError('timed out waiting for ' + what)
        time.sleep(0.02)


class Picture:
    """RGB rows, top row first."""

    def __init__(self, rgb, width=WIDTH, height=HEIGHT):
        assert len(rgb) == width * height * 3, len(rgb)
        self.rgb, self.width, self.height = rgb, width, height

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def points(self, test, left=0, right=None):
        right = self.width if right is None else right
        return {(x, y) for y in range(self.height) for x in range(left, right) if test(self.pixel(x, y))}


def is_map(p):
    # Anything but the background (0.05, 0.05, 0.1) left of the panel.
    return abs(p[0] - 13) + abs(p[1] - 13) + abs(p[2] - 26) > 6


def is_text(p):
    return min(p) > 160


def is_red(p):
    return p[0] > 200 and p[1] < 60 and p[2] < 60


def is_dim_red(p):
    """A collected package's outline: red at a third of its brightness."""
    return 70 < p[0] < 100 and p[1] < 30 and p[2] < 30


def is_green(p):
    return p[1] > 200 and p[0] < 60 and p[2] < 60


def same_text(web, linux, left=PANEL_LEFT, right=WIDTH, rows=lambda y: True):
    """The glyphs read back as their white pixels: the same characters at the
    same places. Filtering may move a glyph's edge by a pixel here and there
    (no more than 6 in any 8 x 8 block, as measured); a different character
    differs by far more than 10 pixels in some 8 x 8 block."""
    ours = {p for p in web.points(is_text, left, right) if rows(p[1])}
    theirs = {p for p in linux.points(is_text, left, right) if rows(p[1])}
    blocks = collections.Counter((x // 8, y // 8) for x, y in ours ^ theirs)
    return theirs and max(blocks.values(), default=0) <= 10


def bounds(points):
    xs = [x for x, _ in points]
    ys = [y for _, y in points]
    return min(xs), min(ys), max(xs), max(ys)


def projected(x, y, camera=(0.0, 0.0), zoom=4.0):
    """The pixel a savegame point lands on, as the desktop's projection puts it."""
    f = 1.0 / math.tan(math.radians(15.0))
    sx = (x * 0.0005 + camera[0]) * f / (WIDTH / HEIGHT) / zoom
    sy = (y * 0.0005 + camera[1]) * f / zoom
    return (sx + 1) * WIDTH / 2, (1 - sy) * HEIGHT / 2


class WebPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp()
        cls.server = Server(SITE)
        cls.driver = start_browser(os.path.join(cls.work, 'profile'))

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.httpd.shutdown()
        shutil.rmtree(cls.work, ignore_errors=True)

    # The page and its pictures.

    def load(self):
        self.server.requests.clear()
        self.driver.get_log('browser')
        self.driver.get(self.server.url)
        # Two frames: the picture has settled (see the page's start-up frames).
        self.wait_frames(2)
        # The service worker has kept the site's files by now.
        self.driver.execute_async_script('navigator.serviceWorker.ready.then(() => arguments[0]())')
        self.loaded_requests = self.site_requests()

    def site_requests(self):
        """Requests for the site's files, but for the browser's look at the
        service worker, which it makes whenever it likes."""
        return len([path for path in self.server.requests if path != '/service-worker.js'])

    def frames(self):
        return self.driver.execute_script('return window.packageViewer ? window.packageViewer.frames : 0')

    def wait_frames(self, count):
        wait_for(lambda: self.frames() >= count, '%d frames' % count)

    def after_next_frame(self, script, *args):
        """Runs script in the page, then waits until a frame has been drawn after it."""
        before = self.frames()
        self.driver.execute_script(script, *args)
        self.wait_frames(before + 1)

    def canvas(self):
        data = self.driver.execute_script('''
            const canvas = document.getElementById('canvas');
            const copy = document.createElement('canvas');
            copy.width = canvas.width; copy.height = canvas.height;
            const context = copy.getContext('2d');
            context.drawImage(canvas, 0, 0);
            const rgba = context.getImageData(0, 0, copy.width, copy.height).data;
            let text = '';
            for (let i = 0; i < rgba.length; i += 4) text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
            return [btoa(text), copy.width, copy.height];''')
        return Picture(base64.b64decode(data[0]), data[1], data[2])

    def reference(self, *arguments, size=(WIDTH, HEIGHT)):
        """The Linux program's picture of the same scene (640 x 480 unless told)."""
        png = os.path.join(self.work, 'reference.png')
        subprocess.run([PACKAGE_TOOL, 'render', *arguments, png, '--size', '%dx%d' % size], check=True, cwd=ASSETS)
        rgb = subprocess.run(['convert', png, '-depth', '8', 'rgb:-'], check=True, capture_output=True).stdout
        return Picture(rgb, *size)

    def save(self, name, pickups):
        path = os.path.join(self.work, name)
        subprocess.run([MAKE_TEST_SAVE, path, *pickups], check=True)
        with open(path, 'rb') as file:
            return path, file.read()

    # Keys, as the window's events deliver them: down and up in one task, so a
    # tap is one step whatever the frame timing (taps between two frames count
    # once, as on the desktop: each waits for its frame).
    def tap(self, code, key, times=1):
        for _ in range(times):
            self.after_next_frame('''
                window.dispatchEvent(new KeyboardEvent('keydown', {code: arguments[0], key: arguments[1]}));
                window.dispatchEvent(new KeyboardEvent('keyup', {code: arguments[0], key: arguments[1]}));''',
                                  code, key)

    def box(self):
        """(caption, text) of the open box, or None."""
        return self.driver.execute_script('''
            const box = document.getElementById('box');
            return box.open ? [document.getElementById('box-caption').textContent,
                               document.getElementById('box-text').textContent] : null;''')

    def close_box(self):
        self.driver.find_element(By.ID, 'box-ok').click()
        wait_for(lambda: self.box() is None, 'the box to close')

    def drop(self, *saves):
        """Drops files holding the given bytes on the page, in that order."""
        self.driver.execute_script('''
            const transfer = new DataTransfer();
            for (const [i, data] of arguments[0].entries()) {
              const bytes = Uint8Array.from(atob(data), c => c.charCodeAt(0));
              transfer.items.add(new File([bytes], 'dropped' + i + '.b'));
            }
            document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true, cancelable: true}));''',
                                   [base64.b64encode(data).decode() for data in saves])

    def choose(self, path):
        before = self.frames()
        self.driver.find_element(By.ID, 'file').send_keys(path)
        wait_for(lambda: self.frames() > before or self.box(), 'the chosen save')

    # Comparisons with the Linux program's picture.

    def assert_map_matches(self, web, linux):
        left_of_panel = web.width - (WIDTH - PANEL_LEFT)
        self.assertEqual(bounds(web.points(is_map, right=left_of_panel)), bounds(linux.points(is_map, right=left_of_panel)))

    def assert_text_matches(self, web, linux, left=PANEL_LEFT, right=WIDTH):
        self.assertTrue(same_text(web, linux, left, right), 'text differs')

    def assert_markers_match(self, web, linux, test):
        ours, theirs = web.points(test, right=PANEL_LEFT), linux.points(test, right=PANEL_LEFT)
        self.assertTrue(theirs)
        self.assertLessEqual(len(ours ^ theirs), len(theirs) // 10, 'markers differ')

    def assert_no_foreign_requests(self):
        # Nothing refused by the page's policy or failed on the way.
        errors = [entry['message'] for entry in self.driver.get_log('browser') if entry['level'] == 'SEVERE'
                  and not any('/%s - ' % name in entry['message'] and '404' in entry['message']
                              for name in HOST_PICTURES)]
        self.assertEqual(errors, [])
        own = set(os.listdir(SITE)) | HOST_PICTURES
        for path in self.server.requests:
            self.assertIn(path.lstrip('/') or 'index.html', own)
        entries = self.driver.execute_script(
            'return performance.getEntriesByType("resource").map(e => e.name)')
        for name in entries:
            self.assertTrue(name.startswith(self.server.url), name)

    # The tests.

    def test_first_frame_is_the_linux_programs(self):
        self.load()
        self.assertEqual(self.driver.execute_script('return [canvas.width, canvas.height]'), [WIDTH, HEIGHT])
        web, linux = self.canvas(), self.reference()
        self.assert_map_matches(web, linux)
        self.assert_text_matches(web, linux)
        # Every pixel within a small step of the Linux program's (the two
        # renderers filter the textures a little differently).
        differences = [max(abs(a - b) for a, b in zip(web.rgb[i:i + 3], linux.rgb[i:i + 3]))
                       for i in range(0, len(web.rgb), 3)]
        self.assertLessEqual(max(differences), 40)
        self.assertLess(sum(1 for d in differences if d > 8), len(differences) // 1000)
        self.assertEqual(self.box(), None)

    def test_saves_open_from_the_input_and_a_drop_and_keep_their_lists_on_a_damaged_one(self):
        self.load()
        path, _ = self.save('slot1.b', PICKUPS)
        self.choose(path)
        if os.environ.get('WEB_SCREENSHOT'):
            # The README's picture of the page (WEB_SCREENSHOT=docs/web-screenshot.png).
            self.driver.save_screenshot(os.environ['WEB_SCREENSHOT'])
        web, linux = self.canvas(), self.reference(path)
        self.assert_text_matches(web, linux)  # the counts: 4 packages, 2 rampages
        self.assert_markers_match(web, linux, is_red)
        self.assert_markers_match(web, linux, is_green)
        for pickup in PICKUPS:
            x, y = (float(v) for v in pickup.split(':')[1].split(',')[:2])
            px, py = projected(x, y)
            test = is_red if pickup.startswith('154') else is_green
            # Markers are about 4 pixels across: one of their pixels within 2.
            near = [web.pixel(round(px) + dx, round(py) + dy) for dx in range(-2, 3) for dy in range(-2, 3)]
            self.assertTrue(any(test(p) for p in near), pickup)

        # A damaged save: the desktop's box, word for word, and the lists stay.
        damaged, data = self.save('damaged.b', PICKUPS[:2])
        with open(damaged, 'wb') as file:
            file.write(data[:-10])
        self.choose(damaged)
        self.assertEqual(self.box(), ['KZR Package Viewer', 'Error ! : The savegame is truncated or damaged !'])
        # While the box is open the canvas takes no keys.
        self.driver.execute_script('''window.dispatchEvent(new KeyboardEvent('keydown', {code: 'KeyH', key: 'h'}));
                                      window.dispatchEvent(new KeyboardEvent('keyup', {code: 'KeyH', key: 'h'}));''')
        self.close_box()
        self.after_next_frame('window.dispatchEvent(new Event("resize"))')
        self.assertEqual(self.canvas().rgb, web.rgb)

        # A save dropped on the page opens as if chosen.
        dropped, data = self.save('dropped.b', PICKUPS[2:])
        before = self.frames()
        self.drop(data)
        wait_for(lambda: self.frames() > before, 'the dropped save')
        web, linux = self.canvas(), self.reference(dropped)
        self.assert_text_matches(web, linux)
        self.assert_markers_match(web, linux, is_red)
        self.assert_no_foreign_requests()
        self.assertEqual(self.site_requests(), self.loaded_requests, 'requests after loading')

    def test_a_drop_of_several_files_opens_the_first(self):
        self.load()
        first, data1 = self.save('first.b', PICKUPS[:2])
        _, data2 = self.save('second.b', PICKUPS)
        self.drop(data1, data2)
        self.assert_shows(first)

    def test_the_same_file_chosen_again_is_read_again(self):
        self.load()
        path, _ = self.save('again.b', PICKUPS[:2])
        self.choose(path)
        self.assert_shows(path)
        self.save('again.b', PICKUPS)  # the game saved over it
        self.choose(path)
        self.assert_shows(path)

    def test_the_toolbar_stands_over_the_map_on_a_desktop(self):
        """On a wide window the toolbar stands in the strip left of the map:
        each button is what a click at its centre reaches."""
        self.load()
        hidden = self.driver.execute_script('''
            return [...document.querySelectorAll('#toolbar button')].filter(button => {
              const box = button.getBoundingClientRect();
              return !button.contains(document.elementFromPoint(box.x + box.width / 2, box.y + box.height / 2));
            }).map(button => button.textContent);''')
        self.assertEqual(hidden, [])

    def test_keys_wheel_help_and_information_act_as_on_the_desktop(self):
        self.load()
        self.tap('ArrowLeft', 'ArrowLeft', 10)
        self.tap('KeyW', 'w', 4)
        camera = (10 * 0.005, -4 * 0.005)
        self.assert_map_matches(self.canvas(), self.reference('--camera', '%g,%g' % camera))
        self.tap('NumpadAdd', '+', 3)
        self.tap('Equal', '=', 2)
        self.tap('Minus', '-')
        self.assert_map_matches(self.canvas(), self.reference('--camera', '%g,%g' % camera, '--zoom', '3.6'))
        # One zoom step per wheel event, however far it turns.
        self.after_next_frame('''document.getElementById('canvas').dispatchEvent(
            new WheelEvent('wheel', {deltaY: 1000, bubbles: true, cancelable: true}));''')
        self.assert_map_matches(self.canvas(), self.reference('--camera', '%g,%g' % camera, '--zoom', '3.5'))

        self.tap('KeyH', 'h')
        web = self.canvas()
        # The help page's first lines, in its 560-pixel background, but for
        # the line of escape, which the page does not offer.
        left, right = WIDTH // 2 - 280, WIDTH // 2 + 280
        desktop = self.reference('--camera', '%g,%g' % camera, '--zoom', '3.5', '--help-page')
        self.assertTrue(same_text(web, desktop, left, right, lambda y: y < 256 or 288 <= y < 304), 'text differs')
        self.assertTrue({p for p in desktop.points(is_text, left, right) if 256 <= p[1] < 272})
        self.assertFalse({p for p in web.points(is_text, left, right) if 256 <= p[1] < 272}, 'escape offered')
        self.tap('KeyH', 'h')
        bottom_left = dict(left=0, right=PANEL_LEFT)
        info = lambda picture: {p for p in picture.points(is_text, **bottom_left) if p[1] > HEIGHT - 40}
        self.assertFalse(info(self.canvas()))
        self.tap('KeyI', 'i')
        self.assertTrue(info(self.canvas()))
        self.tap('KeyI', 'i')
        self.assertFalse(info(self.canvas()))

        # Escape leaves the page as it is.
        before = self.canvas().rgb
        self.tap('Escape', 'Escape')
        self.tap('KeyD', 'd')
        self.assertNotEqual(self.canvas().rgb, before, 'the page still answers after escape')
        self.assert_no_foreign_requests()

    def test_drags_and_a_resized_window_act_as_on_the_desktop(self):
        self.load()
        # A finger drags the map with it: the map point under it stays under
        # it. The left button drags the map against the motion by 1/128 of a
        # unit a pixel, as on the desktop. A drag is applied while held.
        touch = '''function touch(type, x, y) {
              const point = new Touch({identifier: 1, target: canvas, clientX: x, clientY: y});
              canvas.dispatchEvent(new TouchEvent(type, {touches: type == 'touchend' ? [] : [point],
                  changedTouches: [point], bubbles: true, cancelable: true}));
            }'''
        self.after_next_frame(touch + "touch('touchstart', 300, 200); touch('touchmove', 340, 232);")
        self.after_next_frame(touch + "touch('touchend', 340, 232);")
        per_pixel = 2 * math.tan(math.radians(15.0)) * 4.0 / HEIGHT
        camera = (40 * per_pixel, -32 * per_pixel)
        self.assert_map_matches(self.canvas(), self.reference('--camera', '%.6f,%.6f' % camera))
        self.assertEqual([round(c) for c in projected(0, 0, camera)], [WIDTH // 2 + 40, HEIGHT // 2 + 32])
        mouse = '''function mouse(type, x, y) {
              (type == 'mousedown' ? canvas : window).dispatchEvent(
                  new MouseEvent(type, {clientX: x, clientY: y, button: 0, bubbles: true}));
            }'''
        self.after_next_frame(mouse + "mouse('mousedown', 300, 200); mouse('mousemove', 260, 168);")
        self.after_next_frame(mouse + "mouse('mouseup', 260, 168);")
        camera = (camera[0] + 40 / 128, camera[1] - 32 / 128)
        self.assert_map_matches(self.canvas(), self.reference('--camera', '%.6f,%.6f' % camera))

        # The canvas fills the window, in CSS pixels, as a window's client area.
        try:
            before = self.frames()
            self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                                        {'width': 800, 'height': 600, 'deviceScaleFactor': 1, 'mobile': False})
            wait_for(lambda: self.frames() > before and self.canvas().width == 800, 'the resized canvas')
            web, linux = self.canvas(), self.reference('--camera', '%.6f,%.6f' % camera, size=(800, 600))
            self.assertEqual(web.height, 600)
            self.assert_map_matches(web, linux)
            self.assert_text_matches(web, linux, 800 - 168, 800)
        finally:
            self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                                        {'width': WIDTH, 'height': HEIGHT, 'deviceScaleFactor': 1, 'mobile': False})

    def test_a_missing_picture_gives_its_box_and_the_map_is_drawn_untextured(self):
        self.server.missing = {'THmap.bmp.gz'}
        try:
            # Not from an earlier test's cache, nor its service worker's: the
            # page must ask for it.
            self.driver.get(self.server.url)
            self.driver.execute_async_script('''const done = arguments[0];
                navigator.serviceWorker.getRegistrations()
                  .then(all => Promise.all(all.map(r => r.unregister())))
                  .then(() => caches.keys()).then(keys => Promise.all(keys.map(k => caches.delete(k))))
                  .then(() => done());''')
            self.driver.execute_cdp_cmd('Network.clearBrowserCache', {})
            self.server.requests.clear()
            self.driver.get(self.server.url)
            wait_for(self.box, 'the box')
            self.assertEqual(self.box(), ['Error', 'Failed to open DIB file THmap.bmp.\n'])
            self.close_box()
            self.wait_frames(1)
            self.assertEqual(self.canvas().pixel(200, 240), (255, 255, 255))
        finally:
            self.server.missing = set()

    # A save in the browser's Origin Private File System, given to the page
    # as its file picker would give it ('O'): a real handle the test rewrites.
    WRITE_FOLLOWED = '''
        const done = arguments[arguments.length - 1];
        (async () => {
          const folder = await navigator.storage.getDirectory();
          const handle = await folder.getFileHandle('follow.b', {create: true});
          const writable = await handle.createWritable();
          await writable.write(Uint8Array.from(atob(arguments[0]), c => c.charCodeAt(0)));
          await writable.close();
          window.followHandle = handle;
        })().then(() => done(null), error => done(String(error)));'''

    def write_followed(self, data):
        self.assertIsNone(self.driver.execute_async_script(self.WRITE_FOLLOWED, base64.b64encode(data).decode()))

    def follow(self, data):
        if not self.driver.execute_script('return !!(navigator.storage && navigator.storage.getDirectory)'):
            self.skipTest('no Origin Private File System in this browser')
        self.write_followed(data)
        self.driver.execute_script('window.showOpenFilePicker = async () => [window.followHandle];')
        self.tap('KeyO', 'o')

    def test_a_save_opened_through_its_handle_is_followed(self):
        self.load()
        first, data1 = self.save('first.b', PICKUPS[:3])
        second, data2 = self.save('second.b', PICKUPS)
        self.follow(data1)
        self.assert_shows(first)

        self.write_followed(data2)
        self.assert_shows(second)

        # A cut-short file: no box, the last good lists stay (and with nothing
        # changed, no frame is drawn), and the good file that follows is read.
        shown = self.canvas().rgb
        self.write_followed(data1[:300])
        looks, frames = self.driver.execute_script('return window.packageViewer.looks'), self.frames()
        wait_for(lambda: self.driver.execute_script('return window.packageViewer.looks') >= looks + 2, 'two looks')
        self.assertIsNone(self.box())
        self.assertEqual(self.frames(), frames)
        self.assertEqual(self.canvas().rgb, shown)
        # The markers the good file no longer holds were collected: they stay
        # drawn, hollow, beside the live ones.
        self.write_followed(data1)
        self.assert_shows(first, collected=True)

    def test_a_reload_that_failed_is_tried_again_though_the_file_stays_the_same(self):
        self.load()
        first, data1 = self.save('first.b', PICKUPS[:3])
        second, data2 = self.save('second.b', PICKUPS)
        self.follow(data1)
        self.assert_shows(first)
        # The next read of the changed file fails once, as one made while the
        # game is still writing would; the file does not change again.
        self.driver.execute_script('''
            const reload = Module._webReloadSave;
            window.failedReloads = 0;
            Module._webReloadSave = function() {
              Module._webReloadSave = reload;
              window.failedReloads++;
              return 0;
            };''')
        self.write_followed(data2)
        self.assert_shows(second)
        self.assertEqual(self.driver.execute_script('return window.failedReloads'), 1)

    def test_a_page_served_by_package_tool_shows_and_follows_the_save(self):
        first, data1 = self.save('served.b', PICKUPS[:3])
        _, data2 = self.save('served-next.b', PICKUPS)
        serve = subprocess.Popen([PACKAGE_TOOL, 'serve', first, '--port', '0', '--site', SITE],
                                 stdout=subprocess.PIPE, cwd=SITE)
        try:
            address = serve.stdout.readline().decode().strip()
            self.driver.get(address)
            # The save shows without any action, and the page says it follows.
            self.assert_shows(first)
            self.assertEqual(self.driver.find_element(By.ID, 'share-status').text, 'Live from the PC')
            # Each rewrite reaches the page's picture.
            took = []
            for round in range(20):
                frames = self.frames()
                written = time.monotonic()
                with open(first, 'wb') as file:
                    file.write(data2 if round % 2 == 0 else data1)
                self.wait_frames(frames + 1)
                took.append((time.monotonic() - written) * 1000)
            took.sort()
            print('figure: write to the served page\'s new frame, median %.0f ms, worst %.0f ms of 20'
                  % ((took[9] + took[10]) / 2, took[-1]), file=sys.stderr)
            # It ends on the first version: what the second held is collected.
            self.assert_shows(first, collected=True)

            # The PC goes away: the page says so; back on the same address,
            # the page follows it again by itself.
            status = lambda: self.driver.find_element(By.ID, 'share-status').text
            serve.terminate()
            serve.wait()
            serve.stdout.close()
            wait_for(lambda: status().startswith('Lost the PC'), 'the lost PC said')
            port = address.split(':')[2].split('/')[0]
            serve = subprocess.Popen([PACKAGE_TOOL, 'serve', first, '--port', port, '--site', SITE],
                                     stdout=subprocess.PIPE, cwd=SITE)
            serve.stdout.readline()
            wait_for(lambda: status() == 'Live from the PC', 'live again')
            with open(first, 'wb') as file:
                file.write(data2)
            self.assert_shows(first)
        finally:
            serve.terminate()
            serve.wait()
            serve.stdout.close()

    def test_a_shared_page_reads_again_when_shown_and_names_a_new_code(self):
        """A phone suspends a hidden page, which misses the events sent
        meanwhile: shown again, the page fetches the save anyway. A server
        shared on the network and started again has a new token: the page
        says that its code must be scanned again."""
        first, data1 = self.save('shared.b', PICKUPS[:3])
        _, data2 = self.save('shared-next.b', PICKUPS)
        # The page's event streams, for the test to stop listening to one.
        keeper = self.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': """
            const Original = window.EventSource;
            window.eventStreams = [];
            window.EventSource = function(url) { const s = new Original(url); window.eventStreams.push(s); return s; };
            Object.assign(window.EventSource, {CONNECTING: 0, OPEN: 1, CLOSED: 2});"""})
        serve = None
        start = lambda port, *more: subprocess.Popen(
            [PACKAGE_TOOL, 'serve', first, '--lan', '--port', port, '--site', SITE, *more],
            stdout=subprocess.PIPE, cwd=SITE)
        try:
            serve = start('0')
            lan, port, token = re.fullmatch(r'http://([0-9.]+):(\d+)(/[0-9a-f]{32}/)',
                                            serve.stdout.readline().decode().strip()).groups()
            local = 'http://127.0.0.1:%s%s' % (port, token)
            self.driver.get(local)
            self.assert_shows(first)
            # Hidden: the events are missed. The server has the new version...
            self.driver.execute_script('const s = window.eventStreams[window.eventStreams.length - 1];'
                                       'window.missed = s.onmessage; s.onmessage = null;')
            with open(first, 'wb') as file:
                file.write(data2)
            wait_for(lambda: urllib.request.urlopen(local + 'save', timeout=WAIT_SECONDS).read() == data2,
                     'the new version served')
            # ...and the page, shown again, reads it.
            self.driver.execute_script("document.dispatchEvent(new Event('visibilitychange'))")
            self.assert_shows(first)

            status = lambda: self.driver.find_element(By.ID, 'share-status').text
            serve.terminate()
            serve.wait()
            serve.stdout.close()
            wait_for(lambda: status().startswith('Lost the PC'), 'the lost PC said')
            # Restarted with a new address: the old one is refused.
            serve = start(port, '--new-address')
            serve.stdout.readline()
            wait_for(lambda: 'scan the new code' in status(), 'the new code asked for')
        finally:
            self.driver.execute_cdp_cmd('Page.removeScriptToEvaluateOnNewDocument', keeper)
            if serve:
                serve.terminate()
                serve.wait()
                serve.stdout.close()

    def test_a_served_page_says_what_it_waits_for_shows_and_follows(self):
        """Waiting in an empty folder, the save's name and time once there is
        one, a new slot announced; a save of the device's own stops the
        following until the page is asked to go back to the PC's."""
        folder = os.path.join(self.work, 'slots')
        os.makedirs(folder)
        serve = subprocess.Popen([PACKAGE_TOOL, 'serve', folder, '--port', '0', '--site', SITE],
                                 stdout=subprocess.PIPE, cwd=SITE)
        text = lambda name: self.driver.find_element(By.ID, name).text
        # The events the page is sent, counted as they arrive.
        keeper = self.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': """
            const Original = window.EventSource;
            window.eventsSeen = 0;
            window.EventSource = function(url) {
              const s = new Original(url);
              s.addEventListener('message', () => window.eventsSeen++);
              return s;
            };
            Object.assign(window.EventSource, {CONNECTING: 0, OPEN: 1, CLOSED: 2});"""})
        try:
            self.driver.get(serve.stdout.readline().decode().strip())
            wait_for(lambda: text('share-status') == "Waiting for the game's first save in " + folder, 'waiting')
            _, data1 = self.save('slot1.b', PICKUPS[:3])
            with open(os.path.join(folder, 'slot1.b'), 'wb') as file:
                file.write(data1)
            self.assert_shows(os.path.join(folder, 'slot1.b'))
            self.assertEqual(text('share-status'), 'Live from the PC')
            self.assertRegex(text('save-status'), r'^slot1\.b, \d\d:\d\d$')
            slot2, data2 = self.save('slot2.b', PICKUPS)
            with open(os.path.join(folder, 'slot2.b'), 'wb') as file:
                file.write(data2)
            wait_for(lambda: text('news') == 'Now showing slot2.b', 'the new slot said')
            self.assert_shows(slot2)

            mine, data3 = self.save('mine.b', PICKUPS[:1])
            self.drop(data3)
            self.assert_shows(mine)
            wait_for(lambda: text('share-status').startswith('Not following the PC'), 'the following stopped')
            # The PC's next save does not replace the device's own...
            seen = self.driver.execute_script('return window.eventsSeen')
            with open(os.path.join(folder, 'slot2.b'), 'wb') as file:
                file.write(data1)
            wait_for(lambda: self.driver.execute_script('return window.eventsSeen') > seen, 'the next event')
            self.assert_shows(mine)
            # ...until the page goes back to it.
            self.driver.find_element(By.ID, 'back-to-pc').click()
            self.assert_shows(os.path.join(folder, 'slot2.b'))
            self.assertEqual(text('share-status'), 'Live from the PC')
        finally:
            self.driver.execute_cdp_cmd('Page.removeScriptToEvaluateOnNewDocument', keeper)
            serve.terminate()
            serve.wait()
            serve.stdout.close()

    def assert_shows(self, save, collected=False):
        linux = self.reference(save)
        wait_for(lambda: same_text(self.canvas(), linux), 'the counts of ' + os.path.basename(save))
        if not collected:
            self.assert_markers_match(self.canvas(), linux, is_red)
            return
        ours, theirs = self.canvas().points(is_red, right=PANEL_LEFT), linux.points(is_red, right=PANEL_LEFT)
        self.assertLessEqual(len(theirs - ours), len(theirs) // 10, 'live markers missing')
        self.assertFalse(linux.points(is_dim_red, right=PANEL_LEFT))
        self.assertTrue(self.canvas().points(is_dim_red, right=PANEL_LEFT), 'no collected outlines')

if __name__ == '__main__':
    SITE, PACKAGE_TOOL, MAKE_TEST_SAVE = (os.path.abspath(path) for path in sys.argv[1:4])
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
