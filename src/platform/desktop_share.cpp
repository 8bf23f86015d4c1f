// The desktop programs' start of the sharing: see desktop_share.h.
#include "platform/desktop_share.h"

#include <cstdio>

#include "app/share_overlay.h"
#include "app/viewer_state.h"
#include "save/savegame.h"
#include "share/share_qr.h"
#include "share/share_session.h"
#include "share/share_site.h"
#include "share/share_token.h"

std::string startDesktopShare(const std::string &siteAsked, const std::string &programFolder,
                              const std::string &mapPicture) {
  std::string address;
  std::string error;
  if (!startViewerShare(findShareSite(siteAsked, programFolder), mapPicture, &address, &error)) {
    showErrorBox(error.c_str(), "Cannot share");
    return std::string();
  }
  const ShareQr qr = encodeShareQr(address);
  shareOverlay.size = qr.size;
  shareOverlay.dark = qr.dark;
  std::snprintf(shareOverlay.address, sizeof shareOverlay.address, "%s", address.c_str());
  shareViewerSave(viewerState.saveFileName);
  return address;
}

bool renewDesktopShareAddress() {
  std::string warning;
  const bool made = !keptShareToken(true, &warning).empty();
  if (made && warning.empty()) return true;
  showErrorBox(made ? warning.c_str() : "no secure random numbers for the address's token", "Cannot share");
  return false;
}
