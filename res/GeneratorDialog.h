// The dialog template IDD_GENERATOR_DIALOG as data: every control with its id,
// class, caption, rectangle in dialog units and style, in template order,
// which is also the tab order.
#pragma once

#include <cstdint>

enum class ControlClass { Static, Edit, ComboBox, Button };

// Style bits of a control; a control is visible and enabled unless marked.
namespace ControlStyle {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kTabStop = 1u << 0;
inline constexpr std::uint32_t kGroup = 1u << 1;  // starts a group of its own
inline constexpr std::uint32_t kDisabled = 1u << 2;
inline constexpr std::uint32_t kHidden = 1u << 3;
// Static
inline constexpr std::uint32_t kNoWordWrap = 1u << 4;
// Edit
inline constexpr std::uint32_t kMultiLine = 1u << 5;
inline constexpr std::uint32_t kReadOnly = 1u << 6;
inline constexpr std::uint32_t kBorder = 1u << 7;
inline constexpr std::uint32_t kStaticEdge = 1u << 8;
inline constexpr std::uint32_t kAutoHScroll = 1u << 9;
// ComboBox (always a drop-down list here)
inline constexpr std::uint32_t kSort = 1u << 10;
inline constexpr std::uint32_t kVScroll = 1u << 11;
// Button
inline constexpr std::uint32_t kPushButton = 1u << 12;
inline constexpr std::uint32_t kDefPushButton = 1u << 13;
inline constexpr std::uint32_t kAutoRadioButton = 1u << 14;
inline constexpr std::uint32_t kAutoCheckBox = 1u << 15;
}  // namespace ControlStyle

struct ControlTemplate {
  int id;
  const char* name;  // the identifier's name, used as the widget's object name
  ControlClass cls;
  const char* caption;  // UTF-8; "&" marks the mnemonic
  int x, y, cx, cy;     // dialog units; a list's cy is its dropped-down height
  std::uint32_t style;
};

struct DialogTemplate {
  int id;
  const char* caption;  // UTF-8
  int cx, cy;           // dialog units
  const char* fontFace;
  int pointSize;
  const ControlTemplate* controls;
  int controlCount;
};

inline constexpr int GENERATOR_DIALOG_CONTROLS = 79;

const DialogTemplate& GeneratorDialogTemplate();
