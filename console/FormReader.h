// Reading a stored form description: the settings a form and its components
// are built with, kept as data and applied after each object's construction
// through the same writers a program would use (so a property whose writer
// does nothing, such as SelfName, keeps what the constructor found, and a
// stored ErrorNumber replaces one the constructor recorded).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <variant>

#include "platform/vcl/Exception.h"
#include "platform/vcl/TForm.h"
#include "platform/vcl/TTimer.h"
#include "socket/RezUrav.h"

namespace Unit1 {

// An event property's value: the name of a published method of the form.
struct MethodName {
  std::string_view Name;
};

using StoredValue = std::variant<std::int32_t, bool, std::string_view, MethodName>;

struct StoredProperty {
  std::string_view Name;
  StoredValue Value;
};

struct StoredComponent {
  std::string_view Name;       // the form's field that receives it
  std::string_view ClassName;  // what to construct
  std::span<const StoredProperty> Properties;
};

struct StoredForm {
  std::span<const StoredProperty> Properties;
  std::span<const StoredComponent> Components;  // in creation order
};

// A published method of the form, bound to the form; empty when there is none of that name.
using PublishedMethod = std::variant<std::monostate, vcl::TNotifyEvent, RezUrav::TCommNotifyEvent,
                                     RezUrav::TCommAcceptNotifyEvent>;
using MethodLookup = std::function<PublishedMethod(std::string_view Name)>;

// A description that does not fit the objects: unknown property, wrong kind of value.
class EReadError : public vcl::Exception {
 public:
  using vcl::Exception::Exception;
};

void ApplyProperties(vcl::TForm& Form, std::span<const StoredProperty> Properties,
                     const MethodLookup& Methods);
void ApplyProperties(RezUrav::VOduRude& Component, std::span<const StoredProperty> Properties,
                     const MethodLookup& Methods);
void ApplyProperties(vcl::TTimer& Component, std::span<const StoredProperty> Properties,
                     const MethodLookup& Methods);

}  // namespace Unit1
