// Items made up for tests, outside any catalogue.
#pragma once

#include <string>

#include "rules/Records.h"

inline CItem MakeItem(const std::string& name, const std::string& type, int potenza, int bonus,
                      int mod, int price = 0, int id = 0) {
  CItem item;
  item.SetName(name);
  item.SetType(type);
  item.m_nPotenza = potenza;
  item.m_nBonus = bonus;
  item.m_nMod = mod;
  item.m_nPrice = price;
  item.m_nId = id;
  return item;
}
