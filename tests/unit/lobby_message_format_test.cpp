// The typed messages of a session on the wire: what goes in comes out with
// its types and order, and bytes that are not a well-formed message are
// refused whole, never read beyond their end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/play/play.h"
#include "support/fake_link.h"

namespace kwinta::testing {
namespace {

using platform::DirectPlayMessage;
using Bytes = std::vector<uint8_t>;

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

DirectPlayMessage Sample() {
  DirectPlayMessage m;
  m.WriteString("Flick");
  m.WriteSingle(1.5f);
  m.WriteSingle(-0.0f);
  m.WriteLong(-2);
  m.WriteString(std::string("a\0b", 3));
  m.WriteLong(std::numeric_limits<int32_t>::max());
  return m;
}

TEST(MessageFormat, EveryValueComesBackWithItsTypeAndOrder) {
  const float singles[] = {0.0f,
                           -0.0f,
                           1.0f / 3.0f,
                           std::numeric_limits<float>::min(),
                           std::numeric_limits<float>::denorm_min(),
                           std::numeric_limits<float>::max(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(),
                           std::numeric_limits<float>::quiet_NaN()};
  const int32_t longs[] = {
      0,      1,    -1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
      -32768, 32767};
  const std::string texts[] = {"", "Continue", std::string(1, '\0'), "Grüße, 東京",
                               std::string(DirectPlayMessage::kMaxString, 'z')};
  DirectPlayMessage m;
  for (size_t i = 0; i < 9; ++i) {
    m.WriteSingle(singles[i]);
    m.WriteLong(longs[i % 7]);
    m.WriteString(texts[i % 5]);
  }
  DirectPlayMessage back = DirectPlayMessage::Decode(m.Encode());
  for (size_t i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Bits(back.ReadSingle()), Bits(singles[i]));  // bit for bit, NaN and -0 too
    EXPECT_EQ(back.ReadLong(), longs[i % 7]);
    EXPECT_EQ(back.ReadString(), texts[i % 5]);
  }
  EXPECT_THROW(back.ReadString(), platform::Error);
}

TEST(MessageFormat, TextsLongerThanTheLimitAreRefusedWhenWritten) {
  DirectPlayMessage m;
  EXPECT_NO_THROW(m.WriteString(std::string(DirectPlayMessage::kMaxString, 'a')));
  EXPECT_THROW(m.WriteString(std::string(DirectPlayMessage::kMaxString + 1, 'a')), platform::Error);
}

TEST(MessageFormat, ReadingTheWrongTypeOrPastTheEndRaisesAndKeepsThePlace) {
  DirectPlayMessage m = DirectPlayMessage::Decode(Sample().Encode());
  EXPECT_THROW(m.ReadLong(), platform::Error);
  EXPECT_THROW(m.ReadSingle(), platform::Error);
  EXPECT_EQ(m.ReadString(), "Flick");
  EXPECT_THROW(m.ReadString(), platform::Error);
  EXPECT_EQ(m.ReadSingle(), 1.5f);
  EXPECT_EQ(Bits(m.ReadSingle()), Bits(-0.0f));
  EXPECT_EQ(m.ReadLong(), -2);
  EXPECT_EQ(m.ReadString(), std::string("a\0b", 3));
  EXPECT_EQ(m.ReadLong(), std::numeric_limits<int32_t>::max());
  for (int i = 0; i < 3; ++i) {
    EXPECT_THROW(m.ReadString(), platform::Error);
    EXPECT_THROW(m.ReadLong(), platform::Error);
    EXPECT_THROW(m.ReadSingle(), platform::Error);
  }
  DirectPlayMessage empty = DirectPlayMessage::Decode({});
  EXPECT_THROW(empty.ReadString(), platform::Error);
  EXPECT_TRUE(empty.Encode().empty());
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Malformed {
  const char* what;
  Bytes bytes;
};

class MalformedTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedTest, IsRefusedWhole) {
  EXPECT_THROW(DirectPlayMessage::Decode(GetParam().bytes), platform::Error);
}

const Bytes kKind = {1, 5, 0, 0, 0, 'F', 'l', 'i', 'c', 'k'};

INSTANTIATE_TEST_SUITE_P(
    Bytes, MalformedTest,
    ::testing::Values(
        Malformed{"TypeWithoutLength", {1}}, Malformed{"LengthCutShort", {1, 0, 0, 0}},
        Malformed{"TextCutShort", {1, 5, 0, 0, 0, 'a', 'b'}},
        Malformed{"HugeLength", {1, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}},
        Malformed{"LengthNearWrap", {1, 0xFC, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c', 'd'}},
        Malformed{"LengthOverTheLimit",
                  Concat({1, 0x01, 0x04, 0, 0}, Bytes(DirectPlayMessage::kMaxString + 1, 'a'))},
        Malformed{"LongCutShort", {2, 1, 2, 3}}, Malformed{"LongWithoutBytes", {2}},
        Malformed{"SingleCutShort", {3, 0, 0}}, Malformed{"TypeZero", {0, 0, 0, 0, 0}},
        Malformed{"TypeFour", {4, 0, 0, 0, 0}}, Malformed{"TypeTop", {0xFF}},
        Malformed{"GoodKindThenJunk", Concat(kKind, {0x7F})},
        Malformed{"GoodKindThenLongCutShort", Concat(kKind, {2, 1})},
        Malformed{"GoodKindThenHugeText", Concat(kKind, {1, 0, 0, 0, 0x80})}),
    [](const auto& info) { return std::string(info.param.what); });

// Whatever the bytes, decoding either refuses them or gives a message whose
// encoding is exactly those bytes.
void ExpectRefusedOrExact(const Bytes& bytes) {
  try {
    DirectPlayMessage m = DirectPlayMessage::Decode(bytes);
    EXPECT_EQ(m.Encode(), bytes);
  } catch (const platform::Error&) {
  }
}

TEST(MessageFormat, CutsAndChangedBytesAreRefusedOrReadExactly) {
  std::vector<Bytes> seeds = {Sample().Encode()};
  {
    DirectPlayMessage m;
    m.WriteString("MESSAGE");
    m.WriteString(std::string(300, 'q'));
    seeds.push_back(m.Encode());
    DirectPlayMessage s;
    s.WriteString("Score");
    for (int i = 0; i < 3; ++i) s.WriteLong(i * 1000);
    seeds.push_back(s.Encode());
  }
  int cases = 0;
  for (const Bytes& seed : seeds) {
    for (size_t n = 0; n < seed.size(); ++n) {  // every cut
      ExpectRefusedOrExact(Bytes(seed.begin(), seed.begin() + n));
      ++cases;
    }
    for (size_t at = 0; at < seed.size(); ++at) {  // every byte changed
      for (uint8_t v : {0x00, 0x01, 0x02, 0x03, 0x04, 0x7F, 0x80, 0xFE, 0xFF}) {
        Bytes changed = seed;
        changed[at] = v;
        ExpectRefusedOrExact(changed);
        ++cases;
      }
    }
  }
  std::mt19937 random(20240611);
  for (int i = 0; i < 5000; ++i) {  // random bytes, mostly of the right types
    Bytes junk(random() % 64);
    for (uint8_t& byte : junk)
      byte = static_cast<uint8_t>(random() % 4 == 0 ? random() % 4 : random());
    ExpectRefusedOrExact(junk);
    ++cases;
  }
  EXPECT_GT(cases, 5000);
}

TEST(MessageFormat, AMalformedMessageIsTakenAndReadsAsEmpty) {
  std::shared_ptr<platform::DirectPlay4> dplay;
  auto link = AttachFakeLink(dplay);
  link->incoming.push_back({1, 0xFF, 0xFF, 0xFF, 0xFF});
  link->Queue(Sample());
  ASSERT_EQ(dplay->GetMessageCount(0), 2);
  int32_t from = -1, to = -1;
  auto bad = dplay->Receive(from, to, platform::DPRECEIVE_ALL);
  EXPECT_THROW(bad->ReadString(), platform::Error);
  EXPECT_EQ(dplay->GetMessageCount(0), 1);
  auto good = dplay->Receive(from, to, platform::DPRECEIVE_ALL);
  EXPECT_EQ(good->ReadString(), "Flick");
  EXPECT_EQ(dplay->GetMessageCount(0), 0);
  EXPECT_THROW(dplay->Receive(from, to, platform::DPRECEIVE_ALL), platform::Error);
}

TEST(MessageFormat, SendingPutsTheEncodingOnTheLink) {
  std::shared_ptr<platform::DirectPlay4> dplay;
  auto link = AttachFakeLink(dplay);
  auto m = dplay->CreateMessage();
  *m = Sample();
  dplay->Send(7, platform::DPID_ALLPLAYERS, platform::DPSEND_GUARANTEED, m);
  ASSERT_EQ(link->sent.size(), 1u);
  EXPECT_EQ(link->sent[0], Sample().Encode());
  EXPECT_EQ(link->SentKinds(), std::vector<std::string>{"Flick"});
}

}  // namespace
}  // namespace kwinta::testing
