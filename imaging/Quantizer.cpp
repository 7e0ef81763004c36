#include "imaging/Quantizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "imaging/ColorConversion.h"
#include "imaging/PixelAccess.h"

// ---------------------------------------------------------------------------
// CPixelSource

CPixelSource::CPixelSource(int capacity) : m_nCapacity(std::max(capacity, 0)) {
  m_images.reserve(static_cast<size_t>(m_nCapacity));
}

CPixelSource::~CPixelSource() = default;

bool CPixelSource::AddImage(const CRasterImage* image) {
  if (!image || image->IsEmpty() || m_nCount >= m_nCapacity) return false;
  m_images.push_back(image);
  ++m_nCount;
  return true;
}

void CPixelSource::Rewind() {
  m_nCurrent = -1;
  m_bActive = false;
  m_nPixelsLeft = 0;
}

bool CPixelSource::StartImage(int index) {
  m_bActive = false;
  while (index < m_nCount) {
    m_nCurrent = index;
    const CRasterImage& image = *m_images[static_cast<size_t>(index)];
    if (!image.IsEmpty()) {
      m_nWidth = image.GetWidth();
      m_nHeight = image.GetHeight();
      m_nBitsPerPixel = image.GetBitsPerPixel();
      m_nStride = image.GetStride();
      m_pRow = image.GetBits();
      m_pPalette = image.GetPalette();
      const bool mask = image.HasValidMask();
      m_pMaskRow = mask ? image.GetMaskBits() : nullptr;
      m_nMaskStride = mask ? image.GetMaskStride() : 0;
      m_nX = 0;
      m_nRow = 0;
      m_nPixelsLeft = static_cast<int64_t>(m_nWidth) * m_nHeight;
      m_bActive = true;
      return true;
    }
    ++index;
  }
  m_nCurrent = m_nCount;
  return false;
}

bool CPixelSource::NextPixel(uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* alpha) {
  for (;;) {
    if (!m_bActive || m_nPixelsLeft <= 0) {
      if (m_nCurrent >= m_nCount || !StartImage(m_nCurrent + 1)) return false;
      continue;
    }
    const int32_t x = m_nX;
    const uint8_t* row = m_pRow;
    const uint8_t* maskRow = m_pMaskRow;
    --m_nPixelsLeft;
    if (++m_nX >= m_nWidth) {
      m_nX = 0;
      ++m_nRow;
      if (m_nPixelsLeft > 0) {
        m_pRow += m_nStride;
        if (m_pMaskRow) m_pMaskRow += m_nMaskStride;
      }
    }
    uint8_t a = 255;
    if (maskRow) {
      if (m_nBitsPerPixel == 24)
        a = maskRow[x];
      else
        a = GetPixel1(maskRow, static_cast<int16_t>(x)) ? 255 : 0;
      if (a == 0) continue;
    }
    if (m_nBitsPerPixel == 24) {
      *red = row[3 * x];
      *green = row[3 * x + 1];
      *blue = row[3 * x + 2];
    } else {
      int index;
      if (m_nBitsPerPixel == 8)
        index = row[x];
      else if (m_nBitsPerPixel == 4)
        index = GetPixel4(row, static_cast<int16_t>(x));
      else
        index = GetPixel1(row, static_cast<int16_t>(x));
      const RGBQUAD& c = m_pPalette[index];
      *red = c.rgbRed;
      *green = c.rgbGreen;
      *blue = c.rgbBlue;
    }
    if (alpha) *alpha = a;
    return true;
  }
}

// ---------------------------------------------------------------------------
// COctreeQuantizer

struct COctreeQuantizer::Node {
  bool leaf = false;
  uint64_t count = 0;
  uint64_t red = 0;
  uint64_t green = 0;
  uint64_t blue = 0;
  Node* child[8] = {};
  Node* next = nullptr;  // next node of the level's reducible list, or of the free list
};

struct COctreeQuantizer::Pool {
  static constexpr int kNodes = 512;
  Node nodes[kNodes];
  int used = 0;
  Pool* next = nullptr;
};

COctreeQuantizer::COctreeQuantizer(int depthLimit, int leafLimit)
    : m_nDepthLimit(std::clamp(depthLimit, 0, 8)), m_nLeafLimit(std::max(leafLimit, 1)) {}

COctreeQuantizer::~COctreeQuantizer() {
  while (m_pPool) {
    Pool* next = m_pPool->next;
    delete m_pPool;
    m_pPool = next;
  }
}

COctreeQuantizer::Node* COctreeQuantizer::NewNode(int level) {
  Node* node;
  if (m_pFreeNodes) {
    node = m_pFreeNodes;
    m_pFreeNodes = node->next;
    *node = Node{};
  } else {
    if (!m_pPool || m_pPool->used == Pool::kNodes) {
      Pool* pool = new Pool;  // throws std::bad_alloc, caught by the callers of the quantiser
      pool->next = m_pPool;
      m_pPool = pool;
    }
    node = &m_pPool->nodes[m_pPool->used++];
  }
  if (level == m_nDepthLimit) {
    node->leaf = true;
    ++m_nLeafCount;
  } else {
    node->next = m_reducible[level];
    m_reducible[level] = node;
  }
  return node;
}

int64_t COctreeQuantizer::GetPoolNodeCount() const {
  int64_t n = 0;
  for (const Pool* pool = m_pPool; pool; pool = pool->next) n += pool->used;
  return n;
}

void COctreeQuantizer::FreeNode(Node* node) {
  node->next = m_pFreeNodes;
  m_pFreeNodes = node;
}

void COctreeQuantizer::AddColor(uint8_t red, uint8_t green, uint8_t blue) {
  Node** slot = &m_pRoot;
  for (int level = 0;; ++level) {
    if (!*slot) *slot = NewNode(level);
    Node* node = *slot;
    if (node->leaf) {
      ++node->count;
      node->red += red;
      node->green += green;
      node->blue += blue;
      break;
    }
    const int shift = 7 - level;
    const int index = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
    slot = &node->child[index];
  }
  while (m_nLeafCount > m_nLeafLimit && Reduce()) {
  }
}

bool COctreeQuantizer::Reduce() {
  int level = m_nDepthLimit - 1;
  while (level > 0 && !m_reducible[level]) --level;
  if (level < 0 || !m_reducible[level]) return false;
  // The node whose children hold the fewest pixels; on equal totals the one
  // met first (the most recently created).
  Node* best = nullptr;
  Node* bestPrev = nullptr;
  uint64_t bestTotal = 0;
  Node* prev = nullptr;
  for (Node* node = m_reducible[level]; node; prev = node, node = node->next) {
    uint64_t total = 0;
    for (Node* c : node->child)
      if (c) total += c->count;
    if (!best || total < bestTotal) {
      best = node;
      bestPrev = prev;
      bestTotal = total;
    }
  }
  if (bestPrev)
    bestPrev->next = best->next;
  else
    m_reducible[level] = best->next;
  best->next = nullptr;
  int merged = 0;
  for (Node*& c : best->child) {
    if (!c) continue;
    best->count += c->count;
    best->red += c->red;
    best->green += c->green;
    best->blue += c->blue;
    FreeNode(c);
    c = nullptr;
    ++merged;
  }
  best->leaf = true;
  m_nLeafCount += 1 - merged;
  return true;
}

namespace {

template <typename Visit>
void VisitLeaves(const COctreeQuantizer::Node* node, Visit& visit) {
  if (!node) return;
  if (node->leaf) {
    visit(*node);
    return;
  }
  for (const COctreeQuantizer::Node* c : node->child) VisitLeaves(c, visit);
}

uint8_t Mean(uint64_t sum, uint64_t count) { return count ? static_cast<uint8_t>(sum / count) : 0; }

}  // namespace

int COctreeQuantizer::GetPalette(RGBQUAD* palette) const {
  int n = 0;
  auto visit = [&](const Node& leaf) {
    palette[n++] = MakeRGBQuad(Mean(leaf.red, leaf.count), Mean(leaf.green, leaf.count), Mean(leaf.blue, leaf.count));
  };
  VisitLeaves(m_pRoot, visit);
  return n;
}

int COctreeQuantizer::GetLeaves(ColorLeaf* leaves) const {
  int n = 0;
  auto visit = [&](const Node& leaf) {
    ColorLeaf& out = leaves[n++];
    out.red = Mean(leaf.red, leaf.count);
    out.green = Mean(leaf.green, leaf.count);
    out.blue = Mean(leaf.blue, leaf.count);
    out.count = leaf.count;
  };
  VisitLeaves(m_pRoot, visit);
  return n;
}

// ---------------------------------------------------------------------------
// Median cut over the octree's leaves

namespace {

struct ColorBox {
  int first = 0;
  int size = 0;
  int sortedBy = 0;  // 0 none, 1 red, 2 green, 3 blue
  uint64_t sum = 0;
  int extent[3] = {};

  int MaxExtent() const { return std::max({extent[0], extent[1], extent[2]}); }
};

int Channel(const ColorLeaf& leaf, int channel) {
  return channel == 0 ? leaf.red : channel == 1 ? leaf.green : leaf.blue;
}

void MeasureBox(ColorBox& box, const std::vector<ColorLeaf>& leaves) {
  int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
  box.sum = 0;
  for (int i = box.first; i < box.first + box.size; ++i) {
    const ColorLeaf& leaf = leaves[static_cast<size_t>(i)];
    box.sum += leaf.count;
    for (int c = 0; c < 3; ++c) {
      lo[c] = std::min(lo[c], Channel(leaf, c));
      hi[c] = std::max(hi[c], Channel(leaf, c));
    }
  }
  for (int c = 0; c < 3; ++c) box.extent[c] = box.size ? hi[c] - lo[c] + 1 : 0;
}

void SortBoxes(std::vector<ColorBox>& boxes) {
  std::stable_sort(boxes.begin(), boxes.end(), [](const ColorBox& a, const ColorBox& b) {
    if (a.sum != b.sum) return a.sum > b.sum;
    return a.MaxExtent() > b.MaxExtent();
  });
}

// Splits boxes[index] in two at the pixel median of its widest channel; false
// when it cannot be split.
bool SplitBox(std::vector<ColorBox>& boxes, size_t index, std::vector<ColorLeaf>& leaves) {
  ColorBox box = boxes[index];
  if (box.size < 2 || box.sum <= 1) return false;
  int channel = 0;
  if (box.extent[0] < box.extent[1] || box.extent[0] < box.extent[2]) channel = box.extent[1] < box.extent[2] ? 2 : 1;
  auto begin = leaves.begin() + box.first;
  auto end = begin + box.size;
  if (box.sortedBy != channel + 1) {
    const int c1 = channel, c2 = (channel + 1) % 3, c3 = (channel + 2) % 3;
    std::stable_sort(begin, end, [&](const ColorLeaf& a, const ColorLeaf& b) {
      if (Channel(a, c1) != Channel(b, c1)) return Channel(a, c1) < Channel(b, c1);
      if (Channel(a, c2) != Channel(b, c2)) return Channel(a, c2) < Channel(b, c2);
      return Channel(a, c3) < Channel(b, c3);
    });
  }
  const uint64_t half = box.sum / 2;
  uint64_t running = leaves[static_cast<size_t>(box.first)].count;
  int split = -1;
  for (int i = 1; i < box.size; ++i) {
    running += leaves[static_cast<size_t>(box.first + i)].count;
    if (running >= half) {
      split = i;
      break;
    }
  }
  if (split < 0) return false;
  ColorBox lower, upper;
  lower.first = box.first;
  lower.size = split;
  upper.first = box.first + split;
  upper.size = box.size - split;
  lower.sortedBy = upper.sortedBy = channel + 1;
  MeasureBox(lower, leaves);
  MeasureBox(upper, leaves);
  boxes[index] = lower;
  boxes.push_back(upper);
  return true;
}

// The refinement sees every pixel of small sources and an even spread of
// kRefineSamples to twice that many pixels of large ones.
constexpr uint32_t kRefineSamples = 1 << 17;
// Passes stop earlier once no entry moves.
constexpr int kRefinePasses = 32;
// A coarse grid for the nearest-entry search: each pass builds a new one.
constexpr int kRefineCellBits = 4;

// Moves every entry to the mean of the sample colours nearest to it (Lloyd
// iterations), which lowers the mean squared error of mapping the source to
// the palette. Entries no sample is nearest to stay.
void RefinePalette(const std::vector<uint8_t>& samples, RGBQUAD* palette, int count, int iterations) {
  if (count <= 1 || count > 256 || samples.empty()) return;
  std::vector<uint64_t> sums(static_cast<size_t>(count) * 4);
  for (int pass = 0; pass < iterations; ++pass) {
    CNearestColorFinder finder(count, palette, kRefineCellBits);
    std::fill(sums.begin(), sums.end(), 0);
    for (size_t i = 0; i + 2 < samples.size(); i += 3) {
      const int r = samples[i], g = samples[i + 1], b = samples[i + 2];
      uint64_t* s = &sums[static_cast<size_t>(finder.Find(r, g, b)) * 4];
      s[0] += static_cast<uint64_t>(r);
      s[1] += static_cast<uint64_t>(g);
      s[2] += static_cast<uint64_t>(b);
      ++s[3];
    }
    bool moved = false;
    for (int i = 0; i < count; ++i) {
      const uint64_t* s = &sums[static_cast<size_t>(i) * 4];
      if (!s[3]) continue;
      const RGBQUAD mean = MakeRGBQuad(static_cast<uint8_t>((s[0] + s[3] / 2) / s[3]),
                                       static_cast<uint8_t>((s[1] + s[3] / 2) / s[3]),
                                       static_cast<uint8_t>((s[2] + s[3] / 2) / s[3]));
      moved = moved || !(mean == palette[i]);
      palette[i] = mean;
    }
    if (!moved) break;
  }
}

}  // namespace

int BuildOptimalPalette(CPixelSource& source, RGBQUAD* palette, int count, int depthLimit) {
  if (depthLimit > 8 || depthLimit < 0 || count <= 0 || !palette) return 0;
  try {
    // The octree keeps four leaves per wanted entry, so the median cut below
    // chooses among real clusters rather than the octree's coarse merges.
    const int leafLimit = count > INT32_MAX / 4 ? INT32_MAX : std::max(count + 8, 4 * count);
    COctreeQuantizer octree(depthLimit, leafLimit);
    source.Rewind();
    uint8_t r, g, b, a;
    // Sample for the refinement: a pixel is kept when its scrambled serial
    // number falls below the threshold, which halves (dropping the samples
    // above it) whenever the sample grows past its limit.
    std::vector<uint8_t> samples;
    std::vector<uint32_t> keys;
    uint64_t threshold = uint64_t{1} << 32;
    uint32_t serial = 0;
    while (source.NextPixel(&r, &g, &b, &a)) {
      octree.AddColor(r, g, b);
      const uint32_t key = serial++ * 2654435761u;
      if (key >= threshold) continue;
      samples.insert(samples.end(), {r, g, b});
      keys.push_back(key);
      if (keys.size() > 2 * kRefineSamples) {
        threshold /= 2;
        size_t kept = 0;
        for (size_t i = 0; i < keys.size(); ++i) {
          if (keys[i] >= threshold) continue;
          keys[kept] = keys[i];
          std::copy_n(&samples[3 * i], 3, &samples[3 * kept]);
          ++kept;
        }
        keys.resize(kept);
        samples.resize(3 * kept);
      }
    }
    source.Rewind();
    const int leafCount = octree.GetLeafCount();
    if (leafCount <= count) return octree.GetPalette(palette);

    std::vector<ColorLeaf> leaves(static_cast<size_t>(leafCount));
    octree.GetLeaves(leaves.data());
    std::vector<ColorBox> boxes(1);
    boxes[0].size = leafCount;
    MeasureBox(boxes[0], leaves);
    while (static_cast<int>(boxes.size()) < count) {
      SortBoxes(boxes);
      bool split = false;
      for (size_t i = 0; i < boxes.size() && !split; ++i) split = SplitBox(boxes, i, leaves);
      if (!split) break;
    }
    SortBoxes(boxes);
    int n = 0;
    for (const ColorBox& box : boxes) {
      uint64_t sums[3] = {0, 0, 0}, total = 0;
      for (int i = box.first; i < box.first + box.size; ++i) {
        const ColorLeaf& leaf = leaves[static_cast<size_t>(i)];
        sums[0] += leaf.count * leaf.red;
        sums[1] += leaf.count * leaf.green;
        sums[2] += leaf.count * leaf.blue;
        total += leaf.count;
      }
      palette[n++] = MakeRGBQuad(Mean(sums[0], total), Mean(sums[1], total), Mean(sums[2], total));
    }
    RefinePalette(samples, palette, n, kRefinePasses);
    return n;
  } catch (const std::bad_alloc&) {
    source.Rewind();
    return 0;
  }
}

int CountUniqueColors(CPixelSource& source) {
  std::vector<uint64_t> seen(size_t{1} << 18, 0);  // one bit per 24-bit colour
  int unique = 0;
  source.Rewind();
  uint8_t r, g, b, a;
  while (source.NextPixel(&r, &g, &b, &a)) {
    const uint32_t key = (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
    uint64_t& word = seen[key >> 6];
    const uint64_t bit = uint64_t{1} << (key & 63);
    if (!(word & bit)) {
      word |= bit;
      ++unique;
    }
  }
  source.Rewind();
  return unique;
}
