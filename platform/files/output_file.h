// Platform: files written whole or not at all: the bytes go to a temporary file beside the
// target, which takes the target's place only once it is complete.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

// One output file being written (a trace, a recording, a frame, a wave). The bytes go to
// TARGET.part-XXXXXX in the target's folder (a rename there is atomic); commit renames it over
// the target, discard or the destructor removes it, so a run that fails leaves the earlier
// target as it was and nothing beside it. A process killed while writing leaves the .part file
// with what it had written. A symbolic link is followed (the file it names is replaced, the link
// stays), a replaced file keeps its permissions, and a target that is not a regular file (a pipe,
// a terminal, /dev/null) is written in place: there is nothing there to keep.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { discard(); }

    // Called by a writer before its first byte. False, with "cannot write 'TARGET': REASON" in
    // error, when the target could not be replaced: a directory, a file the user may not write,
    // a folder that is missing or closed to writing.
    bool open(const std::string& target, std::string& error);
    bool isOpen() const { return file_ != nullptr; }
    // The stream to write to while open; a failed write is noticed by commit (write's own
    // failures are said with their reason).
    std::FILE* stream() const { return file_; }
    // Writes bytes; false once any write has failed.
    bool write(const void* data, std::size_t size);
    // Hands what is buffered to the file, for a watcher of the temporary file (or what a killed
    // process leaves); false once any write has failed.
    bool flush();
    // Called when the output is complete: flushes, closes and puts the file in the target's
    // place. False, with "writing 'TARGET' failed: REASON" in error, when any write or the
    // rename failed; the target is then left as it was.
    bool commit(std::string& error);
    // Called when the output will not be complete: closes and removes what was written.
    void discard();

private:
    std::FILE* file_ = nullptr;
    std::string target_;     // as the caller named it, for messages
    std::string replaced_;   // the file that commit replaces (a link followed)
    std::string temp_;       // "" when the target is written in place
    int writeError_ = 0;     // errno of the first write that failed
};

// Called by the command lines before any output is opened: true when the two paths would write
// (or read and write) one file. Existing files are compared by device and inode (a hard link, a
// symbolic link, "./x" and "x" are one file); a file that does not exist yet by its absolute path
// with links, "." and ".." resolved. Two names of one terminal, pipe or device are not one file
// here: writing both there replaces nothing.
bool sameOutputFile(const std::string& a, const std::string& b);

}  // namespace platform
