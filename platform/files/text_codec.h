// Platform: conversion between UTF-8 and the program's code page, Shift-JIS (code page 932).
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

}  // namespace platform
