// Odd but possible files a game writer may drop beside the program: what is accepted must play
// or show exactly as written, and what cannot be must be refused with a reason.
#include <gtest/gtest.h>

#include "tests/support/bmp_builder.h"
#include "platform/files/bmp.h"

namespace {

using platform::DecodedBitmap;

// An 8-bit picture whose colour table declares 300 entries: only 256 can be indexed, but the
// pixels follow all 300 of them.
testbmp::BmpLayout LongTable() {
    testbmp::BmpLayout s;
    s.width = 4;
    s.height = 2;
    s.bpp = 8;
    for (std::uint32_t i = 0; i < 300; ++i) s.palette.push_back(0x010203u * (i % 256) ^ 0x800000u);
    s.colorsUsed = 300;
    return s;
}

}  // namespace

TEST(HostileBmp, ColourTableLongerThanTheDepthAllows) {
    const testbmp::BmpLayout s = LongTable();
    auto index = [](int x, int y) { return static_cast<std::uint32_t>(200 + x + 4 * y); };
    const auto pixels = testbmp::Rows(4, 2, 8, index);
    for (bool packed : {true, false}) {
        const auto bytes = packed ? testbmp::PackedDib(s, pixels) : testbmp::File(s, pixels);
        DecodedBitmap out;
        std::string error;
        const bool ok = packed ? platform::decodePackedDib(bytes.data(), bytes.size(), out, error)
                               : platform::decodeBmpFile(bytes.data(), bytes.size(), out, error);
        ASSERT_TRUE(ok) << error;
        ASSERT_EQ(out.pixels.size(), 8u);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(out.pixels[static_cast<std::size_t>(y) * 4 + x], s.palette[index(x, y)])
                    << (packed ? "packed" : "file") << " at " << x << "," << y;
    }

    // A colour count far beyond the data is refused, in both forms.
    auto small = s;
    small.palette.resize(4);
    small.colorsUsed = 0x12345678;
    for (bool packed : {true, false}) {
        auto bytes = packed ? testbmp::PackedDib(small, pixels) : testbmp::File(small, pixels);
        DecodedBitmap out;
        std::string error;
        const bool ok = packed ? platform::decodePackedDib(bytes.data(), bytes.size(), out, error)
                               : platform::decodeBmpFile(bytes.data(), bytes.size(), out, error);
        EXPECT_FALSE(ok) << (packed ? "packed" : "file");
        EXPECT_NE(error.find("colour table"), std::string::npos) << error;
    }
}
