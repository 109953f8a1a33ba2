// Framework core: Japanese texts written as UTF-8 in the source, converted once into the program's
// code page (Shift-JIS), the encoding every text operation of the framework takes.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/core/code_page.h is the framework's own; include <quorbix/system.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstddef>

namespace elSystem {

// A fixed buffer that holds one text in the code page. Declare it once, at namespace scope or as
// a function-local static, so that the conversion happens once:
//   static const elSystem::CodePageText kMessage("ウェイトNoが範囲外です");
class CodePageText {
public:
    explicit CodePageText(const char* utf8);
    const char* c_str() const { return bytes_; }
    operator const char*() const { return bytes_; }
    std::size_t size() const { return length_; }

private:
    char bytes_[256];
    std::size_t length_;
};

}  // namespace elSystem
