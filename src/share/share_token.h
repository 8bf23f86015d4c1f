// The secret of the address a PC shares on the local network, kept in the
// player's own settings folder, so that the address, and its QR code, stay
// the same from one run of `serve --lan` or the viewer's sharing to the next
// and a phone that scanned it once reconnects by itself.
#pragma once

#include <string>

// The name of the file in the settings folder (USER_CONFIG_FOLDER).
extern const char *const SHARE_TOKEN_FILE;

// The kept token: the one in the settings folder when that holds one (32
// lowercase hex digits), otherwise a new one (randomShareToken), written
// there owner-only. With renew a new one replaces the kept one whatever it
// was, so the old address is answered 403 from then on. Empty only when
// there are no secure random numbers. When the token cannot be kept (no home
// folder, a folder that cannot be written) it is this run's alone and
// *warning says why; otherwise *warning is left empty.
std::string keptShareToken(bool renew, std::string *warning);
