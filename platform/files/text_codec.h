// Platform: conversion between UTF-8 and the program's code page, Shift-JIS (code page 932), and
// the characters of text in either.
#pragma once
#include <cstddef>
#include <string>

namespace platform {

// Shift-JIS bytes (length in bytes) to UTF-8. An invalid or cut-off sequence becomes U+FFFD and
// the conversion goes on with the next byte. Used for message boxes, traces and text drawing.
std::string sjisToUtf8(const char* text, std::size_t length);
std::string sjisToUtf8(const char* text);

// UTF-8 to Shift-JIS into a buffer of `size` bytes, always NUL-terminated; a character with no
// Shift-JIS form becomes '?'. The output is cut at a whole character when it does not fit.
// Returns the number of bytes written without the terminator.
std::size_t utf8ToSjis(const char* utf8, char* buffer, std::size_t size);

// One character of Shift-JIS text: `length` bytes are available at `text`; `used` gets the bytes
// the character took (1 or 2). An invalid or cut-off sequence gives U+FFFD and uses one byte, so
// the caller always moves on. Each code is converted once and remembered, so that drawing a frame's
// text costs a table lookup per character. Called by the text renderer for every character.
char32_t decodeSjisChar(const char* text, std::size_t length, std::size_t& used);

// One character of UTF-8 text, as decodeSjisChar: `length` bytes are available at `text`, `used`
// gets the bytes it took (1 to 4). A malformed sequence (a stray continuation byte, an overlong
// form, a surrogate, a code past U+10FFFF, a sequence cut off by the end or by another lead byte)
// gives U+FFFD for its lead byte and the continuation bytes after it, at most the sequence's own
// length, so the next whole character is never swallowed and nothing past `length` is read.
char32_t decodeUtf8Char(const char* text, std::size_t length, std::size_t& used);

// What a program's text bytes are: Shift-JIS (the default) or UTF-8.
enum class TextEncoding { ShiftJis, Utf8 };

// UTF-8 text as it can be handed on: each malformed sequence (as decodeUtf8Char finds them)
// becomes U+FFFD.
std::string validUtf8(const char* text);

// One character of text in `encoding`, as decodeSjisChar and decodeUtf8Char.
inline char32_t decodeChar(TextEncoding encoding, const char* text, std::size_t length, std::size_t& used) {
    return encoding == TextEncoding::Utf8 ? decodeUtf8Char(text, length, used) : decodeSjisChar(text, length, used);
}

}  // namespace platform
