#!/usr/bin/python3
# The page on an emulated phone (390 x 844 CSS pixels, device pixel ratio 3,
# touch) in headless chromium: real touch events through the DevTools
# protocol, the toolbar, the compact picture, the list and the spoken line.
#   phone_e2e.py SITE PACKAGE_TOOL MAKE_TEST_SAVE [unittest arguments]
import collections
import gzip
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

import page_e2e
from page_e2e import Picture, Server, is_green, is_map, is_red, is_text, wait_for

PHONE = {'width': 390, 'height': 844, 'deviceScaleFactor': 3, 'mobile': True}
BUTTONS = ['Open', 'Route', 'Kinds', 'Palette', 'Info', 'List', 'Help', 'Zoom in', 'Zoom out', 'Fit the whole map',
           'Collected', 'Map']
HOST_MAP = (200, 120, 40)
# The layouts no control may cover the map in: (name, metrics, touch).
LAYOUTS = [
    ('portrait phone', PHONE, True),
    ('landscape phone', dict(PHONE, width=844, height=390), True),
    ('tablet', {'width': 820, 'height': 1180, 'deviceScaleFactor': 2, 'mobile': True}, True),
    ('1280 x 800 window', {'width': 1280, 'height': 800, 'deviceScaleFactor': 1, 'mobile': False}, False),
    ('1024 x 768 window', {'width': 1024, 'height': 768, 'deviceScaleFactor': 1, 'mobile': False}, False),
    ('640 x 480 window', {'width': 640, 'height': 480, 'deviceScaleFactor': 1, 'mobile': False}, False),
]
# The map square's side, at the start zoom, per canvas height: 1 / (4 tan 15 degrees).
SQUARE = 1 / (4 * math.tan(math.radians(15.0)))
# The maps the collected outlines must stand out on: the bundled chart, and a
# dark and a light picture of the host's own.
MAPS = [('bundled chart', None), ('dark picture', 'rgb(22,26,34)'), ('light picture', 'rgb(236,232,220)')]


def meets(a, b):
    """Whether two (x, y, width, height) rectangles overlap."""
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def luminance(rgb):
    linear = [c / 255 / 12.92 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4 for c in rgb]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast(a, b):
    """WCAG's contrast ratio of two colours."""
    high, low = sorted((luminance(a), luminance(b)), reverse=True)
    return (high + 0.05) / (low + 0.05)


# Two packages and a rampage far apart, and a package at the map's centre.
PICKUPS = ['154:0,0,12', '154:-1200,900,5', '127:800,-600,30', '154:1500,1500,40']


class PhonePageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp()
        cls.server = Server(page_e2e.SITE)
        cls.driver = page_e2e.start_browser(os.path.join(cls.work, 'profile'))
        cls.driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5})

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.httpd.shutdown()
        shutil.rmtree(cls.work, ignore_errors=True)

    def script(self, text, *args):
        return self.driver.execute_script(text, *args)

    def frames(self):
        return self.script('return window.packageViewer ? window.packageViewer.frames : 0')

    def load(self, metrics=PHONE):
        self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', metrics)
        self.driver.get(self.server.url)
        wait_for(lambda: self.frames() >= 2, 'two frames')

    def after_frame(self, action):
        before = self.frames()
        action()
        wait_for(lambda: self.frames() > before, 'a frame')

    def canvas(self):
        return page_e2e.WebPageTest.canvas(self)

    # The page test's own, for the same page.
    box, close_box, drop = page_e2e.WebPageTest.box, page_e2e.WebPageTest.close_box, page_e2e.WebPageTest.drop

    def touch(self, kind, *points):
        self.driver.execute_cdp_cmd('Input.dispatchTouchEvent', {
            'type': kind, 'touchPoints': [{'x': x, 'y': y, 'id': i} for i, (x, y) in enumerate(points)]})

    def tap_at(self, x, y):
        self.after_frame(lambda: (self.touch('touchStart', (x, y)), self.touch('touchEnd')))

    def button(self, name):
        return self.script('''return [...document.querySelectorAll('#toolbar button')].find(
            b => (b.getAttribute('aria-label') || b.textContent) == arguments[0]).getBoundingClientRect().toJSON()''',
                           name)

    def press(self, name):
        box = self.button(name)
        self.tap_at(box['x'] + box['width'] / 2, box['y'] + box['height'] / 2)

    def said(self):
        return self.script('return document.getElementById("said").textContent')

    def list_rows(self):
        return self.script('return [...document.querySelectorAll("#list-rows li")].map(li => li.textContent)')

    def write_save(self, pickups, path=None):
        """The bytes the picker's handle gives from now on, written now: the
        save at `path`, or else one of `pickups`."""
        if path is None:
            path = os.path.join(self.work, 'phone.b')
            subprocess.run([page_e2e.MAKE_TEST_SAVE, path, *pickups], check=True)
        with open(path, 'rb') as file:
            self.script('window.saveBytes = new Uint8Array(arguments[0]); window.saveTime = Date.now();',
                        list(file.read()))

    def open_save(self, pickups=PICKUPS, path=None):
        """Opens a save through the toolbar's Open, as the picker gives it: a
        handle the page follows, which write_save rewrites."""
        self.write_save(pickups, path)
        self.script('''window.showOpenFilePicker = async () => [{name: 'phone.b', kind: 'file',
                getFile: async () => new File([window.saveBytes], 'phone.b', {lastModified: window.saveTime})}];''')
        self.press('Open')
        wait_for(lambda: self.script('return document.getElementById("hint").hidden'), 'the opened save')

    def view(self):
        """The canvas's drawing buffer and CSS sizes."""
        return self.script('const c = document.getElementById("canvas");'
                           'return [c.width, c.height, c.clientWidth, c.clientHeight];')

    def pixel_of(self, x, y, camera, zoom):
        """Where the savegame point (x, y) is drawn, in CSS pixels."""
        width, height, css_width, _ = self.view()
        per_pixel = 2 * math.tan(math.radians(15.0)) * zoom / height
        scale = width / css_width
        return ((x * 0.0005 + camera[0]) / per_pixel + width / 2) / scale, \
               (height / 2 - (y * 0.0005 + camera[1]) / per_pixel) / scale

    def red_centre(self, near, reach=40):
        """The centre, in CSS pixels, of the red marker pixels within `reach`
        CSS pixels of `near`, once a frame shows some."""
        def red_points():
            picture = self.canvas()
            x0, y0 = (round(v * scale) for v in near)
            r = round(reach * scale)
            return [(x, y) for y in range(max(0, y0 - r), min(picture.height, y0 + r))
                    for x in range(max(0, x0 - r), min(picture.width, x0 + r)) if is_red(picture.pixel(x, y))]
        scale = self.view()[0] / self.view()[2]
        points = wait_for(red_points, 'a marker near %s' % (near,))
        return (sum(x for x, _ in points) / len(points) / scale, sum(y for _, y in points) / len(points) / scale)

    def fit_zoom(self):
        width, height, _, _ = self.view()
        return max(4.0, height / width / math.tan(math.radians(15.0)))

    # The tests.

    def test_toolbar_fits_a_thumb_and_the_compact_picture_fills_the_width(self):
        self.load()
        width, height, css_width, css_height = self.view()
        self.assertEqual((width, height), (round(css_width * 3), round(css_height * 3)))
        for name in BUTTONS:
            box = self.button(name)
            self.assertGreaterEqual(min(box['width'], box['height']), 44, name)
            # Under the map, within the screen: never over the counts.
            self.assertGreaterEqual(box['y'], css_height, name)
            self.assertLessEqual(box['y'] + box['height'], PHONE['height'], name)
            self.assertLessEqual(box['x'] + box['width'], PHONE['width'], name)
        # The page shows counts once it has a save (before one it says how
        # to open one).
        self.open_save()
        picture = self.canvas()
        row = [x for x in range(picture.width) if is_map(picture.pixel(x, picture.height // 2))]
        self.assertGreaterEqual(max(row) - min(row) + 1, 0.95 * picture.width)
        # The counts, in a strip above the map square, crisp at three device
        # pixels a font pixel: every run of text pixels is a multiple of three.
        top = picture.height // 2 - picture.width // 2
        runs = []
        for y in range(top):
            row = ''.join('#' if is_text(picture.pixel(x, y)) else '.' for x in range(picture.width))
            runs += [len(run) for run in row.split('.') if run]
        self.assertTrue(runs, 'no counts above the map')
        self.assertEqual([n for n in runs if n % 3], [], 'text not on whole device pixels')
        # The help page is the hand's: it names the gestures.
        before = picture.rgb
        self.press('Help')
        self.assertTrue(self.canvas().rgb != before, 'Help changed nothing')

    def test_drawing_buffer_follows_the_pixel_ratio(self):
        for ratio in (1, 2, 3):
            self.load(dict(PHONE, deviceScaleFactor=ratio))
            width, height, css_width, css_height = self.view()
            self.assertEqual((width, height), (round(css_width * ratio), round(css_height * ratio)), ratio)
        # A change of ratio while the page is open is followed.
        self.after_frame(lambda: self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                                                             dict(PHONE, deviceScaleFactor=2)))
        wait_for(lambda: self.view()[0] == round(self.view()[2] * 2), 'the buffer at ratio 2')

    def test_pinch_tap_long_press_and_the_list_without_a_keyboard(self):
        self.load()
        self.open_save()
        zoom = self.fit_zoom()
        # The package at the map's centre is at the canvas's centre.
        centre = self.pixel_of(0, 0, (0, 0), zoom)
        found = self.red_centre(centre)
        self.assertLess(math.dist(found, centre), 2)

        # Two fingers spread to twice their distance about a point left of the
        # centre: the marker moves to twice its distance from that point.
        mid = (centre[0] - 60, centre[1] + 40)
        self.touch('touchStart', (mid[0] - 40, mid[1]), (mid[0] + 40, mid[1]))
        for step in range(1, 5):
            self.touch('touchMove', (mid[0] - 40 - 10 * step, mid[1]), (mid[0] + 40 + 10 * step, mid[1]))
        self.after_frame(lambda: self.touch('touchEnd'))
        expected = (2 * centre[0] - mid[0], 2 * centre[1] - mid[1])
        found = self.red_centre(expected)
        self.assertLess(math.dist(found, expected), 2, (found, expected))

        # A tap 15 CSS pixels from it names it, on the canvas and aloud.
        self.tap_at(found[0] + 12, found[1] + 9)
        wait_for(lambda: self.said().startswith('package 0: 0.0, 0.0, 12.0'), 'the marker named: ' + self.said())
        self.tap_at(found[0] + 30, found[1] + 30)
        wait_for(lambda: self.said().startswith('no marker'), 'nothing named')

        # The list: packages then rampages, rounded, in the save's order.
        self.press('List')
        self.assertEqual(self.list_rows(), ['package 0: 0, 0, 12', 'package 1: -1200, 900, 5',
                                            'package 2: 1500, 1500, 40', 'rampage 0: 800, -600, 30'])
        # A row tapped centres its marker and names it.
        self.script('document.querySelectorAll("#list-rows button")[3].scrollIntoView()')
        row = self.script('return document.querySelectorAll("#list-rows button")[3].getBoundingClientRect().toJSON()')
        self.tap_at(row['x'] + 20, row['y'] + row['height'] / 2)
        wait_for(lambda: self.said().startswith('rampage 0: 800.0, -600.0, 30.0'), 'the row named')
        # 'L' on a keyboard hides it as List does (the row closed it: List
        # opens it again first).
        self.press('List')
        self.script("window.dispatchEvent(new KeyboardEvent('keydown', {code: 'KeyL', key: 'l'}))")
        self.assertTrue(self.script('return document.getElementById("list").hidden'))

        # Held half a second near a marker: the route starts there, so the
        # list, now in route order, starts with it.
        self.press('Fit the whole map')
        corner = self.pixel_of(1500, 1500, (0, 0), zoom)
        before = self.canvas().rgb
        self.touch('touchStart', (corner[0] - 5, corner[1] + 5))
        # The route appears while the finger is still down.
        wait_for(lambda: self.canvas().rgb != before, 'the route drawn')
        self.touch('touchEnd')
        self.press('List')
        rows = self.list_rows()
        self.assertEqual(rows[0], 'package 2: 1500, 1500, 40')
        self.assertEqual(sorted(rows), sorted(['package 0: 0, 0, 12', 'package 1: -1200, 900, 5',
                                               'package 2: 1500, 1500, 40', 'rampage 0: 800, -600, 30']))


    # The map in the hand: what the page says, shows and leaves uncovered.

    def rect(self, selector):
        return self.script('const r = document.querySelector(arguments[0]).getBoundingClientRect();'
                           'return [r.x, r.y, r.width, r.height]', selector)

    def text(self, element_id):
        return self.script('return document.getElementById(arguments[0]).textContent', element_id)

    def click(self, name):
        """A button clicked as a mouse would (the desktop sizes have no touch)."""
        self.after_frame(lambda: self.script('''[...document.querySelectorAll('#toolbar button')].find(
            b => (b.getAttribute('aria-label') || b.textContent) == arguments[0]).click()''', name))

    def red_box(self, near, reach=12):
        """The width, in CSS pixels, of the red pixels within `reach` CSS
        pixels of `near`."""
        scale = self.view()[0] / self.view()[2]
        picture = self.canvas()
        x0, y0, r = round(near[0] * scale), round(near[1] * scale), round(reach * scale)
        xs = [x for y in range(y0 - r, y0 + r) for x in range(x0 - r, x0 + r) if is_red(picture.pixel(x, y))]
        return (max(xs) - min(xs) + 1) / scale if xs else 0

    def test_no_control_covers_the_map_square_or_the_counts_in_any_layout(self):
        shots = os.environ.get('WEB_SHOTS')  # a folder for the pictures of each layout, to look at
        try:
            for name, metrics, touch in LAYOUTS:
                with self.subTest(name):
                    self.driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled',
                                                {'enabled': touch, 'maxTouchPoints': 5})
                    self.load(metrics)
                    self.open_save()
                    x, y, width, height = self.rect('#canvas')
                    portrait = height > width
                    side = width if portrait else height * SQUARE
                    square = (x + (width - side) / 2, y + (height - side) / 2, side, side)
                    counts = (x, y, width, 44) if portrait or width < 600 else (x + width - 168, y, 168, 120)
                    if portrait:
                        # Markers a finger can find: 8 CSS pixels across at least.
                        self.assertGreaterEqual(self.red_box(self.pixel_of(0, 0, (0, 0), self.fit_zoom())), 8)
                    self.click('Route')
                    wait_for(lambda: re.fullmatch(r'Route: 4 stops, \d+ long', self.text('route-status')), 'the route')
                    controls = self.script('''return [...document.querySelectorAll('#toolbar button, #status-bar button')]
                        .filter(b => b.offsetParent).map(b => {const r = b.getBoundingClientRect();
                        return [b.textContent, r.x, r.y, r.width, r.height, b.scrollWidth - b.clientWidth]})''')
                    self.assertEqual(len(controls), len(BUTTONS))
                    for label, *box, overflow in controls:
                        self.assertFalse(meets(box, square), (label, box, square))
                        self.assertFalse(meets(box, counts), (label, box, counts))
                        self.assertLessEqual(overflow, 0, label)
                        if touch:
                            self.assertGreaterEqual(min(box[2:]), 44, label)
                    # The status says which save is shown, beside the map.
                    status = self.rect('#save-status')
                    self.assertRegex(self.text('save-status'), r'^phone\.b, \d\d:\d\d$')
                    self.assertFalse(meets(status, square))
                    self.assertTrue(status[2] > 0 and status[0] + status[2] <= metrics['width'] and
                                    status[1] + status[3] <= metrics['height'], status)
                    if shots:
                        self.driver.save_screenshot(os.path.join(shots, name.replace(' ', '-') + '.png'))
        finally:
            self.driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5})

    def test_says_how_to_open_a_save_then_which_it_shows_and_what_a_reload_collected(self):
        self.load()
        # Before a save: no counts (they would read "all collected"), but how to open one.
        picture = self.canvas()
        self.assertFalse([p for p in picture.points(is_text) if p[1] < 44 * 3], 'counts before any save')
        self.assertTrue(self.script('return document.getElementById("hint").offsetParent !== null'))
        self.open_save()
        self.write_save(PICKUPS[:1])
        wait_for(lambda: self.text('news') == '2 packages and 1 rampage collected', 'the news: ' + self.text('news'))
        # The list: the collected first, under their own heading and without
        # numbers; the heading of what is left counts only that.
        self.press('List')
        rows = lambda ol: self.script('return [...document.querySelectorAll(arguments[0] + " li")].map(l => l.textContent)', ol)
        wait_for(lambda: rows('#collected-rows'), 'the collected rows')
        self.assertEqual(rows('#collected-rows'), ['package at -1200, 900, 5', 'package at 1500, 1500, 40',
                                                   'rampage at 800, -600, 30'])
        self.assertEqual(rows('#list-rows'), ['package 0: 0, 0, 12'])
        self.assertEqual(self.text('list-count'), '(1)')
        self.assertLess(self.rect('#collected-heading')[1], self.rect('#list-heading')[1])

    def outline_contrast(self, shown, hidden, centres):
        """The least, over the collected markers at `centres` (CSS pixels),
        of the contrast between their outline and the map under it: of the
        outline's pixels lighter than the map and of those darker, the median
        ratio of each, the greater of the two."""
        scale = self.view()[0] / self.view()[2]
        least = None
        for cx, cy in centres:
            x0, y0, r = round(cx * scale), round(cy * scale), round(14 * scale)
            lighter, darker = [], []
            for y in range(y0 - r, y0 + r):
                for x in range(x0 - r, x0 + r):
                    on, off = shown.pixel(x, y), hidden.pixel(x, y)
                    if max(abs(a - b) for a, b in zip(on, off)) > 24:
                        ratio = contrast(on, off)
                        (lighter if luminance(on) > luminance(off) else darker).append(ratio)
            best = max(sorted(group)[len(group) // 2] for group in (lighter, darker) if group)
            least = best if least is None else min(least, best)
        return least

    def test_collected_outlines_stand_out_on_any_map_in_both_palettes(self):
        collected = [(-1200, 900), (1500, 1500), (800, -600)]
        for name, colour in MAPS:
            server = self.server
            if colour:
                folder = self.site_copy(name.replace(' ', '-'))
                subprocess.run(['convert', '-size', '64x64', 'xc:' + colour, '-type', 'truecolor',
                                'BMP3:' + os.path.join(folder, 'THmap.bmp')], check=True)
                server = Server(folder)
            try:
                self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', PHONE)
                self.driver.get(server.url)
                wait_for(lambda: self.frames() >= 2, 'two frames')
                self.open_save()
                self.write_save(PICKUPS[:1])
                wait_for(lambda: self.text('news'), 'the collected ones')
                centres = [self.pixel_of(x, y, (0, 0), self.fit_zoom()) for x, y in collected]
                for palette in ('standard', 'safe'):
                    shown = self.canvas()
                    self.press('Collected')
                    hidden = self.canvas()
                    self.press('Collected')
                    ratio = self.outline_contrast(shown, hidden, centres)
                    print('figure: collected outlines on the %s, %s palette: contrast %.1f:1' % (name, palette, ratio),
                          file=sys.stderr)
                    self.assertGreaterEqual(ratio, 3.0, (name, palette))
                    self.press('Palette')
            finally:
                if colour:
                    server.stop()

    def test_zoom_buttons_step_a_quarter_and_repeat_while_held_and_a_double_tap_zooms_in(self):
        self.load()
        self.open_save()
        zoom = self.fit_zoom()
        centre = self.pixel_of(0, 0, (0, 0), zoom)
        far = self.red_centre(self.pixel_of(-1200, 900, (0, 0), zoom))
        self.press('Zoom in')
        expected = [c + (f - c) * 1.25 for c, f in zip(centre, far)]
        self.assertAlmostEqual(math.dist(self.red_centre(expected), centre) / math.dist(far, centre), 1.25, delta=0.02)
        # Held, the button steps again and again until the finger lifts.
        box = self.button('Zoom in')
        frames = self.frames()
        self.touch('touchStart', (box['x'] + 10, box['y'] + 10))
        wait_for(lambda: self.frames() >= frames + 4, 'steps while held')
        self.touch('touchEnd')
        wait_for(lambda: self.canvas().rgb == self.canvas().rgb, 'the zoom at rest')
        # Two taps: twice as near, about the tapped point.
        self.press('Fit the whole map')
        tap = (centre[0] + 50, centre[1] + 60)
        for _ in range(2):
            self.touch('touchStart', tap)
            self.touch('touchEnd')
        expected = (2 * centre[0] - tap[0], 2 * centre[1] - tap[1])
        self.assertLess(math.dist(self.red_centre(expected), expected), 2)

    def test_a_tapped_marker_or_row_is_ringed_and_named_beside_the_status(self):
        self.load()
        self.open_save()
        centre = self.pixel_of(0, 0, (0, 0), self.fit_zoom())

        def ring():
            picture, scale = self.canvas(), 3
            return sum(1 for dy in range(-16 * scale, 16 * scale) for dx in range(-16 * scale, 16 * scale)
                       if 8 * scale <= math.hypot(dx, dy) <= 14 * scale
                       and min(picture.pixel(round(centre[0] * scale) + dx, round(centre[1] * scale) + dy)) > 245)
        plain = ring()
        self.tap_at(centre[0] + 8, centre[1] + 6)
        wait_for(lambda: self.text('picked') == 'package 0: 0.0, 0.0, 12.0', 'the marker named: ' + self.text('picked'))
        self.assertGreater(ring(), plain + 100)
        self.tap_at(centre[0] + 100, centre[1] + 100)
        wait_for(lambda: self.text('picked').startswith('map '), 'the point named')
        self.assertEqual(ring(), plain)
        # A row: the list gives way to its marker, centred, nearer and ringed.
        self.press('List')
        row = self.script('''return [...document.querySelectorAll("#list-rows button")].find(
            b => b.textContent.startsWith('package 1:')).getBoundingClientRect().toJSON()''')
        self.tap_at(row['x'] + 20, row['y'] + row['height'] / 2)
        wait_for(lambda: self.script('return document.getElementById("list").hidden'), 'the list closed')
        self.assertEqual(self.text('picked'), 'package 1: -1200.0, 900.0, 5.0')
        width, height, css_width, css_height = self.view()
        middle = (css_width / 2, css_height / 2)
        # (A triangle's centroid stands a sixth of its height off its centre.)
        self.assertLess(math.dist(self.red_centre(middle), middle), 4)
        self.assertGreater(self.red_box(middle), 12)
        # Tapping the map closes the list over it.
        self.press('List')
        self.tap_at(css_width / 2, 80)
        wait_for(lambda: self.script('return document.getElementById("list").hidden'), 'the list closed by the map')

    def test_toggles_show_their_state_info_names_the_tapped_point_and_help_reads_on_a_dark_ground(self):
        self.load()
        self.open_save()
        state = lambda name: self.script('''const b = [...document.querySelectorAll('#toolbar button')].find(
            b => b.textContent == arguments[0]);
            return [b.getAttribute('aria-pressed'), getComputedStyle(b).backgroundColor, b.dataset.shows]''', name)
        for name in ('Route', 'Palette', 'Info', 'Collected'):
            before = state(name)
            self.press(name)
            wait_for(lambda: state(name)[0] == {'true': 'false', 'false': 'true'}[before[0]], name)
            self.assertNotEqual(state(name)[1], before[1], name)
        for shows in ('Packages', 'Rampages', 'Both'):
            self.press('Kinds')
            wait_for(lambda: state('Kinds')[2] == shows, shows)
        # Info names the point last tapped, not the one under its button.
        self.press('Fit the whole map')
        centre = self.pixel_of(0, 0, (0, 0), self.fit_zoom())
        self.tap_at(centre[0] - 97.5, centre[1] - 48.75)  # -1000, 500 on the map
        for _ in range(2):
            self.press('Info')
        wait_for(lambda: self.text('picked').startswith('map '), 'the point named')
        x, y = (float(v) for v in self.text('picked')[4:].split(', ')[:2])
        self.assertLess(math.dist((x, y), (-1000, 500)), 30, self.text('picked'))
        # The help page: white text at least 4.5:1 on its ground, and the
        # legend's shapes in the markers' colours (the standard palette's again).
        self.press('Palette')
        self.press('Help')
        picture = self.canvas()
        if os.environ.get('WEB_SHOTS'):
            self.driver.save_screenshot(os.path.join(os.environ['WEB_SHOTS'], 'help.png'))
        ground = collections.Counter(picture.pixel(x, y) for y in range(0, picture.height, 7)
                                     for x in range(0, picture.width, 7)).most_common(1)[0][0]
        self.assertGreaterEqual(contrast((255, 255, 255), ground), 4.5, ground)
        self.assertTrue(picture.points(is_red) and picture.points(is_green), 'no legend')

    # Accessibility, offline use and new builds.

    def test_no_accessibility_violations_at_start_with_a_save_the_list_and_help(self):
        with open(os.environ.get('AXE_CORE', 'axe.min.js'), encoding='utf-8') as file:
            axe = file.read()
        self.load()
        check = axe + '''
            const done = arguments[arguments.length - 1];
            axe.run(document, {runOnly: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice']})
               .then(r => done(r.violations.map(v => v.id + ': ' + v.nodes.map(n => n.target).join(' '))),
                     e => done(['axe failed: ' + e]));'''
        self.assertEqual(self.driver.execute_async_script(check), [], 'at start')
        self.open_save()
        self.assertEqual(self.driver.execute_async_script(check), [], 'with a save')
        self.press('List')
        self.assertEqual(self.driver.execute_async_script(check), [], 'with the list')
        self.press('List')
        self.press('Help')
        self.assertEqual(self.driver.execute_async_script(check), [], 'with help')

    def test_keys_reach_every_button_in_order_and_press_it(self):
        self.load()
        names = []
        order = ['Open', 'Route', 'Kinds', 'Palette', 'Info', 'List', 'Zoom in', 'Zoom out', 'Fit the whole map',
                 'Collected', 'Help']
        for _ in order:
            ActionChains(self.driver).send_keys(Keys.TAB).perform()
            names.append(self.script('const e = document.activeElement;'
                                     'return e.getAttribute("aria-label") || e.textContent'))
        self.assertEqual(names, order)
        before = self.canvas().rgb
        self.after_frame(lambda: ActionChains(self.driver).send_keys(Keys.ENTER).perform())
        self.assertTrue(self.canvas().rgb != before, 'Enter on Help changed nothing')

    def site_copy(self, name):
        folder = os.path.join(self.work, name)
        shutil.copytree(page_e2e.SITE, folder)
        return folder

    def wait_kept(self):
        """Waits until the service worker controls the page and has kept its files."""
        self.driver.execute_async_script('navigator.serviceWorker.ready.then(() => arguments[0]())')
        wait_for(lambda: self.script('return !!navigator.serviceWorker.controller'), 'a controlled page')

    def test_opens_offline_after_one_visit_and_a_new_build_replaces_the_old(self):
        folder = self.site_copy('offline')
        server = Server(folder)
        port = server.httpd.server_address[1]
        self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', PHONE)
        self.driver.get(server.url)
        self.wait_kept()
        # Installable: its manifest and worker as the browser judges them.
        self.assertEqual(self.driver.execute_cdp_cmd('Page.getInstallabilityErrors', {})['installabilityErrors'], [])
        server.stop()
        # Not from the browser's own cache: only what the worker kept.
        self.driver.execute_cdp_cmd('Network.clearBrowserCache', {})
        # The network is gone: the page, its program and pictures come from
        # the kept files, and a save opens.
        self.driver.get(server.url)
        wait_for(lambda: self.frames() >= 2, 'the page offline')
        self.open_save()
        wait_for(lambda: self.canvas().points(is_red), 'the markers offline')

        # A new build: every file comes from it once its worker has taken over.
        with open(os.path.join(folder, 'index.html'), encoding='utf-8') as file:
            page = file.read()
        with open(os.path.join(folder, 'index.html'), 'w', encoding='utf-8') as file:
            file.write(page.replace('<title>', '<meta name="build" content="next">\n<title>'))
        with open(os.path.join(folder, 'service-worker.js'), encoding='utf-8') as file:
            worker = file.read()
        with open(os.path.join(folder, 'service-worker.js'), 'w', encoding='utf-8') as file:
            file.write(worker.replace("const CACHE = 'package-viewer-", "const CACHE = 'package-viewer-next-"))
        server = Server(folder, port)
        try:
            self.driver.get(server.url)
            wait_for(lambda: self.driver.execute_async_script(
                "caches.keys().then(k => arguments[0](k.length > 0 && k.every(n => n.includes('-next-') || "
                "n.endsWith('host-pictures'))))"), 'the old build dropped')
            self.driver.get(server.url)
            wait_for(lambda: self.frames() >= 2, 'the new build')
            self.assertEqual(self.script('const m = document.querySelector("meta[name=build]");'
                                         'return m && m.content'), 'next')
        finally:
            server.stop()

    def test_a_hosts_own_map_wins_over_the_bundled_one(self):
        # The bundled pictures inflate to the very bytes of the assets.
        for name in ('THmap.bmp', 'font.bmp'):
            with open(os.path.join(page_e2e.SITE, name + '.gz'), 'rb') as packed, \
                 open(os.path.join(page_e2e.ASSETS, name), 'rb') as raw:
                self.assertEqual(gzip.decompress(packed.read()), raw.read(), name)
        folder = self.site_copy('host')
        put_host_map(folder)
        server = Server(folder)
        try:
            self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', PHONE)
            self.driver.get(server.url)
            wait_for(lambda: self.frames() >= 2, 'two frames')
            picture = self.canvas()
            self.assertEqual(picture.pixel(picture.width // 2, picture.height // 2), HOST_MAP)
        finally:
            server.stop()

    # The player's own map, aligned on the phone.

    def choose_picture(self, path):
        """The toolbar's Map, then `path` in the picker it opens."""
        self.script('const input = document.getElementById("picture-file");'
                    'input.click = () => { window.pickerOpened = (window.pickerOpened || 0) + 1; };')
        self.press('Map')
        wait_for(lambda: self.script('return window.pickerOpened'), 'the picture picker')
        self.script('window.pickerOpened = 0')
        self.driver.find_element(page_e2e.By.ID, 'picture-file').send_keys(path)

    def aligning(self):
        return not self.script('return document.getElementById("align-bar").hidden')

    def press_in_page(self, element_id):
        box = self.script('return document.getElementById(arguments[0]).getBoundingClientRect().toJSON()', element_id)
        self.tap_at(box['x'] + box['width'] / 2, box['y'] + box['height'] / 2)

    def map_square(self):
        """The rows of the canvas that hold the map square."""
        picture = self.canvas()
        top = picture.height // 2 - picture.width // 2
        return picture.rgb[top * picture.width * 3:(top + picture.width) * picture.width * 3]

    def guide(self):
        """A save, and the guide map over it: a ring at each marker's place
        (e2e-write-guide-map), as a PNG; its lines by their first word."""
        save, markers, bmp = (os.path.join(self.work, name) for name in ('guide.b', 'markers.txt', 'guide.bmp'))
        subprocess.run([os.environ['E2E_WRITE_SAVE'], save, markers], check=True, capture_output=True)
        lines = subprocess.run([os.environ['E2E_WRITE_GUIDE_MAP'], bmp, markers], check=True, capture_output=True,
                               text=True).stdout.split('\n')
        png = os.path.join(self.work, 'guide.png')
        subprocess.run(['convert', bmp, png], check=True)
        table = {}
        for line in lines:
            if line:
                word, *numbers = line.split()
                table.setdefault(word, []).append([float(n) for n in numbers])
        return save, png, table

    def ring_offsets(self, table):
        """How far, in CSS pixels, the centre of each ring seen (its blue
        pixels round the marker's place) is from the marker's place."""
        picture = self.canvas()
        scale = picture.width / self.view()[2]
        zoom = self.fit_zoom()
        per_unit = self.pixel_of(1000, 0, (0, 0), zoom)[0] - self.pixel_of(0, 0, (0, 0), zoom)[0]
        reach = round((table['ring-radius'][0][0] * per_unit / 1000 + 3) * scale)
        offsets = []
        for x, y in table['ring-world']:
            centre = [v * scale for v in self.pixel_of(x, y, (0, 0), zoom)]
            cx, cy = int(centre[0]), int(centre[1])
            blue = [(px + 0.5, py + 0.5) for py in range(cy - reach, cy + reach + 1)
                    for px in range(cx - reach, cx + reach + 1) if is_ring_blue(picture.pixel(px, py))]
            if len(blue) > reach * reach // 2:
                offsets.append(math.dist((sum(p[0] for p in blue) / len(blue), sum(p[1] for p in blue) / len(blue)),
                                         centre) / scale)
        return offsets

    def assert_on_rings(self, table, when):
        offsets = wait_for(lambda: self.ring_offsets(table), 'the own map ' + when)
        self.assertGreaterEqual(len(offsets), 10, when)
        self.assertLessEqual(max(offsets), 1.0, when)
        print('%s: %d rings, the worst %.2f CSS pixels off' % (when, len(offsets), max(offsets)), file=sys.stderr)

    def test_own_map_aligned_by_two_pins_is_kept_offline_until_deleted(self):
        save, png, table = self.guide()
        # The host's map is the chart here: the own map wins over it.
        folder = self.site_copy('own-map')
        put_host_map(folder)
        server = Server(folder)
        self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', PHONE)
        self.driver.get(server.url)
        self.wait_kept()
        wait_for(lambda: self.frames() >= 2, 'two frames')
        chart = self.map_square()
        self.assertEqual(self.canvas().pixel(10, self.view()[1] // 2), HOST_MAP)
        self.open_save(path=save)
        loaded = wait_for(lambda: self.map_square() != chart and self.map_square(), 'the markers')

        # Cancel leaves the map as it was.
        self.choose_picture(png)
        wait_for(self.aligning, 'the align bar')
        self.assertIn('pin two markers', self.script('return document.getElementById("align-hint").textContent'))
        wait_for(lambda: self.map_square() != loaded, 'the picture drawn')
        self.press_in_page('align-cancel')
        wait_for(lambda: not self.aligning(), 'the align bar gone')
        wait_for(lambda: self.map_square() == loaded, 'the map as it was')

        # Two pins by touch: each marker, then its ring on the picture as first
        # fitted; Done keeps it.
        self.choose_picture(png)
        wait_for(self.aligning, 'the align bar')
        zoom = self.fit_zoom()
        for marker_x, marker_y, ring_x, ring_y in table['pin-world']:
            for x, y in ((marker_x, marker_y), (ring_x, ring_y)):
                self.tap_at(*(round(v) for v in self.pixel_of(x, y, (0, 0), zoom)))
        wait_for(lambda: 'Placed by 2 pins' in self.script(
            'return document.getElementById("align-status").textContent'), 'the picture placed')
        self.press_in_page('align-done')
        wait_for(lambda: self.script('return window.packageViewer.ownMapKept'), 'the map kept')
        self.assert_on_rings(table, 'kept')

        # At the next visit, and offline, before the bundled map.
        self.driver.get(server.url)
        self.assert_on_rings(table, 'after a reload')
        server.stop()
        self.driver.execute_cdp_cmd('Network.clearBrowserCache', {})
        self.driver.get(server.url)
        self.assert_on_rings(table, 'offline')

        # Delete, after the page's question, brings the chart back, for good.
        self.press('Map')
        wait_for(self.aligning, 'the kept map aligned again')
        self.press_in_page('align-delete')
        wait_for(lambda: self.script('return document.getElementById("question").open'), 'the question')
        self.press_in_page('question-yes')
        wait_for(lambda: self.script('return window.packageViewer.ownMapForgotten'), 'the map forgotten')
        wait_for(lambda: self.map_square() == chart, 'the chart')
        self.driver.get(server.url)
        wait_for(lambda: self.frames() >= 2, 'two frames')
        self.assertTrue(self.map_square() == chart, 'the own map back after Delete and a reload')

    def test_a_picture_dropped_aligns_and_bad_ones_are_refused_with_a_box(self):
        self.load()
        _, png, _ = self.guide()
        # A PNG that claims 100000 x 100000 pixels in a few bytes, a real one
        # too wide, and a damaged one.
        header = bytes([0x89]) + b'PNG\r\n\x1a\n' + (13).to_bytes(4, 'big') + b'IHDR'
        claims = os.path.join(self.work, 'claims.png')
        with open(claims, 'wb') as file:
            file.write(header + (100000).to_bytes(4, 'big') * 2 + bytes([8, 6, 0, 0, 0]) + bytes(4))
        wide = os.path.join(self.work, 'wide.png')
        subprocess.run(['convert', '-size', '8200x2', 'xc:blue', wide], check=True)
        damaged = os.path.join(self.work, 'damaged.png')
        with open(png, 'rb') as file:
            data = file.read()
        with open(damaged, 'wb') as file:
            file.write(data[:len(data) // 3])
        before = self.map_square()
        for path, reason in ((claims, '100000 x 100000 pixels: pictures up to 8192 x 8192 are taken.'),
                             (wide, '8200 x 2 pixels: pictures up to 8192 x 8192 are taken.'),
                             (damaged, 'it is damaged, not a picture, or of a kind this browser cannot decode.')):
            self.choose_picture(path)
            box = wait_for(self.box, 'the box for ' + path)
            self.assertEqual(box, ['Map of Your Own', 'The picture %s cannot be used: %s'
                                   % (os.path.basename(path), reason)])
            self.close_box()
            self.assertFalse(self.aligning())
        self.assertTrue(self.map_square() == before, 'a refused picture changed the map')
        # Told by its bytes, not its name: a picture named like a save aligns.
        self.drop(data)
        wait_for(self.aligning, 'the dropped picture aligned')


def put_host_map(folder):
    """A host's own THmap.bmp in the site: all of one colour, HOST_MAP."""
    subprocess.run(['convert', '-size', '8x8', 'xc:rgb(%d,%d,%d)' % HOST_MAP, '-type', 'truecolor',
                    'BMP3:' + os.path.join(folder, 'THmap.bmp')], check=True)


def is_ring_blue(p):
    return p[2] > 150 and p[2] - p[0] > 80 and p[2] - p[1] > 60


if __name__ == '__main__':
    page_e2e.SITE, page_e2e.PACKAGE_TOOL, page_e2e.MAKE_TEST_SAVE = (os.path.abspath(p) for p in sys.argv[1:4])
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
