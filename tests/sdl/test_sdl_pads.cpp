// Pads read alike on every system: the mapping file's format and its faults, and SDL's virtual
// joysticks read through a mapping from a file, through SDL's own mapping and raw (no mapping),
// with their d-pads and hats moving the stick and their face buttons as buttons 1 to 4.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/sdl/sdl_backend.h"
#include "platform/window/joystick.h"

namespace {

struct Reading {
    std::uint32_t result, x, y, buttons;
};

Reading Read(int id) {
    platform::JoyInfoEx q;
    q.size = sizeof q;
    q.flags = platform::JOY_RETURNALL;
    q.xpos = q.ypos = q.buttons = 0xDEAD;
    std::uint32_t result = platform::joyGetPosEx(id, q);
    return Reading{result, q.xpos, q.ypos, q.buttons};
}

void ExpectReading(const char* step, int id, std::uint32_t x, std::uint32_t y, std::uint32_t buttons) {
    Reading r = Read(id);
    EXPECT_EQ(r.result, platform::JOYERR_NOERROR) << step;
    EXPECT_EQ(r.x, x) << step;
    EXPECT_EQ(r.y, y) << step;
    EXPECT_EQ(r.buttons, buttons) << step;
}

// A folder of the test's own, removed with its files at the end.
struct TempFolder {
    std::string path;
    TempFolder() {
        std::string pattern = testing::TempDir() + "qrb-pads-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~TempFolder() {
        if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
    std::string write(const char* name, const std::string& text) const {
        const std::string file = path + "/" + name;
        if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        return file;
    }
};

// A virtual pad SDL may know a mapping for (its device id follows from the name and the ids).
int AttachPad(SDL_JoystickType type, const char* name, int axes, int buttons, int hats) {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = static_cast<Uint16>(type);
    desc.naxes = static_cast<Uint16>(axes);
    desc.nbuttons = static_cast<Uint16>(buttons);
    desc.nhats = static_cast<Uint16>(hats);
    desc.vendor_id = 0x1234;
    desc.product_id = 0x5678;
    desc.name = name;
    return SDL_JoystickAttachVirtualEx(&desc);
}

// The device id a pad will have, found before the program's first read starts SDL's pads (and
// reads the mapping files) by plugging it in and out once: it follows from the name and the ids.
std::string DeviceIdOf(SDL_JoystickType type, const char* name, int axes, int buttons, int hats) {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return SDL_GetError();
    const int index = AttachPad(type, name, axes, buttons, hats);
    char text[33] = "none";
    if (index >= 0) SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), text, sizeof text);
    SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return text;
}

// The mapping files are read when the program first reads a joystick; a process that read one
// before cannot show that.
bool PadsStartedAlready() {
    return SDL_WasInit(SDL_INIT_JOYSTICK) != 0;
}

constexpr const char* kMappedPadName = "Quorbix Pad With Hat";
// Face buttons wired backwards, the left stick on axes 2 and 3, the d-pad a hat.
const std::string kMapping =
    ",Quorbix Pad With Hat,a:b3,b:b2,x:b1,y:b0,leftx:a2,lefty:a3,dpup:h0.1,dpright:h0.2,dpdown:h0.4,dpleft:h0.8,";

}  // namespace

TEST(SdlPads, MappingFilesAreCheckedLineByLine) {
    using platform::sdl::mappingFileFault;
    const std::string id = "03000000341200007856000000000000";
    const std::string here = std::string("platform:") + SDL_GetPlatform() + ",";
    struct Case {
        const char* name;
        std::string text;
        std::string fault;   // "" for a good file
        int forThisSystem;
    } cases[] = {
        {"empty", "", "", 0},
        {"comments, blank lines, CRLF", "# pads\r\n\r\n   \n" + id + ",Pad,a:b0,leftx:a0~,-lefty:a1,dpup:h0.1," + here + "\r\n", "", 1},
        {"other systems counted out", id + ",Pad,a:b0,platform:Windows,\n" + id + ",Pad,a:b0," + here + "\n", "", 1},
        {"later SDL fields", id + ",Pad,a:b0,crc:12ab,hint:!SDL_X:=1,paddle1:b5," + here, "", 1},
        {"no trailing comma", id + ",Pad,a:b0,platform:Linux", "", SDL_strcasecmp(SDL_GetPlatform(), "Linux") == 0},
        {"device id too short", "# ok\n0300,Pad,a:b0," + here, "line 2: the device id is not 32 hexadecimal digits", 0},
        {"device id not hexadecimal", "0300000034120000785600000000000g,Pad,a:b0," + here,
         "line 1: the device id is not 32 hexadecimal digits", 0},
        {"no name", id + ",,a:b0," + here, "line 1: the pad has no name", 0},
        {"only a device id", id + "\n", "line 1: not a mapping (device id, name, bindings)", 0},
        {"a field without a colon", id + ",Pad,a b0," + here, "line 1: \"a b0\" is not name:binding", 0},
        {"a binding of no kind", id + ",Pad,a:q0," + here, "line 1: \"a:q0\" is not name:binding", 0},
        {"a hat without its mask", id + ",Pad,dpup:h0," + here, "line 1: \"dpup:h0\" is not name:binding", 0},
        {"an element without a binding", id + ",Pad,a:b0,guide:," + here, "", 1},
        {"a binding without a name", id + ",Pad,:b0," + here, "line 1: \":b0\" is not name:binding", 0},
        {"an empty platform", id + ",Pad,a:b0,platform:,", "line 1: it names no platform", 0},
        {"no platform", id + ",Pad,a:b0,", "line 1: it names no platform", 0},
        {"a good line, then text", id + ",Pad,a:b0," + here + "\nthis is not a mapping\n",
         "line 2: not a mapping (device id, name, bindings)", 1},
    };
    // SDL's own database, hundreds of pads as people map them, is well made by this check.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    const int builtIn = SDL_GameControllerNumMappings();
    EXPECT_GT(builtIn, 100);
    for (int i = 0; i < builtIn; ++i) {
        char* mapping = SDL_GameControllerMappingForIndex(i);
        if (mapping == nullptr) continue;
        std::string line = mapping;
        SDL_free(mapping);
        if (line.find("platform:") == std::string::npos) line += (line.back() == ',' ? "" : ",") + here;
        EXPECT_EQ(platform::sdl::mappingFault(line), "") << line;
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    for (const Case& c : cases) {
        int forThisSystem = -1;
        EXPECT_EQ(mappingFileFault(c.text, forThisSystem), c.fault) << c.name;
        if (c.fault.empty()) {
            EXPECT_EQ(forThisSystem, c.forThisSystem) << c.name;
        }
    }
}

TEST(SdlPads, MappedPadsReadAlikeAndUnknownOnesRaw) {
    if (PadsStartedAlready()) GTEST_SKIP() << "needs a process of its own";
    // The mapping comes from the file SDL_GAMECONTROLLERCONFIG_FILE names, with a line for
    // another system that would map the pad otherwise.
    const std::string id = DeviceIdOf(SDL_JOYSTICK_TYPE_GAMECONTROLLER, kMappedPadName, 4, 4, 1);
    ASSERT_EQ(id.size(), 32u) << id;
    TempFolder folder;
    const std::string file = folder.write(
        "pads.txt", "# test pads\n" + id + ",Quorbix Pad With Hat,a:b0,b:b1,x:b2,y:b3,leftx:a0,lefty:a1,platform:" +
                        (SDL_strcasecmp(SDL_GetPlatform(), "Windows") == 0 ? "Linux" : "Windows") + ",\n" + id +
                        kMapping + "platform:" + SDL_GetPlatform() + ",\n");
    setenv("SDL_GAMECONTROLLERCONFIG_FILE", file.c_str(), 1);
    EXPECT_EQ(Read(0).result, platform::JOYERR_UNPLUGGED);   // starts SDL's pads, which read the file
    if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "this machine has joysticks of its own";

    // Plugged in while the program runs; SDL's own mapping for the second, a pad of the
    // controller kind: buttons 0 to 3, axes 0 and 1.
    const int hatPad = AttachPad(SDL_JOYSTICK_TYPE_GAMECONTROLLER, kMappedPadName, 4, 4, 1);
    ASSERT_EQ(hatPad, 0) << SDL_GetError();
    const int plainPad = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 6, 0);
    ASSERT_EQ(plainPad, 1) << SDL_GetError();
    ExpectReading("at rest", 0, 32768, 32768, 0);
    SDL_Joystick* a = SDL_JoystickOpen(hatPad);
    SDL_Joystick* b = SDL_JoystickOpen(plainPad);
    ASSERT_TRUE(a != nullptr && b != nullptr) << SDL_GetError();

    SDL_JoystickSetVirtualAxis(a, 0, 32767);   // not the mapped stick
    SDL_JoystickSetVirtualAxis(a, 2, -32768);
    SDL_JoystickSetVirtualAxis(a, 3, 32767);
    SDL_JoystickSetVirtualButton(a, 3, 1);
    ExpectReading("mapped: stick left and back, button A", 0, 0, 65535, 0b0001);
    SDL_JoystickSetVirtualButton(a, 3, 0);
    SDL_JoystickSetVirtualButton(a, 0, 1);
    SDL_JoystickSetVirtualHat(a, 0, SDL_HAT_LEFTUP);
    SDL_JoystickSetVirtualAxis(a, 2, 32767);
    ExpectReading("mapped: d-pad left and up over the stick, button Y", 0, 0, 0, 0b1000);
    SDL_JoystickSetVirtualHat(a, 0, SDL_HAT_RIGHT);
    SDL_JoystickSetVirtualButton(a, 1, 1);
    SDL_JoystickSetVirtualButton(a, 2, 1);
    ExpectReading("mapped: d-pad right, buttons B, X and Y", 0, 65535, 65535, 0b1110);

    SDL_JoystickSetVirtualAxis(b, 0, 0);
    SDL_JoystickSetVirtualAxis(b, 1, -32768);
    for (int button : {0, 3, 5}) SDL_JoystickSetVirtualButton(b, button, 1);
    ExpectReading("SDL's mapping: buttons A and Y; the sixth is no face button", 1, 32768, 0, 0b1001);

    // A pad SDL knows nothing of is read raw, its buttons in its own order, its hat the d-pad;
    // it takes the place a pulled-out one leaves.
    SDL_JoystickClose(a);
    ASSERT_EQ(SDL_JoystickDetachVirtual(hatPad), 0) << SDL_GetError();
    const int rawPad = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 6, 1);
    ASSERT_EQ(rawPad, 1) << SDL_GetError();
    SDL_Joystick* c = SDL_JoystickOpen(rawPad);
    ASSERT_NE(c, nullptr) << SDL_GetError();
    ExpectReading("the mapped pad pulled out: the plain one moves up", 0, 32768, 0, 0b1001);
    SDL_JoystickSetVirtualAxis(c, 0, -32768);
    SDL_JoystickSetVirtualAxis(c, 1, 32767);
    for (int button : {0, 5}) SDL_JoystickSetVirtualButton(c, button, 1);
    ExpectReading("raw: axes 0 and 1, every button", 1, 0, 65535, 0b100001);
    SDL_JoystickSetVirtualHat(c, 0, SDL_HAT_RIGHTUP);
    ExpectReading("raw: the hat over the axes", 1, 65535, 0, 0b100001);

    SDL_JoystickClose(b);
    SDL_JoystickClose(c);
    SDL_JoystickDetachVirtual(1);
    SDL_JoystickDetachVirtual(0);
    EXPECT_EQ(Read(0).result, platform::JOYERR_UNPLUGGED);
}

TEST(SdlPads, AMalformedMappingFileIsSaidOnceAndLeftOut) {
    if (PadsStartedAlready()) GTEST_SKIP() << "needs a process of its own";
    // A pad of no known kind, which its good line would map; the file's last line is not a mapping.
    const std::string id = DeviceIdOf(SDL_JOYSTICK_TYPE_UNKNOWN, kMappedPadName, 4, 4, 1);
    ASSERT_EQ(id.size(), 32u) << id;
    TempFolder folder;
    const std::string file =
        folder.write("pads.txt", id + kMapping + "platform:" + SDL_GetPlatform() + ",\nleftx:a2\n");
    setenv("SDL_GAMECONTROLLERCONFIG_FILE", file.c_str(), 1);

    testing::internal::CaptureStderr();
    EXPECT_EQ(Read(0).result, platform::JOYERR_UNPLUGGED);   // starts SDL's pads, which read the file
    const int pad = AttachPad(SDL_JOYSTICK_TYPE_UNKNOWN, kMappedPadName, 4, 4, 1);
    ASSERT_EQ(pad, 0) << SDL_GetError();
    SDL_Joystick* stick = SDL_JoystickOpen(pad);
    ASSERT_NE(stick, nullptr) << SDL_GetError();
    SDL_JoystickSetVirtualButton(stick, 0, 1);
    for (int i = 0; i < 3; ++i) ExpectReading("read raw, as no mapping was taken", 0, 32768, 32768, 0b0001);
    // A file that cannot be read is said too; a missing one beside the program is not.
    EXPECT_EQ(platform::sdl::addPadMappingFile(folder.path, false), -1);
    EXPECT_EQ(platform::sdl::addPadMappingFile(folder.path + "/gamecontrollerdb.txt", true), -1);
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string malformed = "the pad mappings in " + file + " are left out: line 2: not a mapping";
    EXPECT_NE(said.find(malformed), std::string::npos) << said;
    EXPECT_EQ(said.find(malformed), said.rfind(malformed)) << "said more than once: " << said;
    EXPECT_NE(said.find("the pad mappings in " + folder.path + " cannot be read (it is not a file)"), std::string::npos)
        << said;
    EXPECT_EQ(said.find("gamecontrollerdb.txt"), std::string::npos) << said;
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(pad);
}
