// The player's own map in the page (see web_own_map.cpp): the picker and the
// drop of a picture, decoded by the browser and scaled before the core aligns
// it; the align bar and the question; and the aligned map kept in the
// browser's IndexedDB (the original file and its placement), read again at
// every visit before the host's map and the bundled one. Nothing of it is
// ever sent anywhere. Linked in with --js-library.

mergeInto(LibraryManager.library, {
  $webOwnMap__deps: ['$webPage'],
  $webOwnMap: {
    DATABASE: 'package-viewer',
    STORE: 'own-map',
    KEY: 'map',
    // The bytes read of a file to tell a picture and its size by: a JPEG's
    // size may stand after its metadata.
    HEADER_BYTES: 262144,
    // The map kept in the browser: {blob, name, width, height, left, top,
    // unitsPerPixel}, the placement in the pixels of a picture width x height
    // (the file as scaled for the core).
    kept: null,
    // What the core aligns now: {blob, name, width, height}.
    aligned: null,
    // A picture was handed to the core since the page was last told of the
    // align mode (else aligning that began is the kept map's again).
    handed: false,
    wasAligning: false,

    database: function() {
      return new Promise(function(resolve, reject) {
        var request = indexedDB.open(webOwnMap.DATABASE, 1);
        request.onupgradeneeded = function() { request.result.createObjectStore(webOwnMap.STORE); };
        request.onsuccess = function() { resolve(request.result); };
        request.onerror = function() { reject(request.error); };
      });
    },

    // One request on the store, in a transaction of its own; the promise is
    // settled once the transaction is done.
    store: function(mode, act) {
      return webOwnMap.database().then(function(database) {
        return new Promise(function(resolve, reject) {
          var transaction = database.transaction(webOwnMap.STORE, mode);
          var request = act(transaction.objectStore(webOwnMap.STORE));
          transaction.oncomplete = function() {
            database.close();
            resolve(request.result);
          };
          transaction.onerror = transaction.onabort = function() {
            database.close();
            reject(transaction.error);
          };
        });
      });
    },

    // Counts of the writes and clears done, for whoever looks (the tests).
    told: function(what) {
      var state = webPage.state;
      state[what] = (state[what] || 0) + 1;
    },

    keep: function(record) {
      webOwnMap.kept = record;
      webOwnMap.store('readwrite', function(store) { return store.put(record, webOwnMap.KEY); }).then(function() {
        webOwnMap.told('ownMapKept');
      }, function(error) {
        webPage.withString(String(error && error.name), Module['_webOwnMapNotKept']);
      });
    },

    forget: function() {
      webOwnMap.kept = null;
      webOwnMap.store('readwrite', function(store) { return store.delete(webOwnMap.KEY); }).then(function() {
        webOwnMap.told('ownMapForgotten');
      }, function() {});
    },

    refuse: function(name, reason) {
      webPage.withString(name, function(namePointer) {
        webPage.withString(reason, function(reasonPointer) {
          Module['_webPictureUnreadable'](namePointer, reasonPointer);
        });
      });
    },

    refuseLarge: function(name, width, height) {
      return webPage.withString(name, function(pointer) {
        return Module['_webRefuseLargePicture'](pointer, width, height);
      }) !== 0;
    },

    // Whether the bytes begin as a picture the browser decodes: PNG, JPEG,
    // GIF, BMP, WebP, AVIF. Told by content, never by the file's name.
    isPicture: function(b) {
      var text = function(at, word) {
        for (var i = 0; i < word.length; i++) if (b[at + i] !== word.charCodeAt(i)) return false;
        return true;
      };
      return (b.length >= 8 && b[0] === 0x89 && text(1, 'PNG\r\n\x1a\n')) ||
             (b.length >= 3 && b[0] === 0xff && b[1] === 0xd8 && b[2] === 0xff) ||
             text(0, 'GIF87a') || text(0, 'GIF89a') || (b.length >= 26 && text(0, 'BM')) ||
             (text(0, 'RIFF') && text(8, 'WEBP')) || (text(4, 'ftyp') && (text(8, 'avif') || text(8, 'avis')));
    },

    // The size a picture's header states, read before anything is decoded,
    // or null when this header is not one read here (the decoded picture's
    // size is looked at then).
    headerSize: function(b) {
      var be16 = function(i) { return b[i] << 8 | b[i + 1]; };
      var le16 = function(i) { return b[i] | b[i + 1] << 8; };
      var be32 = function(i) { return (b[i] << 24 | b[i + 1] << 16 | b[i + 2] << 8 | b[i + 3]) >>> 0; };
      var le32 = function(i) { return (b[i] | b[i + 1] << 8 | b[i + 2] << 16 | b[i + 3] << 24) >>> 0; };
      var size = function(width, height) { return {width: width, height: height}; };
      if (b[0] === 0x89 && b.length >= 24) return size(be32(16), be32(20));
      if (b[0] === 0x47 && b.length >= 10) return size(le16(6), le16(8));
      if (b[0] === 0x42 && b.length >= 26) {
        if (le32(14) === 12) return size(le16(18), le16(20));
        return size(Math.abs(le32(18) | 0), Math.abs(le32(22) | 0));
      }
      if (b[0] === 0x52 && b.length >= 30) {
        if (b[15] === 0x20) return size(le16(26) & 0x3fff, le16(28) & 0x3fff);
        if (b[15] === 0x4c) return size(1 + (b[21] | (b[22] & 0x3f) << 8), 1 + (b[22] >> 6 | b[23] << 2 | (b[24] & 0x0f) << 10));
        if (b[15] === 0x58) return size(1 + (le32(24) & 0xffffff), 1 + (le32(27) & 0xffffff));
      }
      if (b[0] === 0xff) {
        // A JPEG's segments up to its frame header (SOF0 .. SOF15 but for
        // DHT, JPG and DAC, which share the range).
        for (var at = 2; at + 9 < b.length && b[at] === 0xff;) {
          var marker = b[at + 1];
          if (marker >= 0xc0 && marker <= 0xcf && marker !== 0xc4 && marker !== 0xc8 && marker !== 0xcc) {
            return size(be16(at + 7), be16(at + 5));
          }
          at += 2 + be16(at + 2);
        }
      }
      return null;
    },

    // Decodes a picture and scales it so that its longer side is at most the
    // core's limit: a promise of {rgba, width, height}, or of null after one
    // box that says why it cannot be used (too large, or not decodable).
    decode: function(blob, name) {
      var largest = Module['_webLargestKeptSide']();
      return blob.slice(0, webOwnMap.HEADER_BYTES).arrayBuffer().then(function(buffer) {
        var header = webOwnMap.headerSize(new Uint8Array(buffer));
        if (header && webOwnMap.refuseLarge(name, header.width, header.height)) return null;
        // Scaled while decoding where the size is known: the full picture
        // need not stay in memory meanwhile.
        var options = {};
        var first = header ? Math.min(1, largest / Math.max(header.width, header.height, 1)) : 1;
        if (first < 1) {
          options = {resizeWidth: Math.max(1, Math.round(header.width * first)),
                     resizeHeight: Math.max(1, Math.round(header.height * first)), resizeQuality: 'high'};
        }
        return createImageBitmap(blob, options).then(function(bitmap) {
          if (webOwnMap.refuseLarge(name, bitmap.width, bitmap.height)) {
            bitmap.close();
            return null;
          }
          var scale = Math.min(1, largest / Math.max(bitmap.width, bitmap.height));
          var width = Math.max(1, Math.round(bitmap.width * scale));
          var height = Math.max(1, Math.round(bitmap.height * scale));
          var canvas = document.createElement('canvas');
          canvas.width = width;
          canvas.height = height;
          // Kept in main memory: it is read back at once.
          var context = canvas.getContext('2d', {willReadFrequently: true});
          context.imageSmoothingQuality = 'high';
          context.drawImage(bitmap, 0, 0, width, height);
          bitmap.close();
          var pixels = context.getImageData(0, 0, width, height).data;
          canvas.width = canvas.height = 0;
          return {rgba: pixels, width: width, height: height};
        });
      }).catch(function() {
        webOwnMap.refuse(name, 'it is damaged, not a picture, or of a kind this browser cannot decode');
        return null;
      });
    },

    // Writes a decoded picture into the program's room for it; false when
    // it has none.
    hand: function(picture) {
      var room = Module['_webPictureRoom'](picture.width, picture.height);
      if (!room) return false;
      // Read after the call: the room may have grown the memory.
      HEAPU8.set(picture.rgba, room);
      return true;
    },

    // A picture the player picked or dropped: aligned from the start, or
    // nothing changes when it cannot be used.
    openPicture: function(file) {
      return webOwnMap.decode(file, file.name).then(function(picture) {
        if (!picture) return;
        if (!webOwnMap.hand(picture) || !Module['_webAlignPicture']()) return;
        webOwnMap.aligned = {blob: file, name: file.name, width: picture.width, height: picture.height};
        webOwnMap.handed = true;
      });
    },

    // A dropped file: a promise of whether it was a picture, taken here.
    takeDroppedPicture: function(file) {
      return file.slice(0, 32).arrayBuffer().then(function(buffer) {
        if (!webOwnMap.isPicture(new Uint8Array(buffer))) return false;
        webOwnMap.openPicture(file);
        return true;
      }, function() { return false; });
    },

    // The map kept at an earlier visit, shown as the player's own. A kept
    // picture that cannot be read any more is passed over quietly.
    showKept: function() {
      if (!window.indexedDB) return Promise.resolve();
      return webOwnMap.store('readonly', function(store) { return store.get(webOwnMap.KEY); }).then(function(record) {
        if (!record || !record.blob) return;
        return webOwnMap.decode(record.blob, record.name).then(function(picture) {
          if (!picture) return;
          // In the pixels of the picture as decoded now.
          var unitsPerPixel = record.unitsPerPixel * record.width / picture.width;
          if (webOwnMap.hand(picture) && Module['_webShowKeptOwnMap'](record.left, record.top, unitsPerPixel)) {
            webOwnMap.kept = record;
          }
        });
      }).catch(function() {});
    },

    changed: function(aligning, kept, left, top, unitsPerPixel, status) {
      if (aligning && !webOwnMap.wasAligning && !webOwnMap.handed) webOwnMap.aligned = webOwnMap.kept;
      webOwnMap.handed = false;
      webOwnMap.wasAligning = aligning;
      webPage.element('align-bar').hidden = !aligning;
      webPage.element('align-status').textContent = status;
      var aligned = webOwnMap.aligned;
      if (kept && aligned) {
        webOwnMap.keep({blob: aligned.blob, name: aligned.name, width: aligned.width, height: aligned.height,
                        left: left, top: top, unitsPerPixel: unitsPerPixel});
      }
    }
  },

  webInstallOwnMap__deps: ['$webOwnMap', '$webPage'],
  webInstallOwnMap: function() {
    var input = webPage.element('picture-file');
    input.addEventListener('change', function() {
      if (input.files.length > 0) webOwnMap.openPicture(input.files[0]);
      input.value = '';
    });
    webPage.element('align-hint').textContent = UTF8ToString(Module['_webAlignmentHint']());
    var calls = {
      'align-done': function() { Module['_webKeepAlignment'](); },
      'align-cancel': function() { Module['_webCancelAlignment'](); },
      'align-unpin': function() { Module['_webTakeBackPin'](); },
      'align-other': function() { input.click(); },
      'align-delete': function() { Module['_webAskToForget'](); }
    };
    Object.keys(calls).forEach(function(id) { webPage.element(id).addEventListener('click', calls[id]); });
    var question = webPage.element('question');
    webPage.element('question-yes').addEventListener('click', function() { question.close('yes'); });
    webPage.element('question-no').addEventListener('click', function() { question.close('no'); });
    question.addEventListener('close', function() {
      if (question.returnValue !== 'yes') return;
      webOwnMap.forget();
      Module['_webForgetOwnMap']();
    });
    webPage.takeDroppedPicture = webOwnMap.takeDroppedPicture;
    webPage.ownMapRead = webOwnMap.showKept();
  },

  webChoosePicture__deps: ['$webPage'],
  webChoosePicture: function() {
    webPage.element('picture-file').click();
  },

  webAskQuestion__deps: ['$webPage'],
  webAskQuestion: function(caption, text) {
    var question = webPage.element('question');
    if (question.open) return;
    webPage.element('question-caption').textContent = UTF8ToString(caption);
    webPage.element('question-text').textContent = UTF8ToString(text);
    question.returnValue = '';
    question.showModal();
    webPage.element('question-no').focus();
  },

  webOwnMapChanged__deps: ['$webOwnMap'],
  webOwnMapChanged: function(aligning, kept, left, top, unitsPerPixel, status) {
    webOwnMap.changed(aligning !== 0, kept !== 0, left, top, unitsPerPixel, UTF8ToString(status));
  }
});
