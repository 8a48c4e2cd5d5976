// Root of the class tree and the plain notification event.
#pragma once

#include <functional>
#include <string>
#include <typeinfo>

namespace vcl {

class TObject {
 public:
  virtual ~TObject() = default;
  // The class's own name, without namespaces (as run-time reports show it).
  std::string ClassName() const;
};

// A type's name without namespaces, as run-time reports show class names.
std::string ClassNameOf(const std::type_info& type);

// A handler bound to an object; may be empty, so test before calling.
using TNotifyEvent = std::function<void(TObject* Sender)>;

}  // namespace vcl
