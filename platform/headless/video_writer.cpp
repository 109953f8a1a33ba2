// Headless backend: the runner's --video. Where FFmpeg's libraries were found (QRB_WITH_VIDEO),
// the encoding lives in a module of its own, quorbix-video.so (video_module/), loaded on the first
// video opened: linked into the programs, FFmpeg and the hundred-odd libraries it brings took most
// of every program's start-up to map and link, video or not. The module is looked for beside the
// executable (links resolved: where the build and the package put it) and then where `cmake
// --install` put it; where it or its libraries cannot be loaded, open says why. Without the
// libraries the writer only says that the build has none.
#include "platform/headless/video_writer.h"

#if QRB_WITH_VIDEO

#include <dlfcn.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <utility>

#include "platform/files/output_file.h"
#include "platform/headless/video_module/video_module.h"

namespace platform::headless {

namespace {

namespace vm = video_module;

// The folder of the running executable, links resolved; "" where /proc is not mounted.
std::string ExecutableFolder() {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return "";
    path.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

struct Module {
    const vm::Table* table = nullptr;
    std::string error;   // why it could not be loaded
};

// Loads the module once, by the first video opened; kept loaded for the process's life (the
// libraries it brings may hold threads of their own).
const Module& LoadModule() {
    static Module loaded;
    static std::once_flag once;
    std::call_once(once, [] {
        std::string places[3];
        const std::string folder = ExecutableFolder();
        if (!folder.empty()) places[0] = folder + "/" + vm::kFileName;
        places[1] = std::string(QRB_VIDEO_MODULE_DIR) + "/" + vm::kFileName;
        places[2] = std::string(QRB_VIDEO_PACKAGE_DIR) + "/" + vm::kFileName;
        std::string why = std::string("no ") + vm::kFileName + " beside the program (" + folder + ") or in " +
                          QRB_VIDEO_MODULE_DIR;
        if (places[2] != places[1]) why += std::string(" or ") + QRB_VIDEO_PACKAGE_DIR;
        for (const std::string& place : places) {
            // Where the module is missing the next place is tried; where it is there but will not
            // load (its libraries missing), that is the reason given.
            if (place.empty() || access(place.c_str(), F_OK) != 0) continue;
            void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle == nullptr) {
                const char* error = dlerror();
                why = error != nullptr ? error : place;
                break;
            }
            auto entry = reinterpret_cast<vm::Entry>(dlsym(handle, vm::kEntry));
            const vm::Table* table = entry != nullptr ? entry() : nullptr;
            if (table == nullptr || table->version != vm::kVersion) {
                why = place + ": not this build's module (" + (entry == nullptr ? "no entry" : "another version") + ")";
                break;
            }
            loaded.table = table;
            return;
        }
        loaded.error = "this build's video writer could not be loaded: " + why;
    });
    return loaded;
}

bool WriteOutput(void* file, const void* data, std::size_t size) {
    return static_cast<OutputFile*>(file)->write(data, size);
}

}  // namespace

bool loadVideoModule(std::string& error) {
    const Module& module = LoadModule();
    if (module.table == nullptr) error = module.error;
    return module.table != nullptr;
}

struct VideoWriter::State {
    OutputFile file;
    vm::Output out{};
    const vm::Table* table = nullptr;
    void* encoder = nullptr;
    bool failed = false;

    ~State() {
        if (encoder != nullptr) table->close(encoder);
    }
};

VideoWriter::VideoWriter() = default;
VideoWriter::~VideoWriter() { discard(); }

bool VideoWriter::supported() { return true; }

bool VideoWriter::open(const std::string& path, int width, int height, std::uint32_t frameMs, std::string& error) {
    discard();
    if (width < 2 || height < 2) {
        error = "a video's pictures are at least 2 x 2 pixels, not " + std::to_string(width) + " x " + std::to_string(height);
        return false;
    }
    const Module& module = LoadModule();
    if (module.table == nullptr) {
        error = module.error;
        return false;
    }
    auto s = std::make_unique<State>();
    s->table = module.table;
    if (!s->file.open(path, error)) return false;
    s->out = vm::Output{&s->file, WriteOutput, s->file.stream()};
    char reason[512] = {};
    s->encoder = s->table->open(&s->out, width, height, frameMs, reason, sizeof reason);
    if (s->encoder == nullptr) {
        error = "cannot write '" + path + "': " + reason;
        return false;
    }
    state_ = std::move(s);
    return true;
}

bool VideoWriter::addPicture(const std::uint32_t* pixels, std::uint64_t ms) {
    if (!state_ || state_->failed) return false;
    state_->failed = !state_->table->addPicture(state_->encoder, pixels, ms);
    return !state_->failed;
}

bool VideoWriter::addSound(const std::int16_t* samples, std::size_t frames) {
    if (!state_ || state_->failed) return false;
    state_->failed = !state_->table->addSound(state_->encoder, samples, frames);
    return !state_->failed;
}

bool VideoWriter::commit(std::uint64_t endMs, std::string& error) {
    if (!state_) {
        error = "the video was not started";
        return false;
    }
    State& s = *state_;
    char reason[512] = {};
    if (!s.table->finish(s.encoder, endMs, reason, sizeof reason)) {
        error = reason;
        discard();
        return false;
    }
    const bool ok = s.file.commit(error);
    state_.reset();
    return ok;
}

void VideoWriter::discard() {
    if (state_) state_->file.discard();
    state_.reset();
}

}  // namespace platform::headless

#else  // no FFmpeg libraries in this build

#include "platform/headless/video_module/video_module.h"

namespace platform::headless {

bool loadVideoModule(std::string& error) {
    error = "this build writes no video: it was made without FFmpeg's libraries";
    return false;
}

struct VideoWriter::State {};

VideoWriter::VideoWriter() = default;
VideoWriter::~VideoWriter() = default;

bool VideoWriter::supported() { return false; }

bool VideoWriter::open(const std::string&, int, int, std::uint32_t, std::string& error) {
    error = "this build writes no video: it was made without FFmpeg's libraries";
    return false;
}

bool VideoWriter::addPicture(const std::uint32_t*, std::uint64_t) { return false; }
bool VideoWriter::addSound(const std::int16_t*, std::size_t) { return false; }

bool VideoWriter::commit(std::uint64_t, std::string& error) {
    error = "this build writes no video";
    return false;
}

void VideoWriter::discard() {}

}  // namespace platform::headless

#endif
