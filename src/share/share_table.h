// What the share server answers, decided without any networking: the fixed
// table of the site's files, the token that must open every path, and the
// one function that maps a request line to an answer. The server (Beast) only
// carries out what routeShareRequest decides.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One file of the site, read into memory at start.
struct ShareFile {
  std::string name;  // as requested below the base path: "index.html"; "" is the page itself
  std::string type;  // its Content-Type
  std::shared_ptr<const std::string> bytes;
  // The same as a gzip member, for browsers that accept it; null where
  // compressing gains nothing (pictures that are compressed already).
  std::shared_ptr<const std::string> gzipped;
  // The entity tag of each (quoted, as sent): a browser that holds the file
  // asks with it and is answered 304, a few bytes instead of the file.
  std::string tag;
  std::string gzippedTag;
};

// Everything the server may hand out besides the save and its events.
struct ShareTable {
  std::vector<ShareFile> files;
  // The first path segment every request must start with (32 hex digits), or
  // empty when the server listens on the loopback address alone and the base
  // path is "/".
  std::string token;
};

enum class ShareAnswer {
  FILE,          // 200 with *file
  SAVE,          // the followed save (404 while there is none)
  EVENTS,        // the event stream
  REDIRECT,      // 301 to location: the base path asked for without its final slash
  FORBIDDEN,     // 403 with SHARE_FORBIDDEN_PAGE: the token is missing or wrong
  NOT_FOUND,     // 404
  BAD_METHOD,    // 405: only GET and HEAD
};

struct ShareRoute {
  ShareAnswer answer;
  const ShareFile *file = nullptr;  // for FILE
  std::string location;             // for REDIRECT
};

// The answer to a request for `target` (the request line's path and query).
// The token is checked first, whatever the method or path, in time that does
// not depend on how much of it matched; then the method (GET or HEAD, else
// BAD_METHOD); then the name below the base path, compared as bytes with the
// table's names, "save" and "events" (a query is ignored; nothing is decoded,
// so no encoding of ".." or '/' can name anything but a table entry).
ShareRoute routeShareRequest(const ShareTable &table, bool getOrHead, std::string_view target);

// Whether `given` equals `secret`, in time that depends only on secret's
// length.
bool sameSecret(std::string_view given, std::string_view secret);

// A fresh random token of 128 bits as 32 lowercase hex digits, from the
// system's secure random source; empty when that source fails.
std::string randomShareToken();

// What an address without the token, or with an old one, is answered: a
// page for the person holding the phone.
extern const char *const SHARE_FORBIDDEN_PAGE;

// The Content-Type of a site file by its name's ending.
const char *shareContentType(std::string_view name);
