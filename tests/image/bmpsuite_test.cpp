// The public BMP suite (../shared/bmpsuite): every file its index marks as
// decodable comes out equal to its reference picture, every later header form
// is refused as unknown, and every damaged or optional file either decodes
// correctly or is refused with exactly one box. The headerless twins of the
// files that allow it give the same results. Prints how many files ended
// each way.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "image/image_test_support.h"

namespace {

const std::string SUITE_DIR = std::string(VIEWER_SHARED_DIR) + "/bmpsuite";

struct SuiteFile {
  std::string path;
  int32_t height;
  std::string expected;
  std::vector<std::string> pictures;  // expected_ppm alternatives, first preferred
  std::string tags;

  bool tagged(const std::string &tag) const {
    std::string list = "," + tags + ",";
    return list.find("," + tag + ",") != std::string::npos;
  }
  bool taggedPrefix(const std::string &prefix) const {
    return ("," + tags).find("," + prefix) != std::string::npos;
  }
};

std::vector<std::string> split(const std::string &text, char separator) {
  std::vector<std::string> fields;
  std::stringstream stream(text);
  std::string field;
  while (std::getline(stream, field, separator)) fields.push_back(field);
  return fields;
}

bool suitePresent() {
  struct stat info;
  return stat((SUITE_DIR + "/INDEX.tsv").c_str(), &info) == 0;
}

std::vector<SuiteFile> readIndex() {
  std::ifstream index(SUITE_DIR + "/INDEX.tsv");
  std::string line;
  std::getline(index, line);
  std::vector<std::string> names = split(line, '\t');
  auto column = [&](const char *name) {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return i;
    }
    ADD_FAILURE() << "INDEX.tsv has no column " << name;
    return size_t{0};
  };
  size_t path = column("path"), height = column("height"), expected = column("expected"),
         ppm = column("expected_ppm"), tags = column("tags");
  std::vector<SuiteFile> files;
  while (std::getline(index, line)) {
    std::vector<std::string> fields = split(line, '\t');
    if (fields.size() < names.size()) continue;
    SuiteFile file;
    file.path = fields[path];
    file.height = fields[height] == "-" ? 0 : std::atoi(fields[height].c_str());
    file.expected = fields[expected];
    if (fields[ppm] != "-") file.pictures = split(fields[ppm], '|');
    file.tags = fields[tags];
    files.push_back(file);
  }
  return files;
}

std::vector<unsigned char> readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};

// A binary PPM (P6, maxval 255) as the index's make_index.py writes it.
Picture readPpm(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  Picture picture;
  in >> magic >> picture.width >> picture.height >> maxval;
  in.get();
  EXPECT_EQ(magic, "P6") << path;
  EXPECT_EQ(maxval, 255) << path;
  picture.rgb.assign(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(picture.rgb.size(), static_cast<size_t>(picture.width) * picture.height * 3) << path;
  return picture;
}

// Rows of a picture stored top row first turned bottom row first, the order
// the loader always gives.
std::vector<unsigned char> reverseRows(const Picture &picture) {
  size_t rowBytes = static_cast<size_t>(picture.width) * 3;
  std::vector<unsigned char> out;
  for (int row = picture.height - 1; row >= 0; --row) {
    auto first = picture.rgb.begin() + static_cast<std::ptrdiff_t>(row * rowBytes);
    out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(rowBytes));
  }
  return out;
}

int largestDifference(const std::vector<unsigned char> &a, const std::vector<unsigned char> &b) {
  int largest = 0;
  for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

// Whether the image equals one of the file's reference pictures; channels
// narrower than 8 bits may differ by the rounding of their widening, which
// counts in *rounded.
bool matchesReference(const SuiteFile &file, const ImageRecord &image, std::string *why, int *rounded) {
  std::vector<unsigned char> pixels = pixelBytes(image);
  for (const std::string &name : file.pictures) {
    Picture picture = readPpm(SUITE_DIR + "/" + name);
    if (picture.width != image.width || picture.height != image.height) {
      *why = name + " has another size";
      continue;
    }
    std::vector<unsigned char> expected = file.height < 0 ? reverseRows(picture) : picture.rgb;
    if (pixels == expected) return true;
    int difference = largestDifference(pixels, expected);
    if (file.taggedPrefix("scale=") && difference <= 7) {
      ++*rounded;
      return true;
    }
    *why = name + " differs by up to " + std::to_string(difference);
  }
  return false;
}

// How the loader ended on one file: null after exactly one box, or a picture
// with no box at all. The same bytes are also loaded from an exactly sized
// heap copy, where a sanitizer sees any read past their end, and must end the
// same way.
ImagePtr loadSuiteFile(const SuiteFile &file) {
  std::vector<unsigned char> bytes = readFile(SUITE_DIR + "/" + file.path);
  ImagePtr copy = loadFromMemory(bytes);
  std::vector<RecordedMessageBox> copyBoxes = headlessMessageBoxes();
  headlessClearMessageBoxes();
  ImagePtr image(loadDibFile((SUITE_DIR + "/" + file.path).c_str()));
  EXPECT_EQ(headlessMessageBoxes().size(), image ? 0u : 1u);
  EXPECT_EQ(!image, !copy);
  if (image && copy) {
    EXPECT_TRUE(pixelBytes(*image) == pixelBytes(*copy));
  } else if (!image && !copy) {
    EXPECT_EQ(copyBoxes.size(), 1u);
    EXPECT_EQ(headlessMessageBoxes().at(0).text, copyBoxes.at(0).text);
  }
  return image;
}

class BmpSuite : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!suitePresent()) GTEST_SKIP() << "BMP suite not found at " << SUITE_DIR << "; skipping";
    files = readIndex();
    ASSERT_FALSE(files.empty());
  }
  std::vector<SuiteFile> files;
};

TEST_F(BmpSuite, DecodableFilesMatchTheirPictures) {
  int decoded = 0, total = 0, rounded = 0;
  for (const SuiteFile &file : files) {
    if (file.expected != "decode") continue;
    SCOPED_TRACE(file.path);
    ++total;
    ImagePtr image = loadSuiteFile(file);
    if (!image) {
      ADD_FAILURE() << "refused: " << headlessMessageBoxes().at(0).text;
      continue;
    }
    std::string why;
    EXPECT_TRUE(matchesReference(file, *image, &why, &rounded)) << why;
    ++decoded;
  }
  std::printf("[ suite    ] decode: %d of %d decoded, %d of them within the rounding allowance\n", decoded,
              total, rounded);
}

TEST_F(BmpSuite, LaterHeaderFormsAreUnknown) {
  int refused = 0, total = 0;
  for (const SuiteFile &file : files) {
    if (file.expected != "refuse-unknown-format") continue;
    SCOPED_TRACE(file.path);
    ++total;
    ImagePtr image = loadSuiteFile(file);
    EXPECT_FALSE(image);
    expectOneErrorBox("Unknown DIB file format.");
    if (!image) ++refused;
  }
  std::printf("[ suite    ] refuse-unknown-format: %d of %d refused\n", refused, total);
}

// Files with a reference picture here are ones this loader supports (bit
// fields, top-down, fields it ignores), so they must decode; the others may
// go either way as long as they end cleanly.
TEST_F(BmpSuite, DamagedAndOptionalFilesDecodeCorrectlyOrEndInOneBox) {
  int decoded = 0, refused = 0, total = 0, rounded = 0;
  for (const SuiteFile &file : files) {
    if (file.expected != "refuse-or-survive") continue;
    SCOPED_TRACE(file.path);
    ++total;
    ImagePtr image = loadSuiteFile(file);
    if (!image) {
      ++refused;
      EXPECT_TRUE(file.pictures.empty()) << "refused: " << headlessMessageBoxes().at(0).text;
      std::printf("[ suite    ]   refused %s: %s\n", file.path.c_str(),
                  headlessMessageBoxes().at(0).text.c_str());
      continue;
    }
    ++decoded;
    std::string why;
    if (!file.pictures.empty()) {
      EXPECT_TRUE(matchesReference(file, *image, &why, &rounded)) << why;
    }
    std::printf("[ suite    ]   decoded %s (%d x %d)\n", file.path.c_str(), image->width, image->height);
  }
  std::printf("[ suite    ] refuse-or-survive: %d of %d decoded (%d within the rounding allowance), %d refused\n",
              decoded, total, rounded, refused);
}

TEST_F(BmpSuite, HeaderlessTwinsLoadTheSame) {
  int same = 0, total = 0;
  for (const SuiteFile &file : files) {
    if (!file.tagged("strip14-ok")) continue;
    SCOPED_TRACE(file.path);
    ++total;
    ImagePtr withHeader = loadSuiteFile(file);
    std::string firstText = withHeader ? "" : headlessMessageBoxes().at(0).text;
    std::vector<unsigned char> bytes = readFile(SUITE_DIR + "/" + file.path);
    ASSERT_GT(bytes.size(), 14u);
    bytes.erase(bytes.begin(), bytes.begin() + 14);
    ImagePtr headerless = loadThroughFile(bytes, "headerless.bmp");
    bool alike;
    if (withHeader && headerless) {
      alike = headlessMessageBoxes().empty() && headerless->width == withHeader->width &&
              headerless->height == withHeader->height &&
              pixelBytes(*headerless) == pixelBytes(*withHeader);
    } else {
      alike = !withHeader && !headerless && headlessMessageBoxes().size() == 1 &&
              headlessMessageBoxes()[0].text == firstText;
    }
    EXPECT_TRUE(alike) << (headerless ? "decoded" : "refused") << " without the file header, "
                       << (withHeader ? "decoded" : "refused") << " with it";
    if (alike) ++same;
  }
  std::printf("[ suite    ] strip14-ok: %d of %d headerless twins load the same\n", same, total);
}

// Every file cut short at a spread of lengths: never a read past the end,
// always exactly one box or a picture.
TEST_F(BmpSuite, CutFilesEndInOneBoxOrAPicture) {
  int refused = 0, decoded = 0;
  for (const SuiteFile &file : files) {
    std::vector<unsigned char> whole = readFile(SUITE_DIR + "/" + file.path);
    for (size_t step = 0; step < 40; ++step) {
      size_t cut = 1 + whole.size() * step / 40;
      SCOPED_TRACE(testing::Message() << file.path << " cut to " << cut << " bytes");
      std::vector<unsigned char> bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
      ImagePtr image = loadFromMemory(bytes);
      EXPECT_EQ(headlessMessageBoxes().size(), image ? 0u : 1u);
      image ? ++decoded : ++refused;
    }
  }
  std::printf("[ suite    ] cut files: %d refused, %d decoded\n", refused, decoded);
}

}  // namespace
