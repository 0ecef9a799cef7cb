// Mutated property blobs: whatever the bytes, the reader either decodes them exactly or
// raises UnsupportedFormatException, and a refused blob sets nothing. Runs in the sanitizer
// build too, where any read past a value shows up.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "framework/runtime/blob_keys.h"
#include "framework/runtime/blob_reader.h"
#include "framework/runtime/exceptions.h"
#include "tests/framework/runtime_test_classes.h"

using runtime_test::BlobBuilder;

namespace {

// An object with a settable property for every key of the format; it records each set.
class Sink : public Object {
 public:
  using Object::Object;
  std::vector<Value> received;
};


ClassTable* sinkClass() {
  static ClassTable* t = [] {
    ClassTable* c = RuntimeNewClass(fw::objectClass(), 0, 0, 0, 0, fw::kBlobKeyCount, 0);
    c->name = "Sink";
    c->factory = [](ClassTable* cls) -> Object* { return new Sink(cls); };
    for (std::size_t i = 0; i < fw::kBlobKeyCount; ++i) {
      PropertyEntry& p = c->properties[i];
      p.name = String(fw::kBlobKeys[i].name);
      p.typeCode = String(fw::typeCodeOf(fw::kBlobKeys[i].type));
      p.flags = kFlagPublic | kFlagSettable;
      p.set = [](Object* o, const Value& v) { static_cast<Sink*>(o)->received.push_back(v); };
    }
    return c;
  }();
  return t;
}

// Valid blobs to start from, shaped like the program's: a window, a slider, the timer and
// a popup menu longer than 255 bytes.
std::vector<std::vector<uint8_t>> seeds() {
  BlobBuilder window;
  window.key("Placement").int32(0).key("Width").int32(880).key("MaxWidth").int32(32000);
  window.key("Composite").boolean(false).key("BackColor").color(RGB(29, 32, 60));
  window.key("Title").string("VELMO TAVI Italian Edition").key("MacProcID").int32(0);
  BlobBuilder slider;
  slider.key("Name").string("PitchSlider").key("Index").int32(INT32_MIN).key("HelpTag").string("");
  slider.key("Minimum").int32(0).key("Maximum").int32(10).key("Value").int32(5);
  slider.key("LiveScroll").boolean(true).key("InitialParent").string("");
  BlobBuilder timer;
  timer.key("Mode").int32(2).key("Period").int32(1000);
  BlobBuilder popup;
  std::string items;
  for (int i = 0; i < 40; ++i) items += "Grand Piano\r";
  popup.key("Name").string("MusicPopupMenu").key("InitialValue").string(items);
  popup.key("ListIndex").int32(0).key("Caption").string("Randam Hit").key("TextColor").color({});
  return {window.bytes(), slider.bytes(), timer.bytes(), popup.bytes()};
}

// Writes the entries back in the format; equal to the input for any blob read in full.
std::vector<uint8_t> encode(const std::vector<fw::BlobEntry>& entries) {
  BlobBuilder b;
  for (const auto& e : entries) {
    b.key(e.key);
    if (auto* i = std::get_if<int32_t>(&e.value))
      b.int32(*i);
    else if (auto* f = std::get_if<bool>(&e.value))
      b.boolean(*f);
    else if (auto* c = std::get_if<Color>(&e.value))
      b.color(*c);
    else
      b.string(std::get<String>(e.value).view());
  }
  return b.bytes();
}

std::vector<uint8_t> mutate(std::vector<uint8_t> blob, std::mt19937& rng) {
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(rng); };
  auto byte = [&] { return static_cast<uint8_t>(pick(255)); };
  const int edits = 1 + static_cast<int>(pick(3));
  for (int i = 0; i < edits; ++i) {
    const std::size_t at = pick(blob.size() == 0 ? 0 : blob.size() - 1);
    switch (pick(5)) {
      case 0:  // flip one bit
        if (!blob.empty()) blob[at] ^= static_cast<uint8_t>(1u << pick(7));
        break;
      case 1:  // truncate
        blob.resize(pick(blob.size()));
        break;
      case 2:  // insert a few random bytes
        for (std::size_t n = 1 + pick(4); n > 0; --n)
          blob.insert(blob.begin() + static_cast<std::ptrdiff_t>(pick(blob.size())), byte());
        break;
      case 3:  // a random 32-bit count (or Int32) over four bytes
        for (std::size_t k = 0; k < 4 && at + k < blob.size(); ++k) blob[at + k] = byte();
        break;
      case 4:  // a small count, which may still fit
        if (at + 4 <= blob.size()) {
          blob[at] = blob[at + 1] = 0;
          blob[at + 2] = static_cast<uint8_t>(pick(1));
          blob[at + 3] = byte();
        }
        break;
      default:  // drop a range
        if (!blob.empty())
          blob.erase(
              blob.begin() + static_cast<std::ptrdiff_t>(at),
              blob.begin() + static_cast<std::ptrdiff_t>(std::min(blob.size(), at + 1 + pick(8))));
        break;
    }
  }
  return blob;
}

TEST(RuntimeBlobFuzz, MutatedBlobsDecodeExactlyOrRaiseUnsupportedFormat) {
  ClassTable* cls = sinkClass();  // its names live as long as the process
  const std::size_t objectsAtStart = fw::liveObjectCount();
  const std::size_t stringsAtStart = fw::liveStringCount();
  std::mt19937 rng(20240611);  // fixed: a failure reproduces
  const auto corpus = seeds();
  int decoded = 0;
  int refused = 0;
  {
    Ref<Object> object = RuntimeNewObject(cls);
    auto* sink = static_cast<Sink*>(object.get());
    for (int round = 0; round < 6000; ++round) {
      const auto blob = mutate(corpus[static_cast<std::size_t>(round) % corpus.size()], rng);
      SCOPED_TRACE("round " + std::to_string(round));
      bool readOk = false;
      try {
        const auto entries = fw::readBlob(blob);
        readOk = true;
        ASSERT_EQ(encode(entries), blob);
      } catch (const UnsupportedFormatException& e) {
        ASSERT_NE(std::string(e.what()).find("at byte "), std::string::npos) << e.what();
      } catch (const std::exception& e) {
        FAIL() << "unexpected exception: " << e.what();
      }

      sink->received.clear();
      try {
        _SetProperties(sink, String::fromBytes(blob));
        ASSERT_TRUE(readOk);
        ++decoded;
      } catch (const UnsupportedFormatException&) {
        ASSERT_FALSE(readOk) << "a blob read in full was refused";
        ASSERT_TRUE(sink->received.empty()) << "a refused blob set a property";
        ++refused;
      } catch (const std::exception& e) {
        FAIL() << "unexpected exception: " << e.what();
      }
    }
  }
  // Both outcomes occur, so the mutations exercise the reader rather than one path.
  EXPECT_GT(decoded, 100);
  EXPECT_GT(refused, 1000);
  EXPECT_EQ(fw::liveObjectCount(), objectsAtStart);
  EXPECT_EQ(fw::liveStringCount(), stringsAtStart);
}

}  // namespace
