// Platform: buffered RIFF file access and the canonical wave writer.
#include "platform/files/riff.h"

#include "platform/files/os.h"

#include <algorithm>
#include <cstring>

#include "platform/files/bytes.h"

namespace platform {

bool RiffFile::open(const char* path, std::uint32_t) {
    close();
    if (path == nullptr || *path == '\0') return false;
    // Opening a pipe would block, and a directory opens but cannot be read: regular files only.
    if (os::kindOf(path) != os::Kind::regular) return false;
    file_ = os::openFile(path, "rb");
    if (file_ == nullptr) return false;
    buffer_.assign(kRiffBufferSize, 0);
    bufferOffset_ = 0;
    next_ = valid_ = 0;
    return true;
}

bool RiffFile::openMemory(const void* data, std::size_t size, std::uint32_t) {
    close();
    static const std::uint8_t kEmpty = 0;
    memory_ = data != nullptr ? static_cast<const std::uint8_t*>(data) : &kEmpty;
    memorySize_ = data != nullptr ? size : 0;
    buffer_.assign(kRiffBufferSize, 0);
    bufferOffset_ = 0;
    next_ = valid_ = 0;
    return true;
}

void RiffFile::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    memory_ = nullptr;
    memorySize_ = 0;
    buffer_.clear();
    next_ = valid_ = 0;
}

std::int64_t RiffFile::position() const { return bufferOffset_ + static_cast<std::int64_t>(next_); }

// Refills the buffer with the file's bytes from position `from`. False on a read error.
bool RiffFile::fill(std::int64_t from) {
    bufferOffset_ = from;
    next_ = valid_ = 0;
    if (memory_ != nullptr) {
        if (from < static_cast<std::int64_t>(memorySize_)) {
            valid_ = std::min(buffer_.size(), memorySize_ - static_cast<std::size_t>(from));
            std::memcpy(buffer_.data(), memory_ + from, valid_);
        }
        return true;
    }
    if (std::fseek(file_, static_cast<long>(from), SEEK_SET) != 0) return false;
    valid_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    return !std::ferror(file_);
}

long RiffFile::read(void* out, long bytes) {
    if (!isOpen() || bytes < 0 || (out == nullptr && bytes > 0)) return -1;
    auto* dst = static_cast<std::uint8_t*>(out);
    long done = 0;
    while (done < bytes) {
        if (next_ >= valid_) {
            if (!fill(position())) return -1;
            if (valid_ == 0) break;
        }
        std::size_t n = std::min<std::size_t>(valid_ - next_, static_cast<std::size_t>(bytes - done));
        std::memcpy(dst + done, buffer_.data() + next_, n);
        next_ += n;
        done += static_cast<long>(n);
    }
    return done;
}

bool RiffFile::readExact(void* out, long bytes) { return read(out, bytes) == bytes; }

std::int64_t RiffFile::seek(std::int64_t offset, int origin) {
    if (!isOpen()) return -1;
    std::int64_t base = 0;
    if (origin == SEEK_CUR) {
        base = position();
    } else if (origin == SEEK_END) {
        if (memory_ != nullptr) {
            base = static_cast<std::int64_t>(memorySize_);
        } else {
            if (std::fseek(file_, 0, SEEK_END) != 0) return -1;
            base = std::ftell(file_);
            if (base < 0) return -1;
        }
    } else if (origin != SEEK_SET) {
        return -1;
    }
    // Positions stay within what a 32-bit chunk layout can address, far from overflow.
    constexpr std::int64_t kLimit = std::int64_t{1} << 40;
    if (offset > kLimit || offset < -kLimit) return -1;
    std::int64_t target = base + offset;
    if (target < 0 || target > kLimit) return -1;
    if (target >= bufferOffset_ && target <= bufferOffset_ + static_cast<std::int64_t>(valid_)) {
        next_ = static_cast<std::size_t>(target - bufferOffset_);
    } else {
        bufferOffset_ = target;
        next_ = valid_ = 0;
    }
    return target;
}

std::uint32_t RiffFile::descend(ChunkInfo& ck, const ChunkInfo* parent, std::uint32_t flags) {
    if (!isOpen()) return MMIOERR_INVALIDPARAM;
    const FourCC wantId = ck.id;
    const FourCC wantForm = ck.formType;
    // The parent's data ends here; a search never leaves it.
    std::int64_t limit = parent != nullptr ? parent->dataOffset + parent->size : -1;
    for (;;) {
        std::int64_t start = position();
        if (limit >= 0 && start + 8 > limit) return MMIOERR_CHUNKNOTFOUND;
        std::uint8_t header[8];
        if (!readExact(header, 8)) return MMIOERR_CHUNKNOTFOUND;
        ChunkInfo found;
        found.id = readLe32(header);
        found.size = readLe32(header + 4);
        found.dataOffset = start + 8;
        bool isList = found.id == FOURCC_RIFF || found.id == FOURCC_LIST;
        if (isList) {
            std::uint8_t form[4];
            if (!readExact(form, 4)) return MMIOERR_CHUNKNOTFOUND;
            found.formType = readLe32(form);
        }
        bool match = true;
        if (flags & MMIO_FINDCHUNK) match = found.id == wantId;
        else if (flags & MMIO_FINDRIFF) match = found.id == FOURCC_RIFF && found.formType == wantForm;
        else if (flags & MMIO_FINDLIST) match = found.id == FOURCC_LIST && found.formType == wantForm;
        if (match) {
            ck = found;
            return MMSYSERR_NOERROR;
        }
        // Skip the chunk's data and its pad byte.
        std::int64_t skipTo = found.dataOffset + found.size + (found.size & 1);
        if (seek(skipTo, SEEK_SET) < 0) return MMIOERR_CHUNKNOTFOUND;
    }
}

std::uint32_t RiffFile::ascend(const ChunkInfo& ck, std::uint32_t) {
    if (!isOpen()) return MMIOERR_INVALIDPARAM;
    std::int64_t end = ck.dataOffset + ck.size + (ck.size & 1);
    return seek(end, SEEK_SET) < 0 ? MMIOERR_CANNOTSEEK : MMSYSERR_NOERROR;
}

std::uint32_t RiffFile::getInfo(IoInfo& info, std::uint32_t) {
    if (!isOpen()) return MMIOERR_INVALIDPARAM;
    info.buffer = buffer_.data();
    info.next = buffer_.data() + next_;
    info.endRead = buffer_.data() + valid_;
    info.bufferOffset = bufferOffset_;
    return MMSYSERR_NOERROR;
}

std::uint32_t RiffFile::advance(IoInfo& info, std::uint32_t) {
    if (!isOpen()) return MMIOERR_INVALIDPARAM;
    if (setInfo(info, 0) != MMSYSERR_NOERROR) return MMIOERR_INVALIDPARAM;
    if (!fill(position())) return MMIOERR_CANNOTREAD;
    return getInfo(info, 0);
}

std::uint32_t RiffFile::setInfo(const IoInfo& info, std::uint32_t) {
    if (!isOpen()) return MMIOERR_INVALIDPARAM;
    if (info.buffer != buffer_.data() || info.next < info.buffer || info.next > buffer_.data() + valid_)
        return MMIOERR_INVALIDPARAM;
    next_ = static_cast<std::size_t>(info.next - info.buffer);
    return MMSYSERR_NOERROR;
}

std::vector<std::uint8_t> encodeWav16(const std::int16_t* samples, std::size_t count, int channels,
                                      int rate) {
    std::vector<std::uint8_t> out;
    std::uint32_t dataBytes = static_cast<std::uint32_t>(count * 2);
    out.reserve(44 + dataBytes);
    putLe32(out, FOURCC_RIFF);
    putLe32(out, 36 + dataBytes);
    putLe32(out, makeFourCC('W', 'A', 'V', 'E'));
    putLe32(out, makeFourCC('f', 'm', 't', ' '));
    putLe32(out, 16);
    putLe16(out, 1);
    putLe16(out, static_cast<std::uint32_t>(channels));
    putLe32(out, static_cast<std::uint32_t>(rate));
    putLe32(out, static_cast<std::uint32_t>(rate * channels * 2));
    putLe16(out, static_cast<std::uint32_t>(channels * 2));
    putLe16(out, 16);
    putLe32(out, makeFourCC('d', 'a', 't', 'a'));
    putLe32(out, dataBytes);
    for (std::size_t i = 0; i < count; ++i) putLe16(out, static_cast<std::uint16_t>(samples[i]));
    return out;
}

bool writeWav16(const std::string& path, const std::int16_t* samples, std::size_t count, int channels,
                int rate, std::string& error) {
    if (count > kWavMaxDataBytes / 2) {
        error = "the recording is too long for a wave file";
        return false;
    }
    std::vector<std::uint8_t> bytes = encodeWav16(samples, count, channels, rate);
    OutputFile out;
    return out.open(path, error) && out.write(bytes.data(), bytes.size()) && out.commit(error);
}

bool WavWriter::open(const std::string& path, int channels, int rate, std::string& error) {
    dataBytes_ = 0;
    failed_ = false;
    if (!out_.open(path, error)) return false;
    std::vector<std::uint8_t> header = encodeWav16(nullptr, 0, channels, rate);
    out_.write(header.data(), header.size());
    return true;
}

bool WavWriter::append(const std::int16_t* samples, std::size_t count) {
    if (!out_.isOpen()) return false;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) putLe16(bytes, static_cast<std::uint16_t>(samples[i]));
    if (!out_.write(bytes.data(), bytes.size())) failed_ = true;
    dataBytes_ += bytes.size();
    return !failed_;
}

bool WavWriter::finish(std::string& error) {
    if (!out_.isOpen()) {
        error = "no wave file is open";
        return false;
    }
    if (dataBytes_ > kWavMaxDataBytes) {
        out_.discard();
        error = "the recording is too long for a wave file";
        return false;
    }
    std::vector<std::uint8_t> sizes;
    putLe32(sizes, static_cast<std::uint32_t>(36 + dataBytes_));
    putLe32(sizes, static_cast<std::uint32_t>(dataBytes_));
    std::FILE* file = out_.stream();
    if (std::fseek(file, 4, SEEK_SET) != 0 || std::fwrite(sizes.data(), 1, 4, file) != 4 ||
        std::fseek(file, 40, SEEK_SET) != 0 || std::fwrite(sizes.data() + 4, 1, 4, file) != 4) {
        out_.discard();
        error = "writing the wave's sizes failed";
        return false;
    }
    return out_.commit(error);
}

}  // namespace platform
