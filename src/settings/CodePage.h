#pragma once

#include <string>
#include <string_view>
#include <vector>

// Conversion between the program's UTF-8 strings and the GBK bytes stored in text fields.
// A character that GBK lacks becomes "?"; so does a byte sequence that is not valid GBK.
std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

// The longest prefix of at most maxBytes bytes of a GBK text that ends on a character boundary.
size_t GbkPrefixLength(std::string_view gbk, size_t maxBytes);

// The characters of a UTF-8 text that GBK cannot hold, and that Utf8ToGbk therefore stores as
// "?": each once, in the order of their first appearance; empty when nothing is lost.
std::vector<std::string> GbkMissingCharacters(std::string_view utf8);
