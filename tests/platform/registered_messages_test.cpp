#include "platform/registered_messages.h"

#include <gtest/gtest.h>

namespace nimbel {
namespace {

struct KnownMessage {
  std::string_view name;
  std::uint32_t id;
};

// Fixed ids: traces of different runs and peers' logs name the same message by the same number.
constexpr KnownMessage kKnown[] = {
    {kInstanceMessageName, 0xC000},
    {kUpdateProgressRelayMessageName, 0xC001},
    {kAudioCaptureMessageName, 0xC006},
    {"WM_HOOK_KEY_SINGLEKEY_MSG", 0xC007},
    {"Game_Death", 0xC018},
};

TEST(RegisteredMessages, KnownStringsHaveFixedIds) {
  for (const KnownMessage& known : kKnown) {
    EXPECT_EQ(RegisterWindowMessage(known.name), known.id) << known.name;
    EXPECT_EQ(RegisteredMessageName(known.id), std::string(known.name));
  }
}

TEST(RegisteredMessages, SameStringSameIdWhateverTheCase) {
  const std::uint32_t id = RegisterWindowMessage("Peer_Message_A");
  EXPECT_GE(id, kFirstRegisteredMessage);
  EXPECT_LE(id, kLastRegisteredMessage);
  EXPECT_EQ(RegisterWindowMessage("peer_message_a"), id);
  EXPECT_EQ(RegisterWindowMessage("game_start"), RegisterWindowMessage("Game_Start"));
  EXPECT_NE(RegisterWindowMessage("Peer_Message_B"), id);
  EXPECT_EQ(RegisteredMessageName(id), std::string("Peer_Message_A"));
}

TEST(RegisteredMessages, FindingANameDoesNotRegisterIt) {
  EXPECT_EQ(FindWindowMessage("game_kill"), RegisterWindowMessage("Game_Kill"));
  EXPECT_EQ(FindWindowMessage("Never_Registered"), std::nullopt);
  const std::uint32_t id = RegisterWindowMessage("Registered_After_A_Look");
  EXPECT_EQ(FindWindowMessage("registered_after_a_look"), id);
}

TEST(RegisteredMessages, EmptyStringsAndUnknownIdsAreRefused) {
  EXPECT_EQ(RegisterWindowMessage(""), 0u);
  EXPECT_EQ(RegisteredMessageName(3090), std::nullopt);
  EXPECT_EQ(RegisteredMessageName(kLastRegisteredMessage), std::nullopt);
}

}  // namespace
}  // namespace nimbel
