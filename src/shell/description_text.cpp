#include "shell/description_text.h"

#include <string_view>

#include "model/utf8_text.h"

namespace vellacor {

namespace {

bool isUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

bool fitsInBytes(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0xFF) return false;
    return true;
}

}  // namespace

DescriptionText descriptionForEditing(const std::string& bytes) {
    if (isUtf8(bytes)) return {QString::fromStdString(bytes), false};
    return {QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())), true};
}

std::string descriptionFromEditing(const QString& text, bool bytewise) {
    return bytewise && fitsInBytes(text) ? text.toLatin1().toStdString() : text.toStdString();
}

}  // namespace vellacor
