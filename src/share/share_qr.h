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

// The code drawn with Unicode half blocks, two module rows per line, with a
// quiet zone of QR_QUIET modules round it. With colours (a terminal that
// takes ANSI colour codes), each line sets both colours itself, black modules
// on white, so that it reads the same on a dark or a light terminal; without,
// dark modules are the terminal's background and light ones blocks, which
// reads on a dark terminal, and in negative, which most phones read too, on
// a light one.
std::string shareQrTerminalText(const ShareQr &qr, bool colours);

constexpr int QR_QUIET = 4;
