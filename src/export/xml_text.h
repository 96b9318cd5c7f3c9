#pragma once
#include <string>
#include <string_view>

namespace vellacor {

// Appends a point description as the value of an XML attribute written in
// double quotes: double quotes are dropped, "&", "<" and ">" become entities,
// control characters and the non-characters U+FFFE and U+FFFF that XML
// forbids are dropped, and bytes that are not
// UTF-8 (descriptions typed in a Windows code page) are taken as
// Windows-1252 and re-encoded, so that every parser accepts the document.
void appendXmlDescription(std::string& out, std::string_view text);

}  // namespace vellacor
