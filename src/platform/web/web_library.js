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
      return {
        name: handle.name,
        read: function() {
          return handle.getFile().then(function(file) {
            seen = {size: file.size, modified: file.lastModified};
            return file.arrayBuffer();
          }).then(function(buffer) { return new Uint8Array(buffer); }, function() { return null; });
        },
        changed: function() {
          return handle.getFile().then(function(file) {
            return !seen || file.size !== seen.size || file.lastModified !== seen.modified;
          });
        }
      };
    },

    // The save a desktop shares with this page (package-tool serve, the
    // viewer's 'Q'): fetched from beside the page, never from a cache, and
    // followed through the server's event stream, whose every event says
    // that a new version can be fetched. An event's second number counts the
    // saves opened afresh (another slot of a folder became the newest).
    servedSource: function() {
      var source = {
        name: 'save',
        stale: true,
        read: function() {
          source.stale = false;
          return fetch('save', {cache: 'no-store'}).then(function(response) {
            return response.ok ? response.arrayBuffer() : null;
          }).then(function(buffer) { return buffer ? new Uint8Array(buffer) : null; }, function() { return null; });
        },
        changed: function() { return Promise.resolve(source.stale); }
      };
      return source;
    },

    // Follows the shared save when the page was served with one: the share
    // server marks its copy of the page with <meta name="shared-save">.
    followServed: function() {
      if (document.querySelector('meta[name="shared-save"]')) webPage.connectServed(webPage.servedSource());
    },

    connectServed: function(source) {
      var status = webPage.element('share-status');
      var say = function(text) {
        status.textContent = text;
        status.hidden = false;
      };
      var opening = null;
      say('Waiting for the game\'s first save on the PC');
      var connect = function() {
        var events = new EventSource('events');
        events.onopen = function() { say('live'); };
        events.onmessage = function(event) {
          var counts = event.data.split(' ');
          source.stale = true;
          say('live');
          if (webPage.followed && webPage.followed.source === source && counts[1] === opening) {
            webPage.look();
            return;
          }
          opening = counts[1];
          webPage.openSource(source);
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
        if (!opened) return;
        webPage.followed = source.changed ? {source: source, pending: false} : null;
        webPage.element('hint').hidden = true;
      });
    },

    openFile: function(file) { return webPage.openSource(webPage.fileSource(file)); },

    openHandle: function(handle) { return webPage.openSource(webPage.handleSource(handle)); },

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
          if (read) followed.pending = false;
        });
      }).catch(function() {
        // Gone or being written: the lists stay, and the next look tries again.
        followed.pending = true;
      }).then(function() {
        webPage.looking = false;
        webPage.state.looks++;
      });
    },

    // A save dropped anywhere on the page opens as if picked. Only the first
    // file of a drop is taken. The handle must be asked for while the event
    // is being handled.
    // The list of what is left, built again from the program's rows when
    // they changed (a reload, 'K', a route, the collected outlines).
    listText: null,

    refreshList: function() {
      var panel = webPage.element('list');
      if (panel.hidden) return;
      var text = UTF8ToString(Module['_webListText']());
      if (text === webPage.listText) return;
      webPage.listText = text;
      var rows = webPage.element('list-rows');
      rows.textContent = '';
      text.split('\n').forEach(function(line) {
        if (!line) return;
        var fields = line.split('\t');
        var item = document.createElement('li');
        var button = document.createElement('button');
        button.type = 'button';
        if (fields[0] === '1') {
          var struck = document.createElement('s');
          struck.textContent = fields[3] + ' (collected)';
          button.appendChild(struck);
        } else {
          button.textContent = fields[3];
        }
        button.addEventListener('click', function() {
          Module['_webCentreOn'](Number(fields[0]), Number(fields[1]), Number(fields[2]));
        });
        item.appendChild(button);
        rows.appendChild(item);
      });
      webPage.element('list-count').textContent = '(' + rows.children.length + ')';
    },

    toggleList: function() {
      var panel = webPage.element('list');
      panel.hidden = !panel.hidden;
      webPage.element('list-button').setAttribute('aria-expanded', String(!panel.hidden));
      webPage.listText = null;
      webPage.refreshList();
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
        button.addEventListener('click', function() {
          var key = button.getAttribute('data-key');
          if (key) {
            Module['_webPressKey'](Number(key));
          } else {
            calls[button.getAttribute('data-call')]();
          }
        });
      });
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
