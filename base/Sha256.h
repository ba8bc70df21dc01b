// SHA-256 (FIPS 180-4) of a run of bytes: it names the rules file in export
// files and share links, so that a reader can tell whether it has the same
// rules.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The digest of bytes given in pieces, as they are read; the pieces may be of
// any size. Finish returns the digest of everything added since the start or
// the last Finish, and starts over.
class CSha256 {
 public:
  CSha256() { Reset(); }

  void Add(std::string_view bytes);
  std::array<std::uint8_t, 32> Finish();

 private:
  void Reset();
  // Mixes the 64-byte blocks at `blocks` into m_state.
  void Compress(const unsigned char* blocks, std::size_t count);

  std::array<std::uint32_t, 8> m_state;
  // The start of a block whose remaining bytes have not come yet.
  std::array<unsigned char, 64> m_pending;
  std::size_t m_nPending;
  // Bytes added in all, for the length at the end of the padding.
  std::uint64_t m_nTotal;
};

std::array<std::uint8_t, 32> Sha256(std::string_view bytes);
// The digest as 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);
