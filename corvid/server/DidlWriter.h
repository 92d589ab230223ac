#pragma once
// Writes a Browse answer as DIDL-Lite text straight into one string: the same elements,
// attributes and line ends the ixml printer gave, without building a document tree first.

#include <string>
#include <string_view>

namespace corvid::server {

class MediaObject;

class DidlWriter {
  public:
    // Starts the DIDL-Lite root; reserve: bytes to set aside for the whole answer.
    explicit DidlWriter(std::size_t reserve = 0);

    // Appends one object: a container element, or an item element with its res.
    void Append(const MediaObject& object, std::string_view baseUrl);
    // Closes the root and hands the text over.
    std::string Finish();
    int count() const { return count_; }

    // Escapes the five XML special characters.
    static void AppendEscaped(std::string& out, std::string_view text);
    // At least the bytes Append writes for the object, so that an answer is reserved at once.
    static std::size_t SizeOf(const MediaObject& object, std::size_t baseUrlLength);

  private:
    std::string text_;
    int count_ = 0;
};

}  // namespace corvid::server
