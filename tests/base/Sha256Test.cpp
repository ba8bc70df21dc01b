#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "base/Sha256.h"

namespace {

std::string AllByteValues() {
  std::string bytes;
  for (int round = 0; round < 3; ++round) {
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  }
  return bytes;
}

}  // namespace

// The published examples: empty, one block, a message whose padding needs a
// second block, one of two full blocks, and one that runs for many blocks.
TEST(Sha256, PublishedDigests) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(
      Sha256Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmno"
                "pqklmnopqrlmnopqrsmnopqrstnopqrstu"),
      "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

  const auto abc = Sha256("abc");
  EXPECT_EQ(abc[0], 0xBA);
  EXPECT_EQ(abc[31], 0xAD);
}

// Lengths around the end of a block, where the padding and the length either
// fit in the last block or spill into one more; and bytes above 0x7F, which
// must count as unsigned.
TEST(Sha256, BlockBoundariesAndHighBytes) {
  EXPECT_EQ(Sha256Hex(std::string(55, 'a')),
            "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(Sha256Hex(std::string(56, 'a')),
            "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
  EXPECT_EQ(Sha256Hex(std::string(63, 'a')),
            "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34");
  EXPECT_EQ(Sha256Hex(std::string(64, 'a')),
            "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
  EXPECT_EQ(Sha256Hex(std::string(65, 'a')),
            "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0");
  EXPECT_EQ(Sha256Hex(AllByteValues()),
            "f3a25aa93aa2fbba28d79260535bbd6a5eb0fc1c24a8b0f04e12b484c1dfe363");
}

// Bytes added in pieces of any size, empty ones included, hash as the whole
// does; Finish starts the next digest afresh.
TEST(Sha256, PiecesHashAsTheWhole) {
  const std::string bytes = AllByteValues();
  const auto whole = Sha256(bytes);
  CSha256 hash;
  for (std::size_t piece : {1u, 7u, 63u, 64u, 65u, 130u}) {
    std::string_view rest = bytes;
    while (!rest.empty()) {
      const std::size_t n = std::min(piece, rest.size());
      hash.Add(rest.substr(0, n));
      hash.Add({});
      rest.remove_prefix(n);
    }
    EXPECT_EQ(hash.Finish(), whole) << "pieces of " << piece;
  }
  hash.Add("abc");
  EXPECT_EQ(hash.Finish(), Sha256("abc"));
}
