// Framework core: UTF-8 source texts converted into the program's code page (elSystem::CodePageText).
#include "framework/core/code_page.h"

#include "platform/files/text_codec.h"

namespace elSystem {

CodePageText::CodePageText(const char* utf8)
    : length_(platform::utf8ToSjis(utf8, bytes_, sizeof bytes_)) {}

}  // namespace elSystem
