#include "imaging/ImageScan.h"

CImageScan::CImageScan(const CRasterImage& image)
    : m_nStride(image.GetStride()),
      m_nBitsPerPixel(image.GetBitsPerPixel()),
      m_nWidth(image.GetWidth()),
      m_nHeight(image.GetHeight()),
      m_nMaskStride(image.HasValidMask() ? image.GetMaskStride() : 0) {}

CImageScanReader::CImageScanReader(const CRasterImage& image)
    : CImageScan(image), m_pBits(image.GetBits()), m_pMask(m_nMaskStride ? image.GetMaskBits() : nullptr) {}

CImageScanWriter::CImageScanWriter(CRasterImage& image)
    : CImageScan(image),
      m_pBits(image.GetWritableBits()),
      m_pMask(m_nMaskStride ? image.GetWritableMaskBits() : nullptr) {}
