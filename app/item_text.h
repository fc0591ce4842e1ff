// The utility's texts in the input file's encoding (item_text.cpp): the
// output is written in the encoding the input was read in, and the console
// shows every item's characters.
#pragma once
#include "platform.h"
#include "rt_core.h"

// Text typed in the console (the ANSI code page) as bytes of encoding (a
// FileEncoding value): converted to UTF-8 or UTF-16, a plain copy for ANSI.
RtString TextToEncoding(const char* ansi, int32_t length, int32_t encoding);
// An item of encoding printed on the console: a code page's bytes as they
// are, UTF-8 and UTF-16 as the characters they hold (what does not decode
// as U+FFFD).
void ItemToConsole(const char* bytes, int32_t length, int32_t encoding);
// The byte offset of the item's first blank (U+0020), or -1.
int32_t FirstBlank(const char* bytes, int32_t length, int32_t encoding);
// What an output in encoding begins with: its BOM, or nothing.
RtString ByteOrderMark(int32_t encoding);
// The encoding's name as the console tells it.
const char* EncodingName(int32_t encoding);
// Releases the conversion buffer.
void ItemTextRelease();
