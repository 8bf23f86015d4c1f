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

    // Opens a file the user picked or dropped, with its handle where the
    // browser gives one. Only a save that opened is followed from then on; a
    // failed open leaves the followed save as it was.
    openFile: function(file, handle) {
      file.arrayBuffer().then(function(buffer) {
        return new Uint8Array(buffer);
      }, function() {
        return null;
      }).then(function(bytes) {
        var opened = webPage.withString(file.name, function(name) {
          return webPage.withBytes([bytes], function(pointer, length) {
            return Module['_webOpenSave'](name, pointer, length);
          });
        });
        if (!opened) return;
        webPage.followed = handle ? {handle: handle, size: file.size, modified: file.lastModified, pending: false} : null;
        webPage.element('hint').hidden = true;
      });
    },

    openHandle: function(handle) {
      return handle.getFile().then(function(file) {
        webPage.openFile(file, handle);
      }, function() {
        webPage.withString(handle.name, function(name) {
          Module['_webOpenSave'](name, 0, 0);
        });
      });
    },

    // One look at the followed save, as the desktop looks at its file: a
    // changed size or time (or a version not yet read cleanly) is read again
    // quietly; a read that fails keeps the lists and is tried at the next look.
    look: function() {
      var followed = webPage.followed;
      if (!followed || webPage.looking || webPage.element('box').open) return;
      webPage.looking = true;
      followed.handle.getFile().then(function(file) {
        if (!followed.pending && file.size === followed.size && file.lastModified === followed.modified) return;
        followed.size = file.size;
        followed.modified = file.lastModified;
        followed.pending = true;
        return file.arrayBuffer().then(function(buffer) {
          var bytes = new Uint8Array(buffer);
          if (webPage.followed !== followed) return;
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
    onDrop: function(event) {
      event.preventDefault();
      var transfer = event.dataTransfer;
      if (!transfer || transfer.files.length === 0) return;
      var file = transfer.files[0];
      var item = transfer.items && transfer.items[0];
      var handlePromise = item && item.getAsFileSystemHandle ? item.getAsFileSystemHandle() : null;
      if (!handlePromise) {
        webPage.openFile(file, null);
        return;
      }
      handlePromise.then(function(handle) {
        if (handle && handle.kind === 'file') {
          webPage.openHandle(handle);
        } else {
          webPage.openFile(file, null);
        }
      }, function() {
        webPage.openFile(file, null);
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
      if (input.files.length > 0) webPage.openFile(input.files[0], null);
      input.value = '';
    });
    document.addEventListener('dragover', function(event) { event.preventDefault(); });
    document.addEventListener('drop', webPage.onDrop);
    setInterval(webPage.look, reloadIntervalMs);
  },

  webFetchPictures__deps: ['$webPage', 'malloc', 'free'],
  webFetchPictures: function(fontName, mapName) {
    var fetchBytes = function(name) {
      return fetch(name).then(function(response) {
        return response.ok ? response.arrayBuffer() : null;
      }).then(function(buffer) {
        return buffer ? new Uint8Array(buffer) : null;
      }, function() {
        return null;
      });
    };
    Promise.all([fetchBytes(UTF8ToString(fontName)), fetchBytes(UTF8ToString(mapName))]).then(function(pictures) {
      webPage.withBytes(pictures, Module['_webPicturesFetched']);
    });
  },

  webShowMessageBox__deps: ['$webPage'],
  webShowMessageBox: function(caption, text) {
    webPage.boxes.push({caption: UTF8ToString(caption), text: UTF8ToString(text)});
    webPage.showNextBox();
  },

  webMessageBoxOpen__deps: ['$webPage'],
  webMessageBoxOpen: function() {
    return webPage.element('box').open || webPage.boxes.length > 0 ? 1 : 0;
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
  }
});
