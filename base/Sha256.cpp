#include "base/Sha256.h"

#include <bit>
#include <cstring>

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first 64
// primes.
constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

std::uint32_t LoadBigEndian(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

}  // namespace

void CSha256::Reset() {
  // The first 32 bits of the fractional parts of the square roots of the
  // first 8 primes.
  m_state = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  m_nPending = 0;
  m_nTotal = 0;
}

void CSha256::Compress(const unsigned char* blocks, std::size_t count) {
  for (; count > 0; --count, blocks += 64) {
    std::uint32_t w[64];
    for (int t = 0; t < 16; ++t) w[t] = LoadBigEndian(blocks + 4 * t);
    for (int t = 16; t < 64; ++t) {
      const std::uint32_t s0 =
          std::rotr(w[t - 15], 7) ^ std::rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
      const std::uint32_t s1 = std::rotr(w[t - 2], 17) ^ std::rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
      w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }

    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    std::uint32_t e = m_state[4], f = m_state[5], g = m_state[6], h = m_state[7];
    for (int t = 0; t < 64; ++t) {
      const std::uint32_t sum1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
      const std::uint32_t choose = (e & f) ^ (~e & g);
      const std::uint32_t t1 = h + sum1 + choose + kRound[t] + w[t];
      const std::uint32_t sum0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
      const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
      const std::uint32_t t2 = sum0 + majority;
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    m_state[4] += e;
    m_state[5] += f;
    m_state[6] += g;
    m_state[7] += h;
  }
}

void CSha256::Add(std::string_view bytes) {
  if (bytes.empty()) return;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  m_nTotal += n;

  if (m_nPending > 0) {
    const std::size_t take = n < 64 - m_nPending ? n : 64 - m_nPending;
    std::memcpy(m_pending.data() + m_nPending, p, take);
    m_nPending += take;
    p += take;
    n -= take;
    if (m_nPending < 64) return;
    Compress(m_pending.data(), 1);
    m_nPending = 0;
  }
  // Whole blocks straight from the caller's bytes, without copying them.
  Compress(p, n / 64);
  p += n / 64 * 64;
  n %= 64;
  if (n > 0) std::memcpy(m_pending.data(), p, n);
  m_nPending = n;
}

std::array<std::uint8_t, 32> CSha256::Finish() {
  // A 1 bit, zeros up to 8 bytes short of a block's end, then the length in
  // bits as a 64-bit big-endian number.
  const std::uint64_t bits = m_nTotal * 8;
  m_pending[m_nPending++] = 0x80;
  if (m_nPending > 56) {
    std::memset(m_pending.data() + m_nPending, 0, 64 - m_nPending);
    Compress(m_pending.data(), 1);
    m_nPending = 0;
  }
  std::memset(m_pending.data() + m_nPending, 0, 56 - m_nPending);
  for (int i = 0; i < 8; ++i) m_pending[56 + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  Compress(m_pending.data(), 1);

  std::array<std::uint8_t, 32> digest;
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 4; ++j)
      digest[4 * i + j] = static_cast<std::uint8_t>(m_state[i] >> (24 - 8 * j));
  }
  Reset();
  return digest;
}

std::array<std::uint8_t, 32> Sha256(std::string_view bytes) {
  CSha256 hash;
  hash.Add(bytes);
  return hash.Finish();
}

std::string Sha256Hex(std::string_view bytes) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(64);
  for (std::uint8_t byte : Sha256(bytes)) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}
