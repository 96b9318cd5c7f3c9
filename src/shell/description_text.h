#pragma once
#include <QString>
#include <string>

namespace vellacor {

// A point description as a text field shows it. Descriptions are bytes as the
// file held them: UTF-8 text shows as such; any other bytes (a degree sign
// written by an older program as the single byte 0xB0) show one character per
// byte, so that the text goes back to the same bytes.
struct DescriptionText {
    QString shown;
    bool bytewise = false;  // one character per byte, not UTF-8
};

DescriptionText descriptionForEditing(const std::string& bytes);
// The bytes of the edited text, in the form it was shown in: an edit of a
// byte-per-character text stays so while every character fits in a byte.
std::string descriptionFromEditing(const QString& text, bool bytewise);

}  // namespace vellacor
