#pragma once

#include <string>
#include <string_view>

// Conversion between the program's UTF-8 strings and the GBK bytes stored in text fields.
// A character that GBK lacks becomes "?"; so does a byte sequence that is not valid GBK.
std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

// The longest prefix of at most maxBytes bytes of a GBK text that ends on a character boundary.
size_t GbkPrefixLength(std::string_view gbk, size_t maxBytes);
