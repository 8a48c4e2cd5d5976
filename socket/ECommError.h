// The socket component's one exception class.
#pragma once

#include <string>

#include "platform/vcl/Exception.h"

namespace RezUrav {

// Message: the lead "ｿｹｯﾄｴﾗｰ : " followed by the text byte for byte (the text
// is a format argument, so a percent sign in it passes unchanged).
class ECommError : public vcl::Exception {
 public:
  explicit ECommError(const std::string& Text);

  // The text as given, without the lead.
  const std::string& ErrorText() const { return FErrorText; }

 private:
  std::string FErrorText;
};

}  // namespace RezUrav
