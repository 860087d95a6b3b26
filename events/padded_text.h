#ifndef DB_EVENTS_PADDED_TEXT_H_
#define DB_EVENTS_PADDED_TEXT_H_

#include <cstddef>
#include <string>
#include <utility>

// A text followed by zero bytes. TinyXML, and the walks of db that follow
// its course, step up to four bytes past the end of a text that stops
// inside a UTF-8 sequence; with the padding they read only zeros there.
class PaddedText {
 public:
  // Zero bytes past the text's own terminating one.
  static constexpr size_t kPaddingBytes = 8;

  explicit PaddedText(std::string text) : text_(std::move(text)) {
    text_.append(kPaddingBytes, '\0');
  }

  // The text, zero-terminated, with the padding after it.
  const char* c_str() const { return text_.c_str(); }

 private:
  std::string text_;
};

#endif  // DB_EVENTS_PADDED_TEXT_H_
