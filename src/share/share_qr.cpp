// The share address as a QR code: see share_qr.h.
#include "share/share_qr.h"

#include <qrcodegen/qrcodegen.hpp>

ShareQr encodeShareQr(const std::string &text) {
  ShareQr qr;
  try {
    const qrcodegen::QrCode code = qrcodegen::QrCode::encodeText(text.c_str(), qrcodegen::QrCode::Ecc::MEDIUM);
    qr.size = code.getSize();
    qr.dark.resize(static_cast<size_t>(qr.size) * qr.size);
    for (int y = 0; y < qr.size; ++y) {
      for (int x = 0; x < qr.size; ++x) qr.dark[static_cast<size_t>(y) * qr.size + x] = code.getModule(x, y);
    }
  } catch (const qrcodegen::data_too_long &) {
    qr = ShareQr{};
  }
  return qr;
}

std::string shareQrTerminalText(const ShareQr &qr, bool colours) {
  const auto dark = [&qr](int x, int y) {
    return x >= 0 && y >= 0 && x < qr.size && y < qr.size && qr.dark[static_cast<size_t>(y) * qr.size + x];
  };
  // The modules a block stands for: the dark ones in colour (black on
  // white), else the light ones (in the terminal's foreground colour).
  const auto inked = [&](int x, int y) { return y < qr.size + QR_QUIET && dark(x, y) == colours; };
  std::string text;
  for (int y = -QR_QUIET; y < qr.size + QR_QUIET; y += 2) {
    if (colours) text += "\x1b[30;107m";
    for (int x = -QR_QUIET; x < qr.size + QR_QUIET; ++x) {
      const bool top = inked(x, y);
      const bool bottom = inked(x, y + 1);
      text += top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ";
    }
    if (colours) text += "\x1b[0m";
    text += '\n';
  }
  return text;
}
