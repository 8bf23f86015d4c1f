// The character sets around the Linux chooser: the environment zenity runs
// in and the way back from its UTF-8 answer to the file's own name.
#include "platform/sdl/sdl_chooser_text.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern char **environ;

namespace {

// A locale with UTF-8 text that every glibc system has.
constexpr char UTF8_LOCALE[] = "C.UTF-8";

bool isUtf8Codeset(const std::string &codeset) {
  return strcasecmp(codeset.c_str(), "UTF-8") == 0 || strcasecmp(codeset.c_str(), "UTF8") == 0;
}

// The character set of the user's locale (LC_CTYPE as the environment sets
// it), read without changing this program's own locale.
std::string userCodeset() {
  locale_t locale = newlocale(LC_CTYPE_MASK, "", nullptr);
  if (!locale) return "ANSI_X3.4-1968";
  std::string codeset = nl_langinfo_l(CODESET, locale);
  freelocale(locale);
  return codeset;
}

// The encoding of file names as GLib (and so zenity) takes it: the first
// entry of G_FILENAME_ENCODING ("@locale" for the locale's), the locale's
// when G_BROKEN_FILENAMES is set, and UTF-8 otherwise.
std::string fileNameEncoding() {
  const char *configured = std::getenv("G_FILENAME_ENCODING");
  if (configured && configured[0] != '\0') {
    std::string first(configured, strcspn(configured, ","));
    if (first != "@locale") return first;
    return userCodeset();
  }
  if (std::getenv("G_BROKEN_FILENAMES")) return userCodeset();
  return "UTF-8";
}

bool hasVariableName(const char *entry, const char *name) {
  const size_t length = std::strlen(name);
  return std::strncmp(entry, name, length) == 0 && entry[length] == '=';
}

}  // namespace

std::vector<std::string> currentEnvironment() {
  std::vector<std::string> environment;
  for (char **entry = environ; *entry; ++entry) environment.push_back(*entry);
  return environment;
}

std::vector<std::string> zenityEnvironment() {
  std::vector<std::string> environment = currentEnvironment();
  if (isUtf8Codeset(userCodeset())) return environment;
  locale_t utf8 = newlocale(LC_CTYPE_MASK, UTF8_LOCALE, nullptr);
  if (!utf8) return environment;
  freelocale(utf8);

  const std::string encoding = fileNameEncoding();
  std::string everyCategory;
  std::vector<std::string> changed;
  for (const std::string &entry : environment) {
    if (hasVariableName(entry.c_str(), "LC_ALL")) {
      everyCategory = entry.substr(std::strlen("LC_ALL="));
    } else if (!hasVariableName(entry.c_str(), "LC_CTYPE") &&
               !hasVariableName(entry.c_str(), "G_FILENAME_ENCODING")) {
      changed.push_back(entry);
    }
  }
  if (!everyCategory.empty()) {
    // LC_ALL overrode LANG and every LC_ variable; LANG alone now stands for
    // it, below the LC_CTYPE set here.
    changed.erase(std::remove_if(changed.begin(), changed.end(),
                                 [](const std::string &entry) {
                                   return entry.compare(0, 3, "LC_") == 0 || hasVariableName(entry.c_str(), "LANG");
                                 }),
                  changed.end());
    changed.push_back("LANG=" + everyCategory);
  }
  changed.push_back(std::string("LC_CTYPE=") + UTF8_LOCALE);
  changed.push_back("G_FILENAME_ENCODING=" + encoding);
  return changed;
}

bool fromZenityEncoding(const std::string &utf8, std::string *name) {
  const std::string encoding = fileNameEncoding();
  if (isUtf8Codeset(encoding)) {
    *name = utf8;
    return true;
  }
  iconv_t converter = iconv_open(encoding.c_str(), "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> input(utf8.begin(), utf8.end());
  std::vector<char> output(utf8.size() * 4 + 16);
  char *in = input.data();
  size_t inLeft = input.size();
  char *out = output.data();
  size_t outLeft = output.size();
  const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  const bool converted = result != static_cast<size_t>(-1) &&
                         iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<size_t>(-1);
  iconv_close(converter);
  if (!converted || inLeft != 0) return false;
  name->assign(output.data(), static_cast<size_t>(out - output.data()));
  return true;
}

