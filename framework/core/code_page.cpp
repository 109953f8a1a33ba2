// Framework core: UTF-8 source texts converted into the program's code page (elSystem::CodePageText)
// and the encoding of the installed program's texts.
#include "framework/core/code_page.h"

#include "platform/files/text_codec.h"

namespace elSystem {

CodePageText::CodePageText(const char* utf8)
    : length_(platform::utf8ToSjis(utf8, bytes_, sizeof bytes_)) {}

}  // namespace elSystem

namespace quorbix {
namespace {
// Kept across the program-start reset: it belongs to the installed program, as its setup does.
TextEncoding programEncoding = TextEncoding::ShiftJis;
}  // namespace

TextEncoding ProgramTextEncoding() { return programEncoding; }
void SetProgramTextEncoding(TextEncoding encoding) { programEncoding = encoding; }

}  // namespace quorbix
