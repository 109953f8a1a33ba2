// Platform: files written whole or not at all, through a temporary file renamed over the target.
// What every system shares: the messages, the writes, the first failure kept for the message,
// the commit that puts the file in place only when every write and the close succeeded, the name
// of the temporary file. Opening, replacing and comparing files are the system's
// (output_file_system).
#include "platform/files/output_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/files/output_file_system.h"

namespace platform {

namespace output_system {

std::string reason(int error) { return std::strerror(error); }

std::string temporaryName(const std::string& target, const char* separators, unsigned long long processId) {
    thread_local unsigned long long state = 0;
    if (state == 0)
        state = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                (processId << 32);
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (unsigned long long v = state >> 16; suffix.size() < 6; v /= 36) suffix += kLetters[v % 36];
    const std::size_t slash = target.find_last_of(separators);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    // Cut at a character's start: half a UTF-8 character is no name (Windows refuses it).
    std::size_t end = nameStart + std::min<std::size_t>(target.size() - nameStart, 200);
    while (end > nameStart && end < target.size() && (static_cast<unsigned char>(target[end]) & 0xC0) == 0x80) --end;
    return target.substr(0, end) + ".part-" + suffix;
}

}  // namespace output_system

bool OutputFile::open(const std::string& target, std::string& error) {
    discard();
    target_ = target;
    const int why = target.empty() ? ENOENT : output_system::openOutput(target, file_, replaced_, temp_);
    if (why == 0) return true;
    error = "cannot write '" + target + "': " + output_system::reason(why);
    return false;
}

bool sameOutputFile(const std::string& a, const std::string& b) { return output_system::sameFile(a, b); }

bool OutputFile::write(const void* data, std::size_t size) {
    if (file_ == nullptr) return false;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size && writeError_ == 0) writeError_ = errno;
    return std::ferror(file_) == 0;
}

bool OutputFile::flush() {
    if (file_ == nullptr) return false;
    if (std::fflush(file_) != 0 && writeError_ == 0) writeError_ = errno;
    return std::ferror(file_) == 0;
}

bool OutputFile::commit(std::string& error) {
    if (file_ == nullptr) {
        error = "writing '" + target_ + "' failed: it is not open";
        return false;
    }
    errno = 0;
    bool ok = std::fflush(file_) == 0 && std::ferror(file_) == 0 && (temp_.empty() || output_system::settle(file_));
    int why = writeError_ != 0 ? writeError_ : errno;
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        why = errno;
    }
    file_ = nullptr;
    if (ok && !temp_.empty()) {
        why = output_system::replaceTarget(temp_, replaced_);
        ok = why == 0;
    }
    if (ok) {
        temp_.clear();
        return true;
    }
    error = "writing '" + target_ + "' failed: " + (why != 0 ? output_system::reason(why) : "a write failed");
    discard();
    return false;
}

void OutputFile::discard() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    writeError_ = 0;
    if (!temp_.empty()) output_system::removeTemporary(temp_);
    temp_.clear();
}

}  // namespace platform
