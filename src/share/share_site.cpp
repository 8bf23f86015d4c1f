// Finding and reading the share server's site: see share_site.h.
#include "share/share_site.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/platform.h"
#include "share/share_gzip.h"

namespace {

// Every name the server may hand out from the site. Nothing else in the
// folder is ever read, and no request names a path of its own. The bundled
// pictures come gzipped (the page inflates them); a plain font.bmp or
// THmap.bmp, the player's own, wins over them where there is one.
const char *const SITE_FILES[] = {"index.html",  "page.css",          "package-viewer.js", "package-viewer.wasm",
                                  "font.bmp",    "THmap.bmp",         "font.bmp.gz",       "THmap.bmp.gz",
                                  "icon.svg",    "icon-192.png",      "icon-512.png",      "manifest.webmanifest",
                                  "service-worker.js"};

const char *const MAP_PICTURE = "THmap.bmp";

bool readWhole(const std::string &path, std::string *bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

// A gzip copy of a file worth sending instead: not of one compressed
// already, and only when it saves a tenth at least.
std::shared_ptr<const std::string> compressed(const std::string &name, const std::string &bytes) {
  for (const char *packed : {".gz", ".png"}) {
    const size_t length = std::char_traits<char>::length(packed);
    if (name.size() >= length && name.compare(name.size() - length, length, packed) == 0) return nullptr;
  }
  auto gzipped = std::make_shared<std::string>(gzipBytes(bytes));
  if (gzipped->empty() || gzipped->size() > bytes.size() / 10 * 9) return nullptr;
  return gzipped;
}

// A strong entity tag of `bytes`: FNV-1a over them, as 16 hex digits, with
// `suffix` for another coding of the same file.
std::string entityTag(const std::string &bytes, const char *suffix) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
  char text[32];
  std::snprintf(text, sizeof text, "\"%016llx%s\"", static_cast<unsigned long long>(hash), suffix);
  return text;
}

bool hasPage(const std::string &folder) {
  std::ifstream page(folder + "/index.html", std::ios::binary);
  return static_cast<bool>(page);
}

// The page learns that a save is served beside it from a mark in its head,
// so that the same page on a plain web host asks for nothing that is not
// there.
void markSharedPage(std::string *page) {
  const size_t head = page->find("<head>");
  if (head != std::string::npos) page->insert(head + 6, "\n<meta name=\"shared-save\" content=\"save events\">");
}

}  // namespace

const char *const SHARE_SITE_MISSING = "no web page to serve: scripts/web builds it (or name its folder with --site)";

std::string findShareSite(const std::string &asked, const std::string &programFolder) {
  if (!asked.empty()) return hasPage(asked) ? asked : std::string();
  if (programFolder.empty()) return std::string();
  for (const char *below : {"/../share/package-viewer/web", "/web"}) {
    if (hasPage(programFolder + below)) return programFolder + below;
  }
  // A program built in a source tree (build/release/tools, say) finds the
  // site that scripts/web builds in that tree.
  std::string above = programFolder;
  for (int depth = 0; depth < 6; ++depth) {
    above += "/..";
    if (hasPage(above + "/build/web/site")) return above + "/build/web/site";
    if (hasPage(above + "/web/site")) return above + "/web/site";
  }
  return std::string();
}

std::string playersOwnMap(const std::string &found, const std::string &bundled) {
  const FileStamp own = platformFileStamp(found.c_str());
  const FileStamp program = platformFileStamp(bundled.c_str());
  const bool same = own.exists && program.exists && own.volume == program.volume && own.fileIndex == program.fileIndex;
  return own.exists && !same ? found : std::string();
}

bool readShareSite(const std::string &folder, const std::string &mapPicture, ShareTable *table,
                   std::string *error) {
  table->files.clear();
  for (const char *name : SITE_FILES) {
    auto bytes = std::make_shared<std::string>();
    const bool ownMap = name == std::string(MAP_PICTURE) && !mapPicture.empty() && readWhole(mapPicture, bytes.get());
    if (!ownMap && !readWhole(folder + "/" + name, bytes.get())) {
      if (name != std::string("index.html")) continue;  // a site without it serves without it
      *error = "cannot read " + folder + "/index.html";
      return false;
    }
    if (name == std::string("index.html")) markSharedPage(bytes.get());
    const std::shared_ptr<const std::string> gzipped = compressed(name, *bytes);
    const ShareFile file{name, shareContentType(name), bytes, gzipped, entityTag(*bytes, ""),
                         gzipped ? entityTag(*bytes, "-gzip") : std::string()};
    table->files.push_back(file);
    if (name == std::string("index.html")) {
      table->files.push_back(file);
      table->files.back().name.clear();
    }
  }
  return true;
}
