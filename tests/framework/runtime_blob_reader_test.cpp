// The property-blob reader: width-driven decoding, the format's awkward values, and the
// errors, each named with its key and byte offset.

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "framework/runtime/blob_keys.h"
#include "framework/runtime/blob_reader.h"
#include "framework/runtime/exceptions.h"
#include "tests/framework/runtime_test_classes.h"

using runtime_test::BlobBuilder;
using runtime_test::Gadget;
using runtime_test::ProcGadget;

namespace {

Ref<Gadget> newGadget() {
  return RuntimeCheckCast<Gadget>(RuntimeNewObject(Gadget::__Lookup()).get(), Gadget::__Lookup());
}

// The message of the UnsupportedFormatException that f raises; fails the test if none.
template <class F>
std::string formatError(F&& f) {
  try {
    f();
  } catch (const UnsupportedFormatException& e) {
    return e.what();
  }
  ADD_FAILURE() << "no UnsupportedFormatException";
  return {};
}

void expectMentions(const std::string& message, const std::string& key, std::size_t offset) {
  if (!key.empty()) {
    EXPECT_NE(message.find("\"" + key + "\""), std::string::npos) << message;
  }
  const std::string at = "byte " + std::to_string(offset);
  const std::size_t found = message.find(at);
  ASSERT_NE(found, std::string::npos) << message;
  const std::size_t end = found + at.size();
  EXPECT_TRUE(end == message.size() || !std::isdigit(static_cast<unsigned char>(message[end])))
      << message;
}

TEST(RuntimeBlobReader, EveryKeyHasOneTypeAndTheTableMatchesTheFormat) {
  EXPECT_EQ(fw::kBlobKeyCount, 72u);
  std::size_t counts[4] = {};
  for (const auto& k : fw::kBlobKeys) {
    ++counts[static_cast<int>(k.type)];
    EXPECT_EQ(fw::blobKeyType(k.name), k.type) << k.name << " is listed twice";
  }
  EXPECT_EQ(counts[static_cast<int>(fw::BlobType::Int32)], 27u);
  EXPECT_EQ(counts[static_cast<int>(fw::BlobType::Boolean)], 28u);
  EXPECT_EQ(counts[static_cast<int>(fw::BlobType::Color)], 4u);
  EXPECT_EQ(counts[static_cast<int>(fw::BlobType::String)], 13u);
}

TEST(RuntimeBlobReader, ColorWithABlankInsideIsReadByWidth) {
  BlobBuilder b;
  b.key("HasBackColor").boolean(true).key("BackColor").raw({0x1D, 0x20, 0x3C});
  b.key("Title").string("VELMO TAVI Italian Edition").key("Visible").boolean(true);
  const auto entries = fw::readBlob(b.bytes());
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(std::get<Color>(entries[1].value), RGB(29, 32, 60));
  EXPECT_EQ(entries[2].key, "Title");
  EXPECT_EQ(std::get<String>(entries[2].value), "VELMO TAVI Italian Edition");
  EXPECT_EQ(entries[3].key, "Visible");
  EXPECT_EQ(entries[0].offset, 0u);
  EXPECT_EQ(entries[1].offset, 14u);
}

TEST(RuntimeBlobReader, SetPropertiesAppliesEveryTypeInOrder) {
  Ref<Gadget> g = newGadget();
  BlobBuilder b;
  b.key("Name").string("Oval1").key("Index").raw({0x80, 0, 0, 0});
  b.key("MaxWidth").raw({0x00, 0x00, 0x7D, 0x00}).key("HelpTag").string("");
  b.key("Visible").boolean(true).key("BackColor").color(RGB(29, 32, 60));
  b.key("Caption").string("Randam Hit").key("Title").string("first").key("Title").string("second");
  _SetProperties(g.get(), b.blob());
  EXPECT_EQ(g->name, "Oval1");
  EXPECT_EQ(g->index, INT32_MIN);
  EXPECT_EQ(g->maxWidth, 32000);
  EXPECT_TRUE(g->helpTag.empty());  // an empty String, and the next key read at once
  EXPECT_TRUE(g->visible);
  EXPECT_EQ(g->backColor, RGB(29, 32, 60));
  EXPECT_EQ(g->caption, "Randam Hit");
  EXPECT_EQ(g->title, "second");      // set in blob order
  _SetProperties(g.get(), String());  // an empty blob sets nothing
  EXPECT_EQ(g->title, "second");
}

TEST(RuntimeBlobReader, LongBlobAndStringsWithCarriageReturnsAndZeros) {
  std::string items;
  for (int i = 0; i < 128; ++i) {
    if (i > 0) items += '\r';
    items += "Instrument ";
    items += std::to_string(i);
  }
  const std::string withZeros("a\0b\r\0", 5);
  BlobBuilder b;
  b.key("Name").string("MusicPopupMenu").key("InitialValue").string(items);
  b.key("Title").string(withZeros).key("Index").int32(0);
  ASSERT_GT(b.size(), 255u);
  Ref<Gadget> g = newGadget();
  _SetProperties(g.get(), b.blob());
  EXPECT_EQ(g->initialValue, items);
  EXPECT_EQ(g->title.size(), 5u);
  EXPECT_EQ(g->title, withZeros);
  EXPECT_EQ(g->index, 0);
}

TEST(RuntimeBlobReader, TimerBlobIsTwentyBytes) {
  BlobBuilder b;
  b.key("Mode").int32(2).key("Period").int32(1000);
  ASSERT_EQ(b.size(), 20u);
  const auto entries = fw::readBlob(b.bytes());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(std::get<int32_t>(entries[0].value), 2);
  EXPECT_EQ(std::get<int32_t>(entries[1].value), 1000);
  EXPECT_EQ(entries[1].offset, 9u);
}

TEST(RuntimeBlobReader, MacProcIdIsSkippedUnlessTheClassHasIt) {
  BlobBuilder b;
  b.key("Visible").boolean(true).key("MacProcID").int32(5).key("Title").string("after");
  Ref<Gadget> g = newGadget();
  _SetProperties(g.get(), b.blob());
  EXPECT_EQ(g->title, "after");
  EXPECT_EQ(g->macProcId, 7);

  Ref<Object> p = RuntimeNewObject(ProcGadget::__Lookup());
  _SetProperties(p.get(), b.blob());
  EXPECT_EQ(static_cast<ProcGadget*>(p.get())->macProcId, 5);
}

TEST(RuntimeBlobReader, MalformedBlobsNameTheKeyAndTheOffset) {
  // An entry before the fault, so offsets are not all 0.
  auto after = [](std::initializer_list<uint8_t> tail) {
    BlobBuilder b;
    b.key("Visible").boolean(true);  // 9 bytes
    b.raw(tail);
    return b.bytes();
  };
  auto read = [](std::vector<uint8_t> bytes) { return [bytes] { fw::readBlob(bytes); }; };

  expectMentions(formatError(read(after({'T', 'i', 't', 'l', 'x', ' ', 0, 0, 0, 0}))), "Titlx", 9);
  expectMentions(formatError(read(after({'T', 'i', 't'}))), "Tit", 9);  // ends in a key
  expectMentions(formatError(read(after({'I', 'n', 'd', 'e', 'x', ' ', 0, 0}))), "Index", 15);
  expectMentions(formatError(read(after({'V', 'i', 's', 'i', 'b', 'l', 'e', ' '}))), "Visible", 17);
  expectMentions(formatError(read(after({'T', 'i', 't', 'l', 'e', ' ', 0, 0}))), "Title", 15);
  expectMentions(formatError(read(after({'T', 'i', 't', 'l', 'e', ' ', 0, 0, 0, 5, 'a', 'b'}))),
                 "Title", 15);  // count past the end
  expectMentions(formatError(read(after({'T', 'i', 't', 'l', 'e', ' ', 0xFF, 0xFF, 0xFF, 0xFF}))),
                 "Title", 15);
  expectMentions(formatError(read(after({'V', 'i', 's', 'i', 'b', 'l', 'e', ' ', 2}))), "Visible",
                 17);
  expectMentions(formatError(read(after({'T', 'i', '1', 'l', 'e', ' '}))), "Ti", 11);  // non-letter
  expectMentions(formatError(read(after({0x00}))), "", 9);
  expectMentions(formatError(read(after({' ', 0, 0, 0, 0}))), "", 9);  // empty key
  expectMentions(formatError(read({0x1D, 0x20, 0x3C})), "", 0);        // a value, no key
}

TEST(RuntimeBlobReader, KeysTheClassCannotTakeAreRefusedAndChangeNothing) {
  Ref<Gadget> g = newGadget();
  auto set = [&](const BlobBuilder& b) {
    return [&g, blob = b.blob()] { _SetProperties(g.get(), blob); };
  };

  BlobBuilder noProperty;
  noProperty.key("Title").string("changed").key("Period").int32(1000);
  expectMentions(formatError(set(noProperty)), "Period", 17);

  BlobBuilder readOnly;
  readOnly.key("Title").string("changed").key("Enabled").boolean(true);
  expectMentions(formatError(set(readOnly)), "Enabled", 17);

  BlobBuilder wrongType;  // Width is Int32 in every blob; this class has it as a Boolean
  wrongType.key("Title").string("changed").key("Width").int32(1);
  expectMentions(formatError(set(wrongType)), "Width", 17);

  BlobBuilder truncated;
  truncated.key("Title").string("changed").key("Index").raw({0, 0});
  expectMentions(formatError(set(truncated)), "Index", 23);

  EXPECT_EQ(g->title, "untitled");
  EXPECT_EQ(g->index, 7);
  EXPECT_FALSE(g->widthFlag);
  EXPECT_THROW(_SetProperties(nullptr, noProperty.blob()), NilObjectException);
}

}  // namespace
