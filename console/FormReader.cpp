#include "console/FormReader.h"

#include <string>

namespace Unit1 {
namespace {

[[noreturn]] void Invalid(std::string_view property) {
  throw EReadError("Invalid property value: " + std::string(property));
}

std::int32_t AsInteger(const StoredProperty& p) {
  if (auto v = std::get_if<std::int32_t>(&p.Value)) return *v;
  Invalid(p.Name);
}

bool AsBoolean(const StoredProperty& p) {
  if (auto v = std::get_if<bool>(&p.Value)) return *v;
  Invalid(p.Name);
}

std::string AsText(const StoredProperty& p) {
  if (auto v = std::get_if<std::string_view>(&p.Value)) return std::string(*v);
  Invalid(p.Name);
}

// The method named by an event property, of the event's own type.
template <class Event>
Event AsMethod(const StoredProperty& p, const MethodLookup& methods) {
  auto name = std::get_if<MethodName>(&p.Value);
  if (!name) Invalid(p.Name);
  PublishedMethod method = methods(name->Name);
  if (auto bound = std::get_if<Event>(&method)) return *bound;
  throw EReadError("Method not found or of another kind: " + std::string(name->Name));
}

template <class T>
struct Writer {
  std::string_view Name;
  void (*Write)(T&, const StoredProperty&, const MethodLookup&);
};

template <class T, std::size_t N>
void Apply(T& object, const Writer<T> (&writers)[N], std::span<const StoredProperty> properties,
           const MethodLookup& methods) {
  for (const StoredProperty& p : properties) {
    const Writer<T>* writer = nullptr;
    for (const Writer<T>& w : writers)
      if (w.Name == p.Name) writer = &w;
    if (!writer) throw EReadError("Property does not exist: " + std::string(p.Name));
    writer->Write(object, p, methods);
  }
}

using Rez = RezUrav::VOduRude;

// The published properties of the socket component, each through its writer.
const Writer<Rez> kRezUravWriters[] = {
    {"SelfName",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.SetSelfName(AsText(p)); }},
    {"SelfIPAddress",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.SetSelfIPAddress(AsText(p)); }},
    {"SelfPort",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.SelfPort = AsInteger(p); }},
    {"TargetHost",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.SetTargetHost(AsText(p)); }},
    {"TargetIPAddress",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.TargetIPAddress = AsText(p); }},
    {"TargetService",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.SetTargetService(AsText(p)); }},
    {"TargetPort",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.TargetPort = AsInteger(p); }},
    {"ServerMode",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.ServerMode = AsBoolean(p); }},
    {"ErrorNumber",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.ErrorNumber = AsInteger(p); }},
    {"TimeOut",
     [](Rez& c, const StoredProperty& p, const MethodLookup&) { c.TimeOut = AsInteger(p); }},
    {"onReceive",
     [](Rez& c, const StoredProperty& p, const MethodLookup& m) {
       c.onReceive = AsMethod<RezUrav::TCommNotifyEvent>(p, m);
     }},
    {"onAccept",
     [](Rez& c, const StoredProperty& p, const MethodLookup& m) {
       c.onAccept = AsMethod<RezUrav::TCommAcceptNotifyEvent>(p, m);
     }},
    {"onConnect",
     [](Rez& c, const StoredProperty& p, const MethodLookup& m) {
       c.onConnect = AsMethod<RezUrav::TCommNotifyEvent>(p, m);
     }},
    {"onClose",
     [](Rez& c, const StoredProperty& p, const MethodLookup& m) {
       c.onClose = AsMethod<RezUrav::TCommNotifyEvent>(p, m);
     }},
};

const Writer<vcl::TTimer> kTimerWriters[] = {
    {"Enabled", [](vcl::TTimer& t, const StoredProperty& p,
                   const MethodLookup&) { t.SetEnabled(AsBoolean(p)); }},
    {"Interval",
     [](vcl::TTimer& t, const StoredProperty& p, const MethodLookup&) {
       std::int32_t ms = AsInteger(p);
       if (ms < 0) Invalid(p.Name);
       t.SetInterval(static_cast<win::UINT>(ms));
     }},
    {"OnTimer", [](vcl::TTimer& t, const StoredProperty& p,
                   const MethodLookup& m) { t.SetOnTimer(AsMethod<vcl::TNotifyEvent>(p, m)); }},
};

const Writer<vcl::TForm> kFormWriters[] = {
    {"OnCreate", [](vcl::TForm& f, const StoredProperty& p,
                    const MethodLookup& m) { f.OnCreate = AsMethod<vcl::TNotifyEvent>(p, m); }},
};

}  // namespace

void ApplyProperties(vcl::TForm& Form, std::span<const StoredProperty> Properties,
                     const MethodLookup& Methods) {
  Apply(Form, kFormWriters, Properties, Methods);
}

void ApplyProperties(RezUrav::VOduRude& Component, std::span<const StoredProperty> Properties,
                     const MethodLookup& Methods) {
  Apply(Component, kRezUravWriters, Properties, Methods);
}

void ApplyProperties(vcl::TTimer& Component, std::span<const StoredProperty> Properties,
                     const MethodLookup& Methods) {
  Apply(Component, kTimerWriters, Properties, Methods);
}

}  // namespace Unit1
