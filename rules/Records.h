// Record classes shared by the rules database and the character: dice, item,
// race, archetype and the characteristic and skill slots.
//
// Plain classes with public fields and a virtual destructor as their only
// virtual operation. Texts are 8-bit Windows-1252 bytes kept exactly as read.
#pragma once

#include <string>

inline constexpr int MAX_ARCHETYPES = 25;
inline constexpr int MAX_RACES = 15;
inline constexpr int MAX_ITEMS = 40;
inline constexpr int MAX_CHARACTERISTICS = 5;
inline constexpr int MAX_SKILLS = 20;

// The number of pockets a character uses; not part of the rules file.
inline constexpr int POCKET_COUNT = 10;

// The most dice one expression may throw. No game comes near it; a rules file
// that asks for more is refused rather than spinning the dice for minutes.
inline constexpr int MAX_DICE_COUNT = 1000;

// Roll m_nCount dice of m_nSides sides each and add m_nBonus.
class CDice {
 public:
  CDice() = default;
  CDice(const CDice&) = default;
  CDice& operator=(const CDice&) = default;
  virtual ~CDice() = default;

  int m_nCount = 0;
  int m_nSides = 0;
  int m_nBonus = 0;
};

// One characteristic slot: the rolled value and the equipment modifier.
class CStatValue {
 public:
  CStatValue() = default;
  CStatValue(const CStatValue&) = default;
  CStatValue& operator=(const CStatValue&) = default;
  virtual ~CStatValue() = default;

  int m_nValue = 0;
  int m_nModifier = 0;
};

// One skill slot: the rolled value, the equipment modifier and a spare integer
// that nothing reads or writes.
class CSkillValue {
 public:
  CSkillValue() = default;
  CSkillValue(const CSkillValue&) = default;
  CSkillValue& operator=(const CSkillValue&) = default;
  virtual ~CSkillValue() = default;

  int m_nValue = 0;
  int m_nModifier = 0;
  int m_nSpare = 0;
};

inline constexpr const char* DEFAULT_ITEM_NAME = "<Nulla>";
inline constexpr const char* DEFAULT_ITEM_TYPE = "empty";

// One piece of equipment. Catalogue entry 0 is the empty item; a default item
// has id 0 too, so an untouched slot counts as holding entry 0.
class CItem {
 public:
  CItem() = default;
  CItem(const CItem&) = default;
  CItem& operator=(const CItem&) = default;
  virtual ~CItem() = default;

  std::string GetName() const { return m_strName; }
  std::string GetType() const { return m_strType; }
  void SetName(std::string name) { m_strName = std::move(name); }
  void SetType(std::string type) { m_strType = std::move(type); }

  // Makes this item an exact copy of `source`, all seven fields, id included.
  CItem& CopyFrom(const CItem& source) {
    m_strName = source.GetName();
    m_strType = source.GetType();
    m_nPotenza = source.m_nPotenza;
    m_nBonus = source.m_nBonus;
    m_nMod = source.m_nMod;
    m_nPrice = source.m_nPrice;
    m_nId = source.m_nId;
    return *this;
  }

  std::string m_strName = DEFAULT_ITEM_NAME;
  std::string m_strType = DEFAULT_ITEM_TYPE;
  int m_nPotenza = 0;
  int m_nBonus = 0;
  int m_nMod = 0;
  int m_nPrice = 0;
  int m_nId = 0;
};

class CRace {
 public:
  CRace() = default;
  CRace(const CRace&) = default;
  CRace& operator=(const CRace&) = default;
  virtual ~CRace() = default;

  std::string GetName() const { return m_strName; }

  CStatValue m_aReserved[MAX_CHARACTERISTICS];  // nothing reads or writes it
  CDice m_aDice[MAX_CHARACTERISTICS];           // entry c: dice of characteristic c
  std::string m_strName;
};

class CArchetype {
 public:
  CArchetype() = default;
  CArchetype(const CArchetype&) = default;
  CArchetype& operator=(const CArchetype&) = default;
  virtual ~CArchetype() = default;

  std::string GetName() const { return m_strName; }

  CSkillValue m_aReserved[MAX_SKILLS];  // nothing reads or writes it
  CDice m_aSkillDice[MAX_SKILLS];       // entry s: dice of skill s
  CDice m_diceMoney;
  std::string m_strName;
  int m_nHonour = 0;
};
