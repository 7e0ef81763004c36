// Reading and writing speed of the TIFF, TGA, PCX and PICT codecs.
//
// BM_ReadTiffSingleStrip reads LZW files whose one strip holds every row and
// whose RowsPerStrip is 2^32 - 1 (what an absent tag means): the time must
// grow linearly with the rows. BM_ReadFile reads the file named by
// PICTORAVELL_BENCH_FILE (bench/compare_tiff_tga_pcx_pict.sh uses it).

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/MemStream.h"
#include "formats/PcxCodec.h"
#include "formats/PictCodec.h"
#include "formats/TgaCodec.h"
#include "formats/TiffCodec.h"
#include "tests/support/TestSupport.h"

namespace {

// An LZW-compressed single-strip RGB TIFF of the test picture, made with
// libtiff, with RowsPerStrip patched to 2^32 - 1.
std::vector<uint8_t> MakeSingleStripLzw(int width, int height) {
  const std::string path = "/tmp/pictoravell-bench-" + std::to_string(height) + ".tif";
  const CRasterImage picture = testing_support::MakeTestPicture(width, height);
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
  for (int y = 0; y < height; ++y) TIFFWriteScanline(tif, const_cast<uint8_t*>(picture.GetRow(y)), y, 0);
  TIFFClose(tif);
  std::vector<uint8_t> bytes = testing_support::ReadFileBytes(path);
  std::remove(path.c_str());
  // Patch RowsPerStrip in the first directory.
  uint32_t d;
  std::memcpy(&d, bytes.data() + 4, 4);
  const int n = bytes[d] | bytes[d + 1] << 8;
  for (int i = 0; i < n; ++i) {
    uint8_t* e = bytes.data() + d + 2 + 12 * i;
    if ((e[0] | e[1] << 8) == 278) std::memset(e + 8, 0xFF, 4);
  }
  return bytes;
}

void BM_ReadTiffSingleStrip(benchmark::State& state) {
  const int height = static_cast<int>(state.range(0));
  const std::vector<uint8_t> bytes = MakeSingleStripLzw(512, height);
  for (auto _ : state) {
    CMemStream stream(bytes.data(), static_cast<int>(bytes.size()));
    CCodecJob job;
    job.m_pStream = &stream;
    if (ReadTiff(&job) != IMAGEIO_OK) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(job.m_image.GetBits());
  }
  state.SetItemsProcessed(state.iterations() * height);
}
BENCHMARK(BM_ReadTiffSingleStrip)->Arg(2500)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

using Proc = int (*)(CCodecJob*);

void ReadWrite(benchmark::State& state, Proc writer, Proc reader, bool write) {
  const CRasterImage picture = testing_support::MakeTestPicture(2048, 1536);
  CMemStream out;
  out.SetMode(CBufferedFile::kWrite);
  CCodecJob w;
  w.m_pStream = &out;
  w.m_image = picture;
  writer(&w);
  const std::vector<uint8_t> bytes(out.GetData(), out.GetData() + out.GetLength());
  for (auto _ : state) {
    if (write) {
      CMemStream stream;
      stream.SetMode(CBufferedFile::kWrite);
      CCodecJob job;
      job.m_pStream = &stream;
      job.m_image = picture;
      writer(&job);
    } else {
      CMemStream stream(bytes.data(), static_cast<int>(bytes.size()));
      CCodecJob job;
      job.m_pStream = &stream;
      if (reader(&job) != IMAGEIO_OK) state.SkipWithError("read failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * 2048 * 1536 * 3);
}

void BM_ReadTiff24(benchmark::State& s) { ReadWrite(s, WriteTiff, ReadTiff, false); }
void BM_WriteTiff24(benchmark::State& s) { ReadWrite(s, WriteTiff, ReadTiff, true); }
void BM_ReadTga24(benchmark::State& s) { ReadWrite(s, WriteTga, ReadTga, false); }
void BM_WriteTga24(benchmark::State& s) { ReadWrite(s, WriteTga, ReadTga, true); }
void BM_ReadPcx24(benchmark::State& s) { ReadWrite(s, WritePcx, ReadPcx, false); }
void BM_WritePcx24(benchmark::State& s) { ReadWrite(s, WritePcx, ReadPcx, true); }
void BM_ReadPict24(benchmark::State& s) { ReadWrite(s, WritePict, ReadPict, false); }
void BM_WritePict24(benchmark::State& s) { ReadWrite(s, WritePict, ReadPict, true); }
BENCHMARK(BM_ReadTiff24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTiff24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTga24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTga24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPcx24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePcx24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPict24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePict24)->Unit(benchmark::kMillisecond);

// Reads PICTORAVELL_BENCH_FILE from disk with the codec of its extension.
void BM_ReadFile(benchmark::State& state) {
  const char* path = std::getenv("PICTORAVELL_BENCH_FILE");
  if (!path) {
    state.SkipWithError("PICTORAVELL_BENCH_FILE not set");
    return;
  }
  const std::string p = path;
  const std::string ext = p.substr(p.find_last_of('.') + 1);
  const Proc reader = ext == "tif" ? ReadTiff : ext == "tga" ? ReadTga : ext == "pcx" ? ReadPcx : ReadPict;
  for (auto _ : state) {
    CBufferedFile file;
    if (!file.Open(path, CBufferedFile::kRead)) {
      state.SkipWithError("cannot open");
      return;
    }
    CCodecJob job;
    job.m_pStream = &file;
    if (reader(&job) != IMAGEIO_OK) state.SkipWithError("read failed");
  }
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond);

}  // namespace
