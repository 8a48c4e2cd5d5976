// Root of the class tree and the plain notification event.
#pragma once

#include <functional>
#include <string>

namespace vcl {

class TObject {
 public:
  virtual ~TObject() = default;
  // The class's own name, without namespaces (as run-time reports show it).
  std::string ClassName() const;
};

// A handler bound to an object; may be empty, so test before calling.
using TNotifyEvent = std::function<void(TObject* Sender)>;

}  // namespace vcl
