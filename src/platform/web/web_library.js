// The page side of the web platform layer (see web_page.h): the drop target,
// the file input and picker, the message box, the fetched pictures and the
// following of a save through its file handle. Linked in with --js-library.
// Everything the page reads stays in the browser: the only requests are for
// the page's own files.

mergeInto(LibraryManager.library, {
  $webPage: {
    boxes: [],
    // The followed save: its handle, the size and time of the version last
    // read, and whether a changed version still waits for a clean read.
    followed: null,
    looking: false,
    state: null,

    element: function(id) { return document.getElementById(id); },

    // Calls fn with each array (or null) copied into the program's memory as
    // (pointer, length) pairs, and releases the copies afterwards.
    withBytes: function(arrays, fn) {
      var pointers = arrays.map(function(array) {
        if (!array) return 0;
        var pointer = _malloc(Math.max(array.length, 1));
        if (pointer) HEAPU8.set(array, pointer);
        return pointer;
      });
      var args = [];
      arrays.forEach(function(array, i) {
        args.push(pointers[i]);
        args.push(array && pointers[i] ? array.length : 0);
      });
      try {
        return fn.apply(null, args);
      } finally {
        pointers.forEach(function(pointer) { if (pointer) _free(pointer); });
      }
    },

    withString: function(text, fn) {
      var length = lengthBytesUTF8(text) + 1;
      var pointer = _malloc(length);
      stringToUTF8(text, pointer, length);
      try {
        return fn(pointer);
      } finally {
        _free(pointer);
      }
    },

    showNextBox: function() {
      var dialog = webPage.element('box');
      if (dialog.open || webPage.boxes.length === 0) return;
      var box = webPage.boxes.shift();
      webPage.element('box-caption').textContent = box.caption;
      webPage.element('box-text').textContent = box.text;
      dialog.showModal();
      webPage.element('box-ok').focus();
    },

    // Every way the page gets a save goes through one of two paths: openSource
    // for a save the user opened (a picked or dropped file, a file handle),
    // and look, which reads the followed source again quietly when it may
    // have changed. A source is an object with
    //   name: what the error boxes call it;
    //   read(): a promise of the save's bytes (a Uint8Array), or of null
    //     when they cannot be read now;
    //   changed(): (only on a source that can change, which is then
    //     followed) a promise of whether a version not read yet may be there.
    // A new way of getting a save is a new kind of source, nothing more.
    fileSource: function(file) {
      return {
        name: file.name,
        modified: file.lastModified,
        read: function() {
          return file.arrayBuffer().then(function(buffer) { return new Uint8Array(buffer); },
                                         function() { return null; });
        }
      };
    },

    // A file handle, looked at as the desktop looks at its file: by the size
    // and time of the version last read.
    handleSource: function(handle) {
      var seen = null;
      var source = {
        name: handle.name,
        modified: null,
        read: function() {
          return handle.getFile().then(function(file) {
            seen = {size: file.size, modified: file.lastModified};
            source.modified = file.lastModified;
            return file.arrayBuffer();
          }).then(function(buffer) { return new Uint8Array(buffer); }, function() { return null; });
        },
        changed: function() {
          return handle.getFile().then(function(file) {
            return !seen || file.size !== seen.size || file.lastModified !== seen.modified;
          });
        }
      };
      return source;
    },

    // The save a desktop shares with this page (package-tool serve, the
    // viewer's 'Q'): fetched from beside the page, never from a cache, and
    // followed through the server's event stream, whose every event says
    // that a new version can be fetched. An event's second number counts the
    // saves opened afresh (another slot of a folder became the newest).
    servedSource: function() {
      var source = {
        name: 'save',
        modified: null,
        stale: true,
        read: function() {
          source.stale = false;
          return fetch('save', {cache: 'no-store'}).then(function(response) {
            if (!response.ok) return null;
            webPage.nameServedSave(source, response.headers);
            return response.arrayBuffer();
          }).then(function(buffer) { return buffer ? new Uint8Array(buffer) : null; }, function() { return null; });
        },
        changed: function() { return Promise.resolve(source.stale); }
      };
      return source;
    },

    // The served save's name as the server gives it (Content-Disposition),
    // else "the PC's save"; and the time it arrived, which trails its
    // writing by well under a second.
    nameServedSave: function(source, headers) {
      var disposition = /filename\*=UTF-8''([^;]*)/.exec(headers.get('Content-Disposition') || '');
      var name = null;
      try {
        name = disposition ? decodeURIComponent(disposition[1]) : null;
      } catch (error) {
        name = null;
      }
      source.name = name || 'the PC\'s save';
      source.modified = Date.now();
    },

    // Follows the shared save when the page was served with one: the share
    // server marks its copy of the page with <meta name="shared-save">.
    followServed: function() {
      if (document.querySelector('meta[name="shared-save"]')) webPage.connectServed(webPage.servedSource());
    },

    // A save of this device's own opened on a served page: the PC's saves are
    // no longer followed until the player asks for them again.
    pauseServed: function(name) {
      var served = webPage.served;
      if (!served) return;
      served.paused = true;
      served.say('Not following the PC: showing ' + name + ' from this device');
      webPage.element('back-to-pc').hidden = false;
    },

    resumeServed: function() {
      var served = webPage.served;
      if (!served || !served.paused) return;
      served.paused = false;
      webPage.element('back-to-pc').hidden = true;
      served.live();
      webPage.openSource(served.source);
    },

    connectServed: function(source) {
      var status = webPage.element('share-status');
      var say = function(text) {
        status.textContent = text;
        status.hidden = false;
      };
      var opening = null;
      // The server names the folder it waits in, when it follows one.
      var waiting = 'Waiting for the game\'s first save on the PC';
      var live = function() {
        if (!webPage.served.paused) say(opening === null ? waiting : 'Live from the PC');
      };
      webPage.served = {source: source, paused: false, say: say, live: live};
      live();
      var connect = function() {
        var events = new EventSource('events');
        events.onopen = live;
        events.addEventListener('waiting', function(event) {
          waiting = 'Waiting for the game\'s first save in ' + event.data;
          live();
        });
        events.onmessage = function(event) {
          var counts = event.data.split(' ');
          source.stale = true;
          // A save opened from this device's own files holds the map until
          // the player goes back to the PC's.
          if (webPage.served.paused) return;
          if (webPage.followed && webPage.followed.source === source && counts[1] === opening) {
            live();
            webPage.look();
            return;
          }
          var another = opening !== null;
          opening = counts[1];
          live();
          webPage.openSource(source).then(function(opened) {
            if (opened && another) webPage.tellNews('Now showing ' + source.name);
          });
        };
        events.onerror = function() {
          // The browser tries again by itself while the PC is away (asleep,
          // restarting); a refusal ends the stream, and a restarted server
          // shared on the network has a new address.
          if (events.readyState !== EventSource.CLOSED) {
            say('Lost the PC: trying again');
            return;
          }
          say('Lost the PC: if it shares again, scan the new code on its screen');
          events.close();
          setTimeout(connect, 5000);
        };
      };
      connect();
      // A hidden page may have been suspended and missed events.
      document.addEventListener('visibilitychange', function() {
        if (document.visibilityState !== 'visible') return;
        source.stale = true;
        webPage.look();
      });
    },

    // Opens a save the user chose. Only a save that opened is followed from
    // then on; a failed open leaves the followed save as it was.
    openSource: function(source) {
      return source.read().then(function(bytes) {
        var opened = webPage.withString(source.name, function(name) {
          return webPage.withBytes([bytes], function(pointer, length) {
            return Module['_webOpenSave'](name, pointer, length);
          });
        });
        if (!opened) return false;
        webPage.followed = source.changed ? {source: source, pending: false} : null;
        webPage.element('hint').hidden = true;
        webPage.showSave(source);
        return true;
      });
    },

    // The user's own choice: on a served page it stops the following.
    openOwn: function(source) {
      return webPage.openSource(source).then(function(opened) {
        if (opened) webPage.pauseServed(source.name);
        return opened;
      });
    },

    openFile: function(file) { return webPage.openOwn(webPage.fileSource(file)); },

    openHandle: function(handle) { return webPage.openOwn(webPage.handleSource(handle)); },

    // The shown save's name and the time it was written: "slot2.b, 21:04".
    showSave: function(source) {
      var text = source.name;
      if (source.modified) {
        var time = new Date(source.modified);
        var two = function(n) { return (n < 10 ? '0' : '') + n; };
        text += ', ' + two(time.getHours()) + ':' + two(time.getMinutes());
      }
      webPage.element('save-status').textContent = text;
    },

    // A line of news for a few seconds: what a save collected, a new slot.
    newsTimer: null,
    tellNews: function(text) {
      var news = webPage.element('news');
      news.textContent = text;
      clearTimeout(webPage.newsTimer);
      webPage.newsTimer = setTimeout(function() { news.textContent = ''; }, 6000);
    },

    // "2 packages and 1 rampage collected", after a reload that took some.
    tellCollected: function() {
      var both = Module['_webJustCollected']();
      var words = [];
      var count = function(n, one) { if (n > 0) words.push(n + ' ' + one + (n === 1 ? '' : 's')); };
      count(Math.floor(both / 1000), 'package');
      count(both % 1000, 'rampage');
      if (words.length > 0) webPage.tellNews(words.join(' and ') + ' collected');
    },

    // One look at the followed save: a changed version (or one not yet read
    // cleanly) is read again quietly; a read that fails keeps the lists and
    // is tried at the next look.
    look: function() {
      var followed = webPage.followed;
      if (!followed || webPage.looking || webPage.element('box').open) return;
      webPage.looking = true;
      followed.source.changed().then(function(changed) {
        if (!changed && !followed.pending) return;
        followed.pending = true;
        return followed.source.read().then(function(bytes) {
          if (!bytes || webPage.followed !== followed) return;
          var read = webPage.withBytes([bytes], function(pointer, length) {
            return Module['_webReloadSave'](pointer, length);
          });
          if (!read) return;
          followed.pending = false;
          webPage.showSave(followed.source);
          webPage.tellCollected();
        });
      }).catch(function() {
        // Gone or being written: the lists stay, and the next look tries again.
        followed.pending = true;
      }).then(function() {
        webPage.looking = false;
        webPage.state.looks++;
      });
    },

    // The list: the collected rows first, under their own heading and
    // without a number (the save no longer holds them), then what is left,
    // its heading counting those rows alone. Built again from the program's
    // rows when they changed (a reload, 'K', a route, the collected
    // outlines), whenever the list can be seen.
    listText: null,

    listShown: function() { return getComputedStyle(webPage.element('list')).display !== 'none'; },

    listRow: function(fields, text) {
      var item = document.createElement('li');
      var button = document.createElement('button');
      button.type = 'button';
      button.textContent = text;
      button.addEventListener('click', function() {
        Module['_webCentreOn'](Number(fields[0]), Number(fields[1]), Number(fields[2]));
        // On a compact canvas the marker is what was asked for: the list
        // gives way to it.
        if (webPage.compact() && !webPage.element('list').hidden) webPage.toggleList();
      });
      item.appendChild(button);
      return item;
    },

    refreshList: function() {
      if ((webPage.listText !== null && !Module['_webListChanged']()) || !webPage.listShown()) return;
      var text = UTF8ToString(Module['_webListText']());
      if (text === webPage.listText) return;
      webPage.listText = text;
      var rows = webPage.element('list-rows');
      var collected = webPage.element('collected-rows');
      rows.textContent = '';
      collected.textContent = '';
      text.split('\n').forEach(function(line) {
        if (!line) return;
        var fields = line.split('\t');
        if (fields[0] === '1') {
          collected.appendChild(webPage.listRow(fields, fields[3].replace(/^(\w+) \d+:/, '$1 at')));
        } else {
          rows.appendChild(webPage.listRow(fields, fields[3]));
        }
      });
      webPage.element('collected-heading').hidden = collected.children.length === 0;
      webPage.element('list-count').textContent = '(' + rows.children.length + ')';
    },

    // Whether the program lays the picture out for a phone: a canvas less
    // than 600 pixels wide, or taller than wide.
    compact: function() { return matchMedia('(max-width: 599.98px), (orientation: portrait)').matches; },

    toggleList: function() {
      var panel = webPage.element('list');
      panel.hidden = !panel.hidden;
      webPage.element('list-button').setAttribute('aria-expanded', String(!panel.hidden));
      webPage.listText = null;
      webPage.refreshList();
    },

    // The sheet under the map in portrait: pulled up by its top, it opens;
    // pulled down from its top, it closes.
    installSheet: function() {
      var panel = webPage.element('list');
      var startY = null;
      panel.addEventListener('touchstart', function(event) {
        startY = panel.scrollTop === 0 ? event.touches[0].clientY : null;
      }, {passive: true});
      panel.addEventListener('touchmove', function(event) {
        if (startY === null) return;
        var pulled = startY - event.touches[0].clientY;
        if ((pulled > 24 && panel.hidden) || (pulled < -24 && !panel.hidden)) {
          startY = null;
          webPage.toggleList();
        }
      }, {passive: true});
    },

    // The buttons' looks follow the program's state: the toggles' pressed
    // state and what Kinds shows; the status says the route's stops and
    // length and what Info names (the marker, else the map point).
    stateText: null,
    refreshState: function() {
      var text = UTF8ToString(Module['_webPageState']());
      if (text === webPage.stateText) return;
      webPage.stateText = text;
      var lines = text.split('\n');
      var states = lines[0].split(' ');
      ['route', 'palette', 'info', 'collected'].forEach(function(name, i) {
        document.querySelector('#toolbar [data-state="' + name + '"]').setAttribute(
          'aria-pressed', states[i] === '1' ? 'true' : 'false');
      });
      document.querySelector('#toolbar [data-state="kinds"]').setAttribute(
        'data-shows', ['Both', 'Packages', 'Rampages'][Number(states[4])] || 'Both');
      var route = lines[1].split(' ');
      webPage.element('route-status').textContent = route[0] === '0' ? '' :
        'Route: ' + route[0] + (route[0] === '1' ? ' stop, ' : ' stops, ') + route[1] + ' long';
      webPage.element('picked').textContent = lines[2] || lines[3] || '';
    },

    // Taking the map with a finger or the mouse closes the list over it.
    installMapCloses: function() {
      var close = function() {
        if (!webPage.element('list').hidden) webPage.toggleList();
      };
      webPage.element('canvas').addEventListener('touchstart', close, {passive: true});
      webPage.element('canvas').addEventListener('mousedown', close);
    },

    // + and -: a step at once, then, while held, another every
    // ZOOM_REPEAT_MS after ZOOM_DELAY_MS. A click the keyboard made (no
    // pointer went down on the button) takes one step.
    installZoomButtons: function() {
      var ZOOM_DELAY_MS = 400;
      var ZOOM_REPEAT_MS = 120;
      Array.prototype.forEach.call(document.querySelectorAll('#toolbar [data-zoom]'), function(button) {
        var direction = Number(button.getAttribute('data-zoom'));
        var timer = null;
        var held = false;
        var step = function() { Module['_webZoomStep'](direction); };
        var stop = function() {
          clearTimeout(timer);
          timer = null;
        };
        button.addEventListener('pointerdown', function(event) {
          if (event.button !== 0) return;
          held = true;
          stop();
          step();
          var again = function() {
            step();
            timer = setTimeout(again, ZOOM_REPEAT_MS);
          };
          timer = setTimeout(again, ZOOM_DELAY_MS);
        });
        ['pointerup', 'pointerleave', 'pointercancel', 'blur'].forEach(function(name) {
          button.addEventListener(name, stop);
        });
        button.addEventListener('click', function() {
          if (!held) step();
          held = false;
        });
        // A long press would otherwise open the browser's menu.
        button.addEventListener('contextmenu', function(event) { event.preventDefault(); });
      });
    },

    // The buttons: a key's button presses that key through the program's
    // handlers; Route, Fit and List have their own calls.
    installToolbar: function() {
      var calls = {
        route: function() { Module['_webRouteFromCentre'](); },
        fit: function() { Module['_webFitMap'](); },
        list: webPage.toggleList
      };
      // Enter and Space on a focused button press it: they are not the map's.
      // The program takes keys on the window as they are captured, so this
      // is installed before its handlers (see main).
      window.addEventListener('keydown', function(event) {
        var focused = document.activeElement;
        if ((event.key === 'Enter' || event.key === ' ') && focused && focused.tagName === 'BUTTON') {
          event.stopImmediatePropagation();
        }
      }, true);
      Array.prototype.forEach.call(document.querySelectorAll('#toolbar button'), function(button) {
        if (button.hasAttribute('data-zoom')) return;
        button.addEventListener('click', function() {
          var key = button.getAttribute('data-key');
          if (key) {
            Module['_webPressKey'](Number(key));
          } else {
            calls[button.getAttribute('data-call')]();
          }
        });
      });
      webPage.installZoomButtons();
      webPage.installSheet();
      webPage.installMapCloses();
      webPage.element('back-to-pc').addEventListener('click', webPage.resumeServed);
      // The drawing buffer follows the canvas's size and the screen's pixel
      // ratio (browser zoom, a window moved to another screen). Not every
      // browser tells of a new ratio, so it is also looked at now and then.
      var ratio = window.devicePixelRatio;
      var ratioChanged = function() {
        if (window.devicePixelRatio === ratio) return;
        ratio = window.devicePixelRatio;
        Module['_webCanvasChanged']();
      };
      var watchRatio = function() {
        matchMedia('(resolution: ' + ratio + 'dppx)').addEventListener('change', function() {
          ratioChanged();
          watchRatio();
        }, {once: true});
      };
      watchRatio();
      setInterval(ratioChanged, 250);
      if (window.ResizeObserver) {
        new ResizeObserver(function() { Module['_webCanvasChanged'](); }).observe(webPage.element('canvas'));
      }
    },

    // A save dropped anywhere on the page opens as if picked. Only the first
    // file of a drop is taken. The handle must be asked for while the event
    // is being handled.
    onDrop: function(event) {
      event.preventDefault();
      var transfer = event.dataTransfer;
      if (!transfer || transfer.files.length === 0) return;
      var file = transfer.files[0];
      var item = transfer.items && transfer.items[0];
      var handlePromise = item && item.getAsFileSystemHandle ? item.getAsFileSystemHandle() : null;
      // A picture (told by its first bytes) is aligned as the player's own
      // map (web_own_map.js); anything else opens as a save.
      var taken = webPage.takeDroppedPicture ? webPage.takeDroppedPicture(file) : Promise.resolve(false);
      taken.then(function(picture) {
        if (!picture) webPage.openDropped(file, handlePromise);
      });
    },

    openDropped: function(file, handlePromise) {
      if (!handlePromise) {
        webPage.openFile(file);
        return;
      }
      handlePromise.then(function(handle) {
        if (handle && handle.kind === 'file') {
          webPage.openHandle(handle);
        } else {
          webPage.openFile(file);
        }
      }, function() {
        webPage.openFile(file);
      });
    }
  },

  webInitGlEmulation__deps: ['$Browser'],
  webInitGlEmulation: function() {
    Module.useWebGL = true;
    Browser.moduleContextCreatedCallbacks.forEach(function(callback) { callback(); });
  },

  webInstallPage__deps: ['$webPage'],
  webInstallPage: function(reloadIntervalMs) {
    // What the page tells about itself, for whoever looks (the tests do):
    // frames drawn, when the first one was, looks taken at a followed save,
    // and the open path for a file handle.
    webPage.state = window.packageViewer = {
      frames: 0,
      firstFrameMs: null,
      looks: 0,
      openHandle: webPage.openHandle
    };
    var dialog = webPage.element('box');
    webPage.element('box-ok').addEventListener('click', function() { dialog.close(); });
    dialog.addEventListener('close', webPage.showNextBox);
    var input = webPage.element('file');
    input.addEventListener('change', function() {
      if (input.files.length > 0) webPage.openFile(input.files[0]);
      input.value = '';
    });
    document.addEventListener('dragover', function(event) { event.preventDefault(); });
    document.addEventListener('drop', webPage.onDrop);
    setInterval(webPage.look, reloadIntervalMs);
    webPage.installToolbar();
    webPage.followServed();
  },

  webFetchPictures__deps: ['$webPage', 'malloc', 'free'],
  webFetchPictures: function(fontName, mapName) {
    // A picture the host put beside the page wins; else the bundled one,
    // shipped compressed, is inflated to the same bytes.
    var fetchBuffer = function(name, inflate) {
      return fetch(name).then(function(response) {
        if (!response.ok) return null;
        if (!inflate) return response.arrayBuffer();
        return new Response(response.body.pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
      });
    };
    var fetchBytes = function(name) {
      return fetchBuffer(name, false).catch(function() { return null; }).then(function(buffer) {
        if (buffer || !window.DecompressionStream) return buffer;
        return fetchBuffer(name + '.gz', true);
      }).then(function(buffer) {
        return buffer ? new Uint8Array(buffer) : null;
      }, function() {
        return null;
      });
    };
    // The map kept in the browser is read first, so that it is in the first frame.
    Promise.all([fetchBytes(UTF8ToString(fontName)), fetchBytes(UTF8ToString(mapName)),
                 webPage.ownMapRead]).then(function(pictures) {
      webPage.withBytes(pictures.slice(0, 2), Module['_webPicturesFetched']);
      // The site is kept for use offline where the browser allows it (HTTPS
      // and localhost), once the page has everything it fetches itself.
      if (navigator.serviceWorker && window.isSecureContext) {
        navigator.serviceWorker.register('service-worker.js').catch(function() {});
      }
    });
  },

  webShowMessageBox__deps: ['$webPage'],
  webShowMessageBox: function(caption, text) {
    webPage.boxes.push({caption: UTF8ToString(caption), text: UTF8ToString(text)});
    webPage.showNextBox();
  },

  webMessageBoxOpen__deps: ['$webPage'],
  webMessageBoxOpen: function() {
    // Any of the page's dialogs (the box, a question) holds the map's input.
    return document.querySelector('dialog[open]') || webPage.boxes.length > 0 ? 1 : 0;
  },

  // Where the browser offers it (Chromium), the picker gives a handle that
  // the page can look at again; elsewhere the file input reads the file once.
  webChooseSavegame__deps: ['$webPage'],
  webChooseSavegame: function() {
    if (!window.showOpenFilePicker) {
      webPage.element('file').click();
      return;
    }
    window.showOpenFilePicker({
      types: [{description: 'KZR TH Savegames', accept: {'application/octet-stream': ['.b']}}]
    }).then(function(handles) {
      webPage.openHandle(handles[0]);
    }, function(error) {
      if (error && error.name === 'AbortError') return;
      Module['_webChooserFailed']();
    });
  },

  webFrameDrawn__deps: ['$webPage'],
  webFrameDrawn: function() {
    var state = webPage.state;
    if (state.frames === 0) state.firstFrameMs = performance.now();
    state.frames++;
    webPage.refreshList();
    webPage.refreshState();
  },

  webAnnounce__deps: ['$webPage'],
  webAnnounce: function(text) {
    webPage.element('said').textContent = UTF8ToString(text);
  },

  webToggleList__deps: ['$webPage'],
  webToggleList: function() {
    webPage.toggleList();
  }
});
