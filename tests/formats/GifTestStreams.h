#pragma once
// Hand-made GIF data for the LZW and GIF codec tests: codes packed least
// significant bit first into data sub-blocks, and packed-pixel rows.

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace gif_test {

class CodeWriter {
 public:
  void Put(int code, int width) {
    m_acc |= static_cast<uint64_t>(code) << m_bits;
    m_bits += width;
    while (m_bits >= 8) {
      m_bytes.push_back(static_cast<uint8_t>(m_acc & 0xFF));
      m_acc >>= 8;
      m_bits -= 8;
    }
  }
  // The codes as data sub-blocks of up to 255 bytes, then the zero length.
  std::vector<uint8_t> Finish() {
    if (m_bits > 0) m_bytes.push_back(static_cast<uint8_t>(m_acc & 0xFF));
    m_acc = 0;
    m_bits = 0;
    std::vector<uint8_t> out;
    for (size_t pos = 0; pos < m_bytes.size(); pos += 255) {
      const size_t n = std::min<size_t>(255, m_bytes.size() - pos);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), m_bytes.begin() + static_cast<long>(pos), m_bytes.begin() + static_cast<long>(pos + n));
    }
    out.push_back(0);
    return out;
  }

 private:
  std::vector<uint8_t> m_bytes;
  uint64_t m_acc = 0;
  int m_bits = 0;
};

// LZW as some encoders write it: once the table is full, 12-bit codes go on
// without new entries, and the clear code comes only after fullRunCodes more
// codes.
inline std::vector<uint8_t> EncodeDeferredClear(const std::vector<uint8_t>& pixels, int minimumCodeSize,
                                                int fullRunCodes) {
  CodeWriter w;
  const int clear = 1 << minimumCodeSize, end = clear + 1;
  int width = minimumCodeSize + 1, next = end + 1, fullCount = 0;
  std::map<std::pair<int, int>, int> dict;
  w.Put(clear, width);
  int prefix = pixels[0];
  for (size_t i = 1; i < pixels.size(); ++i) {
    const int p = pixels[i];
    const auto it = dict.find({prefix, p});
    if (it != dict.end()) {
      prefix = it->second;
      continue;
    }
    w.Put(prefix, width);
    if (next < 4096) {
      dict[{prefix, p}] = next;
      if (next == (1 << width) && width < 12) ++width;
      ++next;
    } else if (++fullCount == fullRunCodes) {
      w.Put(clear, width);
      dict.clear();
      width = minimumCodeSize + 1;
      next = end + 1;
      fullCount = 0;
    }
    prefix = p;
  }
  w.Put(prefix, width);
  w.Put(end, width);
  return w.Finish();
}

inline std::vector<uint8_t> Pack(const std::vector<uint8_t>& pixels, int depth) {
  if (depth == 8) return pixels;
  std::vector<uint8_t> out((pixels.size() * static_cast<size_t>(depth) + 7) / 8);
  for (size_t x = 0; x < pixels.size(); ++x) {
    if (depth == 1)
      out[x >> 3] |= static_cast<uint8_t>((pixels[x] & 1) << (7 - (x & 7)));
    else
      out[x >> 1] |= static_cast<uint8_t>((pixels[x] & 15) << ((x & 1) ? 0 : 4));
  }
  return out;
}

inline std::vector<uint8_t> Unpack(const std::vector<uint8_t>& packed, int depth, int width) {
  std::vector<uint8_t> out(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) {
    if (depth == 8)
      out[static_cast<size_t>(x)] = packed[static_cast<size_t>(x)];
    else if (depth == 1)
      out[static_cast<size_t>(x)] = static_cast<uint8_t>((packed[static_cast<size_t>(x >> 3)] >> (7 - (x & 7))) & 1);
    else
      out[static_cast<size_t>(x)] =
          static_cast<uint8_t>((packed[static_cast<size_t>(x >> 1)] >> ((x & 1) ? 0 : 4)) & 15);
  }
  return out;
}

}  // namespace gif_test
