#include "tests/support/TestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "imaging/PixelAccess.h"

namespace testing_support {

fs::path SourceDir() {
  if (const char* dir = std::getenv("PICTORAVELL_SOURCE_DIR")) return dir;
  // Running a test binary by hand from build/: the tree is one level up.
  return fs::current_path().parent_path();
}

fs::path FixturePath(const std::string& relative) { return SourceDir() / "tests" / "fixtures" / relative; }

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "pictoravell-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Restore write bits that a test may have removed, then delete.
  for (auto it = fs::recursive_directory_iterator(m_path, ec); !ec && it != fs::recursive_directory_iterator(); ++it)
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(m_path, ec);
}

bool HaveTool(const std::string& program) {
  return RunCommand("command -v " + ShellQuote(program) + " >/dev/null 2>&1") == 0;
}

bool ToolsRequired() {
  const char* v = std::getenv("PICTORAVELL_REQUIRE_TOOLS");
  return v && *v && std::string(v) != "0";
}

int RunCommand(const std::string& command, std::string* output) {
  FILE* pipe = popen((command + (output ? " 2>&1" : "")).c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  const int status = pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShellQuote(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

std::string Python() { return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3"; }

std::vector<uint8_t> ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

RecordingMessageSink::RecordingMessageSink(bool takePending) : m_previous(SetMessageSink(this)) {
  if (!takePending) messages.clear();
}
RecordingMessageSink::~RecordingMessageSink() { SetMessageSink(m_previous); }

namespace {

// Reads the next header token of a PNM file, skipping comments.
std::string Token(std::istream& in) {
  std::string tok;
  int c;
  while ((c = in.get()) != EOF) {
    if (c == '#') {
      while ((c = in.get()) != EOF && c != '\n') {
      }
      continue;
    }
    if (std::isspace(c)) {
      if (!tok.empty()) break;
      continue;
    }
    tok += static_cast<char>(c);
  }
  return tok;
}

}  // namespace

CRasterImage ReadPnm(const fs::path& path, bool keepGray) {
  std::ifstream in(path, std::ios::binary);
  std::string magic = Token(in);
  int width = 0, height = 0, maxval = 1, depth = 0;
  std::string tupl;
  if (magic == "P7") {
    for (;;) {
      std::string key = Token(in);
      if (key.empty() || key == "ENDHDR") break;
      if (key == "WIDTH") width = std::stoi(Token(in));
      else if (key == "HEIGHT") height = std::stoi(Token(in));
      else if (key == "DEPTH") depth = std::stoi(Token(in));
      else if (key == "MAXVAL") maxval = std::stoi(Token(in));
      else if (key == "TUPLTYPE") tupl = Token(in);
    }
  } else if (magic.size() == 2 && magic[0] == 'P' && magic[1] >= '1' && magic[1] <= '6') {
    width = std::stoi(Token(in));
    height = std::stoi(Token(in));
    if (magic != "P1" && magic != "P4") maxval = std::stoi(Token(in));
    depth = (magic == "P3" || magic == "P6") ? 3 : 1;
  } else {
    return {};
  }
  if (width <= 0 || height <= 0 || maxval <= 0 || maxval > 255) return {};
  const bool bits = magic == "P1" || magic == "P4";
  const bool ascii = magic == "P1" || magic == "P2" || magic == "P3";
  const bool gray = depth == 1 || depth == 2;
  const bool alpha = depth == 2 || depth == 4;
  CRasterImage image;
  const bool asGray = keepGray && gray && !alpha;
  image.Create(width, height, asGray ? 8 : 24);
  if (asGray) SetGrayPalette(image);
  if (alpha) image.CreateMask();
  auto scale = [&](int v) { return static_cast<uint8_t>((v * 255 + maxval / 2) / maxval); };
  std::vector<uint8_t> packed;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.GetWritableBits() + y * image.GetStride();
    uint8_t* mrow = alpha ? image.GetWritableMaskBits() + y * image.GetMaskStride() : nullptr;
    if (magic == "P4") {
      packed.resize(static_cast<size_t>((width + 7) / 8));
      in.read(reinterpret_cast<char*>(packed.data()), static_cast<std::streamsize>(packed.size()));
    }
    for (int x = 0; x < width; ++x) {
      int s[4] = {0, 0, 0, 255};
      for (int c = 0; c < depth; ++c) {
        int v;
        if (magic == "P4") {
          v = GetPixel1(packed.data(), static_cast<int16_t>(x));
        } else if (ascii) {
          if (magic == "P1") {
            int ch;
            while ((ch = in.get()) != EOF && ch != '0' && ch != '1') {
            }
            v = ch == '1';
          } else {
            v = std::stoi(Token(in));
          }
        } else {
          v = in.get();
        }
        s[c] = v;
      }
      uint8_t r, g, b, a = 255;
      if (bits) {
        r = g = b = s[0] ? 0 : 255;  // 1 is black in PBM
      } else if (gray) {
        r = g = b = scale(s[0]);
        if (alpha) a = scale(s[1]);
      } else {
        r = scale(s[0]);
        g = scale(s[1]);
        b = scale(s[2]);
        if (alpha) a = scale(s[3]);
      }
      if (asGray) {
        row[x] = r;
      } else {
        row[3 * x] = r;
        row[3 * x + 1] = g;
        row[3 * x + 2] = b;
      }
      if (mrow) mrow[x] = a;
    }
  }
  if (!in) return {};
  return image;
}

CRasterImage ToRgb(const CRasterImage& image) {
  if (image.IsEmpty()) return {};
  const int bpp = image.GetBitsPerPixel();
  if (bpp == 24 && (!image.HasMask() || image.GetMaskBitsPerPixel() == 8)) return image;
  CRasterImage out;
  out.Create(image.GetWidth(), image.GetHeight(), 24);
  const bool mask = image.HasValidMask();
  if (mask) out.CreateMask();
  for (int y = 0; y < image.GetHeight(); ++y) {
    const uint8_t* src = image.GetRow(y);
    uint8_t* dst = out.GetWritableBits() + y * out.GetStride();
    for (int x = 0; x < image.GetWidth(); ++x) {
      if (bpp == 24) {
        dst[3 * x] = src[3 * x];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x + 2];
      } else {
        const auto get = GetPixelGetter(bpp);
        const RGBQUAD q = image.GetPalette()[get(src, static_cast<int16_t>(x))];
        dst[3 * x] = q.rgbRed;
        dst[3 * x + 1] = q.rgbGreen;
        dst[3 * x + 2] = q.rgbBlue;
      }
      if (mask) {
        const uint8_t* m = image.GetMaskRow(y);
        out.GetWritableMaskBits()[y * out.GetMaskStride() + x] =
            image.GetMaskBitsPerPixel() == 8 ? m[x] : (GetPixel1(m, static_cast<int16_t>(x)) ? 255 : 0);
      }
    }
  }
  return out;
}

void WritePam(const fs::path& path, const CRasterImage& source) {
  const CRasterImage image = ToRgb(source);
  const bool alpha = image.HasValidMask();
  std::ofstream out(path, std::ios::binary);
  out << "P7\nWIDTH " << image.GetWidth() << "\nHEIGHT " << image.GetHeight() << "\nDEPTH " << (alpha ? 4 : 3)
      << "\nMAXVAL 255\nTUPLTYPE " << (alpha ? "RGB_ALPHA" : "RGB") << "\nENDHDR\n";
  for (int y = 0; y < image.GetHeight(); ++y) {
    const uint8_t* row = image.GetRow(y);
    for (int x = 0; x < image.GetWidth(); ++x) {
      out.write(reinterpret_cast<const char*>(row + 3 * x), 3);
      if (alpha) out.put(static_cast<char>(image.GetMaskRow(y)[x]));
    }
  }
}

std::string CompareRgb(const CRasterImage& a0, const CRasterImage& b0, int tolerance) {
  const CRasterImage a = ToRgb(a0), b = ToRgb(b0);
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    std::ostringstream s;
    s << "size " << a.GetWidth() << "x" << a.GetHeight() << " vs " << b.GetWidth() << "x" << b.GetHeight();
    return s.str();
  }
  const bool alpha = a.HasValidMask() || b.HasValidMask();
  for (int y = 0; y < a.GetHeight(); ++y) {
    for (int x = 0; x < a.GetWidth(); ++x) {
      const uint8_t* pa = a.GetRow(y) + 3 * x;
      const uint8_t* pb = b.GetRow(y) + 3 * x;
      const int aa = a.HasValidMask() ? a.GetMaskRow(y)[x] : 255;
      const int ab = b.HasValidMask() ? b.GetMaskRow(y)[x] : 255;
      bool differ = alpha && std::abs(aa - ab) > tolerance;
      // Colour under fully transparent pixels does not count.
      if (!(alpha && aa == 0 && ab == 0))
        for (int c = 0; c < 3; ++c) differ = differ || std::abs(pa[c] - pb[c]) > tolerance;
      if (differ) {
        std::ostringstream s;
        s << "pixel (" << x << "," << y << "): rgba(" << int(pa[0]) << "," << int(pa[1]) << "," << int(pa[2]) << ","
          << aa << ") vs rgba(" << int(pb[0]) << "," << int(pb[1]) << "," << int(pb[2]) << "," << ab << ")";
        return s.str();
      }
    }
  }
  return {};
}

double Psnr(const CRasterImage& a0, const CRasterImage& b0) {
  const CRasterImage a = ToRgb(a0), b = ToRgb(b0);
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.IsEmpty()) return 0.0;
  double sum = 0;
  for (int y = 0; y < a.GetHeight(); ++y) {
    const uint8_t* pa = a.GetRow(y);
    const uint8_t* pb = b.GetRow(y);
    for (int i = 0; i < a.GetWidth() * 3; ++i) {
      const double d = double(pa[i]) - double(pb[i]);
      sum += d * d;
    }
  }
  const double mse = sum / (double(a.GetWidth()) * a.GetHeight() * 3);
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

CRasterImage MakeTestPicture(int width, int height, unsigned seed) {
  CRasterImage image;
  if (!image.Create(width, height, 24)) return image;
  unsigned state = seed * 2654435761u + 1;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.GetWritableBits() + static_cast<int64_t>(y) * image.GetStride();
    for (int x = 0; x < width; ++x) {
      state = state * 1103515245u + 12345u;
      const int noise = static_cast<int>((state >> 16) & 15) - 8;
      const bool block = ((x / 16) + (y / 16)) % 2 == 0;
      const int r = width > 1 ? x * 255 / (width - 1) : 128;
      const int g = height > 1 ? y * 255 / (height - 1) : 128;
      const int b = block ? 200 : 40;
      row[3 * x] = static_cast<uint8_t>(std::clamp(r + noise, 0, 255));
      row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g + noise, 0, 255));
      row[3 * x + 2] = static_cast<uint8_t>(b);
    }
  }
  return image;
}

}  // namespace testing_support
