#pragma once
// Optimal palettes for true-colour images: a colour octree, followed by a
// median cut over its leaves when it leaves more colours than wanted.

#include <cstdint>
#include <vector>

#include "imaging/PaletteFunctions.h"
#include "imaging/RasterImage.h"

// Walks the opaque pixels of up to `capacity` images, one image after the
// other, each top row first. The images are not owned and must outlive the
// walk unchanged.
class CPixelSource {
 public:
  explicit CPixelSource(int capacity);
  virtual ~CPixelSource();
  CPixelSource(const CPixelSource&) = delete;
  CPixelSource& operator=(const CPixelSource&) = delete;

  // false for an empty image or a full source.
  bool AddImage(const CRasterImage* image);
  // The next pixel whose alpha is non-zero (alpha: 255 without a mask, the
  // mask byte for 24-bit images, 255 or 0 from the mask bit otherwise);
  // false after the last image.
  bool NextPixel(uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* alpha);
  // Starts the walk again from the first image.
  void Rewind();
  int GetImageCount() const { return m_nCount; }

 private:
  bool StartImage(int index);

  int m_nCapacity;
  std::vector<const CRasterImage*> m_images;
  int m_nCount = 0;
  int m_nCurrent = -1;
  // Walk state of the current image.
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_nBitsPerPixel = 0;
  int32_t m_nStride = 0;
  const uint8_t* m_pRow = nullptr;
  const RGBQUAD* m_pPalette = nullptr;
  const uint8_t* m_pMaskRow = nullptr;
  int32_t m_nMaskStride = 0;
  int32_t m_nX = 0;
  int32_t m_nRow = 0;
  int64_t m_nPixelsLeft = 0;
  bool m_bActive = false;
};

// Colour leaf passed from the octree to the median cut: the leaf's mean
// colour and its pixel count.
struct ColorLeaf {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint64_t count = 0;
};

// Colour octree (Gervautz-Purgathofer): at most leafLimit leaves at any time,
// leaves at depthLimit (<= 8) at the deepest. Sums are 64-bit, so any number
// of pixels of one colour keeps its mean exact.
class COctreeQuantizer {
 public:
  COctreeQuantizer(int depthLimit, int leafLimit);
  ~COctreeQuantizer();
  COctreeQuantizer(const COctreeQuantizer&) = delete;
  COctreeQuantizer& operator=(const COctreeQuantizer&) = delete;

  void AddColor(uint8_t red, uint8_t green, uint8_t blue);
  // One entry per leaf, depth first in child order, truncated means. The
  // palette must hold GetLeafCount() entries; returns the number written.
  int GetPalette(RGBQUAD* palette) const;
  // The same means with each leaf's pixel count.
  int GetLeaves(ColorLeaf* leaves) const;
  int GetLeafCount() const { return m_nLeafCount; }
  // Nodes taken from the pools so far: the quantiser's peak node count.
  int64_t GetPoolNodeCount() const;

  struct Node;

 private:
  Node* NewNode(int level);
  void FreeNode(Node* node);
  // Merges the children of one node of the deepest reducible level into it;
  // false when no node is left to merge.
  bool Reduce();

  Node* m_pRoot = nullptr;
  Node* m_reducible[9] = {};
  int m_nDepthLimit;
  int m_nLeafLimit;
  int m_nLeafCount = 0;
  struct Pool;
  Pool* m_pPool = nullptr;
  Node* m_pFreeNodes = nullptr;
};

// Writes up to `count` palette entries for the pixels of the source and
// returns the number written. An octree of the given depth with count + 8
// leaves collects the colours; when it ends with at most count leaves (a
// source of few colours) they are the palette, exact at depth 8. Otherwise a
// median cut over the leaves makes count boxes, whose means then move
// towards the pixels nearest to them (up to 32 Lloyd passes over an even
// sample of at most about a quarter of a million pixels), which lowers the
// mapping error. 0 for a depth above 8, a count <= 0 or a source without
// opaque pixels. The source is walked once from its start and left rewound.
int BuildOptimalPalette(CPixelSource& source, RGBQUAD* palette, int count, int depthLimit = 8);

// Number of distinct 24-bit colours among the opaque pixels of the source.
int CountUniqueColors(CPixelSource& source);
