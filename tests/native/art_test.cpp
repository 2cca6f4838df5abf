// The committed art is what the resource script promises.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> ReadFile(const std::string& name) {
    std::vector<uint8_t> bytes;
    FILE* f = fopen((std::string(TOUCHPANEL_SOURCE_DIR) + "/res/" + name).c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = fgetc(f)) != EOF) bytes.push_back((uint8_t)c);
    fclose(f);
    return bytes;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return (uint16_t)(b[at] | b[at + 1] << 8); }

}  // namespace

TEST(Art, BannerIs377x195EightBitsUncompressedBottomUpWith256Colours) {
    std::vector<uint8_t> b = ReadFile("banner.bmp");
    ASSERT_GT(b.size(), 54u + 1024u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ((int32_t)U32(b, 18), 377);
    EXPECT_EQ((int32_t)U32(b, 22), 195);  // positive height: bottom-up
    EXPECT_EQ(U16(b, 28), 8);
    EXPECT_EQ(U32(b, 30), 0u);            // BI_RGB
    EXPECT_EQ(U32(b, 46), 256u);
    EXPECT_EQ(U32(b, 10), 14u + 40u + 1024u);
    EXPECT_EQ(b.size(), 14u + 40u + 1024u + 380u * 195u);
    // The background is light grey 204, 204, 204: the colour of the first pixel.
    uint8_t index = b[U32(b, 10)];
    EXPECT_EQ(b[54 + 4 * index], 204);
    EXPECT_EQ(b[54 + 4 * index + 1], 204);
    EXPECT_EQ(b[54 + 4 * index + 2], 204);
}

TEST(Art, IconHas32And16PixelFourBitImagesWithMasks) {
    std::vector<uint8_t> b = ReadFile("touchpanel.ico");
    ASSERT_GT(b.size(), 6u + 32u);
    EXPECT_EQ(U16(b, 0), 0);
    EXPECT_EQ(U16(b, 2), 1);
    ASSERT_EQ(U16(b, 4), 2);
    const int sizes[2] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        size_t entry = 6 + 16 * i;
        int size = sizes[i];
        EXPECT_EQ(b[entry], size);
        EXPECT_EQ(b[entry + 1], size);
        EXPECT_EQ(b[entry + 2], 16);
        EXPECT_EQ(U16(b, entry + 6), 4);
        uint32_t bytes = U32(b, entry + 8), offset = U32(b, entry + 12);
        ASSERT_LE(offset + bytes, b.size());
        EXPECT_EQ(U32(b, offset), 40u);
        EXPECT_EQ((int32_t)U32(b, offset + 4), size);
        EXPECT_EQ((int32_t)U32(b, offset + 8), 2 * size);  // colour rows plus mask rows
        EXPECT_EQ(U16(b, offset + 14), 4);
        EXPECT_EQ(U32(b, offset + 16), 0u);
        uint32_t xorBytes = (uint32_t)((size * 4 + 31) / 32 * 4 * size);
        uint32_t andBytes = (uint32_t)((size + 31) / 32 * 4 * size);
        EXPECT_EQ(bytes, 40u + 64u + xorBytes + andBytes);
        // The corners are transparent, the centre is not (a diamond).
        const uint8_t* mask = b.data() + offset + 40 + 64 + xorBytes;
        uint32_t stride = (uint32_t)((size + 31) / 32 * 4);
        EXPECT_TRUE(mask[0] & 0x80);
        EXPECT_FALSE(mask[(size / 2) * stride + (size / 2) / 8] & (0x80 >> ((size / 2) % 8)));
    }
}
