// Scripts the random source so that every roll in a test is exact.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>

#include "character/Dice.h"

// While alive, every draw is taken from the queue; a draw past its end fails
// the test. Dice of DRAW_DIE_SIDES sides count r + 1 for the draw r, so a die
// {1, DRAW_DIE_SIDES, b} rolls r + 1 + b.
class CScriptedDraws {
 public:
  static constexpr int DRAW_DIE_SIDES = 32768;

  CScriptedDraws(std::initializer_list<int> draws = {}) : m_queue(draws) {
    SetRandomDraws([this] {
      ++m_nDrawn;
      if (m_queue.empty()) {
        ADD_FAILURE() << "more draws than scripted";
        return 0;
      }
      const int r = m_queue.front();
      m_queue.pop_front();
      return r;
    });
  }
  CScriptedDraws(const CScriptedDraws&) = delete;
  CScriptedDraws& operator=(const CScriptedDraws&) = delete;
  ~CScriptedDraws() { SetRandomDraws({}); }

  void Add(std::initializer_list<int> draws) { m_queue.insert(m_queue.end(), draws); }
  int Drawn() const { return m_nDrawn; }
  int Left() const { return static_cast<int>(m_queue.size()); }

 private:
  std::deque<int> m_queue;
  int m_nDrawn = 0;
};
