#include "console/FormReader.h"

#include <gtest/gtest.h>

#include "socket/RezUrav.h"

namespace {

using Unit1::EReadError;
using Unit1::MethodName;
using Unit1::StoredProperty;

Unit1::PublishedMethod NoMethods(std::string_view) { return {}; }

TEST(FormReader, StoredValuesGoThroughTheWritersAfterConstruction) {
  RezUrav::VOduRude socket(nullptr);
  std::string ownName = socket.SelfName();
  std::string ownAddress = socket.SelfIPAddress();
  socket.ErrorNumber = 10050;  // as if construction had recorded an error

  const StoredProperty stored[] = {
      {"ErrorNumber", 0},   {"SelfName", "stored-name"}, {"SelfIPAddress", "10.9.8.7"},
      {"TimeOut", 8000},    {"TargetHost", "127.0.0.2"}, {"TargetPort", 23},
      {"ServerMode", true},
  };
  Unit1::ApplyProperties(socket, stored, NoMethods);
  EXPECT_EQ(socket.ErrorNumber, 0) << "the stored value replaces the recorded one";
  EXPECT_EQ(socket.SelfName(), ownName) << "its writer does nothing";
  EXPECT_EQ(socket.SelfIPAddress(), ownAddress);
  EXPECT_EQ(socket.TimeOut, 8000);
  EXPECT_EQ(socket.TargetIPAddress, "127.0.0.2") << "TargetHost went through its resolving writer";
  EXPECT_EQ(socket.TargetPort, 23);
  EXPECT_TRUE(socket.ServerMode);
}

TEST(FormReader, EventsBindToTheFormsMethodsOfTheirOwnKind) {
  RezUrav::VOduRude socket(nullptr);
  int received = 0;
  auto methods = [&](std::string_view name) -> Unit1::PublishedMethod {
    if (name == "Receive")
      return RezUrav::TCommNotifyEvent([&](vcl::TObject*, std::int32_t S) { received = S; });
    if (name == "Notify") return vcl::TNotifyEvent([](vcl::TObject*) {});
    return {};
  };
  const StoredProperty good[] = {{"onReceive", MethodName{"Receive"}}};
  Unit1::ApplyProperties(socket, good, methods);
  ASSERT_TRUE(socket.onReceive);
  socket.onReceive(&socket, 42);
  EXPECT_EQ(received, 42);

  const StoredProperty wrongKind[] = {{"onClose", MethodName{"Notify"}}};
  EXPECT_THROW(Unit1::ApplyProperties(socket, wrongKind, methods), EReadError);
  const StoredProperty missing[] = {{"onClose", MethodName{"NoSuchMethod"}}};
  EXPECT_THROW(Unit1::ApplyProperties(socket, missing, methods), EReadError);
}

TEST(FormReader, ADescriptionThatDoesNotFitIsAReadError) {
  vcl::TTimer timer(nullptr);
  const StoredProperty unknown[] = {{"Colour", 3}};
  EXPECT_THROW(Unit1::ApplyProperties(timer, unknown, NoMethods), EReadError);
  const StoredProperty wrongValue[] = {{"Interval", "5000"}};
  EXPECT_THROW(Unit1::ApplyProperties(timer, wrongValue, NoMethods), EReadError);
  const StoredProperty negative[] = {{"Interval", -1}};
  EXPECT_THROW(Unit1::ApplyProperties(timer, negative, NoMethods), EReadError);
}

}  // namespace
