#include "platform/vcl/TObject.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace vcl {

std::string TObject::ClassName() const { return ClassNameOf(typeid(*this)); }

std::string ClassNameOf(const std::type_info& type) {
  const char* mangled = type.name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : mangled;
  auto colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

}  // namespace vcl
