// Framework core: the encoding of a program's texts, Shift-JIS (the code page) unless the program
// declares UTF-8 (ProgramSetup::Texts); and Japanese texts written as UTF-8 in the source,
// converted once into the code page.
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

namespace quorbix {

// What the bytes of a program's texts are: the text calls (elDraw::PutText, DrawTextBox,
// MeasureTextBox) and quorbix::Text read them so. Shift-JIS is the default; a program declares
// UTF-8 in its ProgramSetup::Texts. Malformed UTF-8 draws a replacement mark for the bad bytes
// and goes on with the next character.
enum class TextEncoding { ShiftJis, Utf8 };
// The installed program's encoding (Shift-JIS before any program is installed).
TextEncoding ProgramTextEncoding();
// Called by UseProgram with the program's ProgramSetup::Texts.
void SetProgramTextEncoding(TextEncoding encoding);

}  // namespace quorbix
