// String and file built-ins. Strings are byte strings: every length,
// position and count is in bytes, positions are 0-based, and "not found" is
// npos, the largest Size_t. The plain editing functions (Append, Insert,
// Erase, Replace) change the string their first argument item holds and
// write no result; the "_Copy" ones and the rest write a String result.
//
// Errors: a position past the end of the string in Insert, Erase, Replace,
// their copies and Substr raises error 19 (a copy then gives the empty text,
// an in-place edit leaves the string as it was); so does a text that would
// grow past MaxBuiltTextLength. Running out of memory raises error 18, as
// everywhere in the library. No exception ever
// leaves one of these callbacks. The Find family and the file functions
// never raise an error.
#ifndef QUORB_BUILTINS_STRING_CALLBACKS_H
#define QUORB_BUILTINS_STRING_CALLBACKS_H

#include <cstddef>

namespace QuorbNameSpace {

class ExpressionPart;

// The longest text a string built-in builds (256 MiB), so that a huge count
// in Fill, Repeat or "*" cannot exhaust the host's memory. File is not
// bound by it: it returns whatever the file holds.
constexpr size_t MaxBuiltTextLength = size_t{1} << 28;

// Building and measuring.
void String_Fill(ExpressionPart& part);        // x copies of the byte y
void String_Length(ExpressionPart& part);
void String_Append(ExpressionPart& part);      // y appended to x in place
void String_AppendCopy(ExpressionPart& part);  // x followed by y; also String "+"
// x repeated y times. The count is read as the second parameter declares
// it: a Size_t for Repeat, an Int for the String "*" operator, where a
// negative count gives the empty text.
void String_Repeat(ExpressionPart& part);

// Editing, in place and by copy. Counts past the end stop at the end.
void String_Insert(ExpressionPart& part);       // z inserted before position y
void String_InsertCopy(ExpressionPart& part);
void String_Erase(ExpressionPart& part);        // min(z, length - y) bytes removed from y
void String_EraseCopy(ExpressionPart& part);
void String_Replace(ExpressionPart& part);      // min(c, length - b) bytes from b replaced by d
void String_ReplaceCopy(ExpressionPart& part);
void String_Substr(ExpressionPart& part);       // min(z, length - y) bytes from y

// Searches. The forward ones look at positions >= z (npos when z is past
// the end); the backward ones at positions <= z (the whole string when z is
// past the end). The Of forms look for any byte of y (or any byte not in y).
void String_Find(ExpressionPart& part);
void String_RFind(ExpressionPart& part);
void String_Find_First_Of(ExpressionPart& part);
void String_Find_Last_Of(ExpressionPart& part);
void String_Find_First_Not_Of(ExpressionPart& part);
void String_Find_Last_Not_Of(ExpressionPart& part);

// Byte-order comparison as a Size_t: 0 when equal, 1 when x comes after y,
// and -1 (all bits set) when x comes first, which reads back as the Int -1.
void String_Compare(ExpressionPart& part);
// The address of x's bytes, followed by a zero byte; valid while x is.
void String_C_Str(ExpressionPart& part);

// Case and trimming. The case mappings change only the ASCII letters; every
// other byte, 128 to 255 included, stays as it is. The trims remove leading
// and/or trailing bytes that occur in the second argument.
void String_LCase(ExpressionPart& part);
void String_UCase(ExpressionPart& part);
void String_LTrim(ExpressionPart& part);
void String_RTrim(ExpressionPart& part);
void String_Trim(ExpressionPart& part);

// The Int's 32-bit two's-complement pattern in binary, octal or lower-case
// hexadecimal digits: no prefix, no padding, independent of any locale.
void String_Bin(ExpressionPart& part);
void String_Oct(ExpressionPart& part);
void String_Hex(ExpressionPart& part);

// The whole content of a regular file, byte for byte, and its size; the
// empty text and -1 (all bits set) for anything else (a missing path, a
// directory, a FIFO, a device). Nothing is cached.
void String_File(ExpressionPart& part);
void String_FileSize(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
