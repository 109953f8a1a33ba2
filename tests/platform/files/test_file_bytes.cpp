// The byte order of file formats, MIDI's variable-length quantities and the BMP header writer,
// against bytes worked out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files/bmp.h"
#include "platform/files/bmp_writer.h"
#include "platform/files/bytes.h"
#include "platform/sound/midi_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FileBytes, IntegersInBothOrders) {
    // The high bit of every byte is set somewhere, so that a sign extension would show.
    const std::uint8_t b[] = {0x81, 0xF2, 0x03, 0xC4};
    EXPECT_EQ(platform::readLe16(b), 0xF281u);
    EXPECT_EQ(platform::readLe32(b), 0xC403F281u);
    EXPECT_EQ(platform::readBe16(b), 0x81F2u);
    EXPECT_EQ(platform::readBe32(b), 0x81F203C4u);

    struct Case {
        const char* what;
        void (*put)(Bytes&, std::uint32_t);
        Bytes expected;
    } cases[] = {
        {"LE 16", platform::putLe16, {0xC4, 0x03}},
        {"LE 24", platform::putLe24, {0xC4, 0x03, 0xF2}},
        {"LE 32", platform::putLe32, {0xC4, 0x03, 0xF2, 0x81}},
        {"BE 16", platform::putBe16, {0x03, 0xC4}},
        {"BE 24", platform::putBe24, {0xF2, 0x03, 0xC4}},
        {"BE 32", platform::putBe32, {0x81, 0xF2, 0x03, 0xC4}},
    };
    for (const Case& c : cases) {
        Bytes out = {0xEE};   // appended after what is there
        c.put(out, 0x81F203C4u);
        Bytes expected = {0xEE};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(out, expected) << c.what;
    }

    std::uint8_t field[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    platform::writeLe32(field + 1, 0x81F203C4u);
    EXPECT_EQ(Bytes(field, field + 6), (Bytes{0xAA, 0xC4, 0x03, 0xF2, 0x81, 0xAA})) << "only its four bytes";
    platform::writeLe16(field, 0xBEEF);
    platform::writeBe32(field + 2, 0x81F203C4u);
    EXPECT_EQ(Bytes(field, field + 6), (Bytes{0xEF, 0xBE, 0x81, 0xF2, 0x03, 0xC4}));
    Bytes id;
    platform::putText(id, "MTrk");
    EXPECT_EQ(id, (Bytes{'M', 'T', 'r', 'k'})) << "no terminator";
}

TEST(FileBytes, MidiVariableLengthQuantities) {
    struct Case {
        std::uint32_t value;
        Bytes expected;
    } cases[] = {
        {0, {0x00}},
        {0x40, {0x40}},
        {0x7F, {0x7F}},
        {0x80, {0x81, 0x00}},
        {0x2000, {0xC0, 0x00}},
        {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}},
        {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
        {0x200000, {0x81, 0x80, 0x80, 0x00}},
        {0x08000000, {0xC0, 0x80, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
        // Beyond what a file may hold: a fifth byte, which readers refuse.
        {0x10000000, {0x81, 0x80, 0x80, 0x80, 0x00}},
        {0xFFFFFFFF, {0x8F, 0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const Case& c : cases) {
        Bytes out;
        platform::putVarLen(out, c.value);
        EXPECT_EQ(out, c.expected) << std::hex << c.value;
    }

    // The file check reads back the longest delta time the writer makes in four bytes, and
    // refuses the five-byte one. At the finest division the longest lasts 68 minutes.
    auto piece = [](std::uint32_t delta) {
        Bytes events;
        platform::putVarLen(events, delta);
        events.insert(events.end(), {0xFF, 0x2F, 0x00});
        Bytes file;
        platform::putText(file, "MThd");
        platform::putBe32(file, 6);
        platform::putBe16(file, 0);
        platform::putBe16(file, 1);
        platform::putBe16(file, 0x7FFF);
        platform::putText(file, "MTrk");
        platform::putBe32(file, static_cast<std::uint32_t>(events.size()));
        file.insert(file.end(), events.begin(), events.end());
        return file;
    };
    const Bytes longest = piece(0x0FFFFFFF), tooLong = piece(0x10000000);
    const char* why = nullptr;
    EXPECT_TRUE(platform::checkMidiFile(longest.data(), longest.size(), &why)) << why;
    EXPECT_FALSE(platform::checkMidiFile(tooLong.data(), tooLong.size(), &why));
}

TEST(FileBytes, BmpHeaders) {
    // A 2 x 1 top-down picture, 32 bits with bit fields in the fourth version's header.
    platform::BmpInfo info;
    info.headerSize = 108;
    info.width = 2;
    info.height = -1;
    info.bitsPerPixel = 32;
    info.compression = 3;
    info.imageBytes = 8;
    info.pixelsPerMetre = platform::kBmpPixelsPerMetre72Dpi;
    info.masks[0] = 0x00FF0000;
    info.masks[1] = 0x0000FF00;
    info.masks[2] = 0x000000FF;
    info.masks[3] = 0xFF000000;
    info.colorSpace = platform::kBmpColorSpaceSrgb;
    Bytes file;
    platform::putBmpFileHeader(file, 14 + 108 + 8, 14 + 108);
    platform::putBmpInfoHeader(file, info);
    const Bytes head = {
        'B', 'M', 130, 0, 0, 0, 0, 0, 0, 0, 122, 0, 0, 0,         // file: size, reserved, pixels at
        108, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,          // header size, width, height -1
        1, 0, 32, 0, 3, 0, 0, 0, 8, 0, 0, 0,                       // planes, bits, bit fields, bytes
        0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   // 2835 dots a metre, colours
        0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF,   // red, green, blue, alpha
        'B', 'G', 'R', 's'};                                        // the colour space
    ASSERT_EQ(file.size(), 14u + 108u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + static_cast<long>(head.size())), head);
    EXPECT_EQ(file.back(), 0) << "end points and gamma are zero";

    file.insert(file.end(), {0x01, 0x02, 0x03, 0x80, 0x04, 0x05, 0x06, 0x80});
    platform::DecodedBitmap out;
    std::string error;
    ASSERT_TRUE(platform::decodeBmpFile(file.data(), file.size(), out, error)) << error;
    EXPECT_EQ(out.pixels, (std::vector<std::uint32_t>{0x030201, 0x060504}));

    // The core header: 16-bit sizes and nothing after the bit count; its table entries have three
    // bytes. A 40-byte header with bit fields is followed by the three masks.
    platform::BmpInfo core;
    core.headerSize = 12;
    core.width = 3;
    core.height = 2;
    core.bitsPerPixel = 1;
    Bytes dib;
    platform::putBmpInfoHeader(dib, core);
    platform::putBmpTableEntry(dib, 0x112233, true);
    platform::putBmpTableEntry(dib, 0x445566);
    EXPECT_EQ(dib, (Bytes{12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 1, 0, 0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0}));
    platform::BmpInfo fields;
    fields.bitsPerPixel = 16;
    fields.compression = 3;
    fields.masks[0] = 0xF800;
    Bytes masked;
    platform::putBmpInfoHeader(masked, fields);
    ASSERT_EQ(masked.size(), 52u);
    EXPECT_EQ(Bytes(masked.begin() + 40, masked.begin() + 44), (Bytes{0x00, 0xF8, 0, 0}));
}

}  // namespace
