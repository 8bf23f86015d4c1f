// The share address as a QR code (nayuki's QR Code generator), as module
// rows for drawing and as text for a terminal.
#pragma once

#include <string>
#include <vector>

// The QR code of `text` at medium error correction: size x size modules,
// row by row, true for dark. Empty when the text does not fit in any QR code.
struct ShareQr {
  int size = 0;
  std::vector<bool> dark;
};
ShareQr encodeShareQr(const std::string &text);

// The code drawn with Unicode half blocks, two module rows per line, dark
// modules as the terminal's background and a quiet zone of QR_QUIET modules
// round it, so that it scans on a dark or a light terminal alike.
std::string shareQrTerminalText(const ShareQr &qr);

constexpr int QR_QUIET = 2;
