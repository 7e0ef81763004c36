# Writes the seed files of fuzz/corpus/fuzz_bmp/: small valid BMP files of
# every layout the reader takes. Usage: python3 fuzz/make_bmp_seeds.py fuzz/corpus/fuzz_bmp
import struct, sys, os
out = sys.argv[1]
def bmp(w, h, bpp, comp, data, pal=b'', hs=40, masks=b'', cu=0):
    ih = struct.pack('<IiiHHIIiiII', hs, w, h, 1, bpp, comp, len(data), 0, 0, cu, 0)
    ih += b'\0' * (hs - 40)
    off = 14 + hs + len(masks) + len(pal)
    body = ih + masks + pal + data
    return b'BM' + struct.pack('<IHHI', 14 + len(body), 0, 0, off) + body
pal16 = bytes(range(64))
pal256 = bytes(i % 256 for i in range(1024))
seeds = {
 'rgb24-3x2.bmp': bmp(3, 2, 24, 0, bytes(range(24))),
 'topdown32-2x2.bmp': bmp(2, -2, 32, 0, bytes(range(16))),
 'rgb16-2x2.bmp': bmp(2, 2, 16, 0, bytes(range(8))),
 'bitfields565.bmp': bmp(2, 1, 16, 3, b'\x1f\xf8\xe0\x07', masks=struct.pack('<III', 0xf800, 0x7e0, 0x1f)),
 'v5-alpha.bmp': bmp(2, 1, 32, 3, bytes(range(8)), hs=124),
 'pal1-9x2.bmp': bmp(9, 2, 1, 0, b'\xaa\x80\0\0\x55\x00\0\0', pal=pal16[:8]),
 'pal4-5x2.bmp': bmp(5, 2, 4, 0, b'\x12\x34\x50\0\x67\x89\xa0\0', pal=pal16),
 'rle8-delta.bmp': bmp(6, 4, 8, 1, bytes([3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 9, 0, 0, 0, 1]), pal=pal256),
 'rle4-literal.bmp': bmp(7, 2, 4, 2, bytes([0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 9, 0xab, 0, 1]), pal=pal16),
}
# 12-byte core header, 1 bit, two 3-byte palette entries
core = struct.pack('<IHHHH', 12, 3, 2, 1, 1)
seeds['core12-1.bmp'] = b'BM' + struct.pack('<IHHI', 14 + 12 + 6 + 8, 0, 0, 14 + 12 + 6) + core + b'\0\0\0\xff\xff\xff' + b'\xa0\0\0\0\x40\0\0\0'
for name, data in seeds.items():
    open(os.path.join(out, name), 'wb').write(data)
