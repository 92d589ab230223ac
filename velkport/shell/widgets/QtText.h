#pragma once
// The one conversion between the logic's UTF-8 std::string and Qt's QString.

#include <QString>

#include <string>

namespace velkport::shell {

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::string S(const QString& text) {
    return text.toStdString();
}

}  // namespace velkport::shell
