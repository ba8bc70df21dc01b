// The desktop form's list order of some names, for the tests that compare it
// with the page's: the names, one a line in UTF-8, come in on standard
// input; their indices in list order go out, one a line.
#include <QString>
#include <iostream>
#include <string>
#include <vector>

#include "ui/Controls.h"

int main() {
  std::vector<QString> names;
  std::string line;
  while (std::getline(std::cin, line)) names.push_back(QString::fromStdString(line));
  for (const int index : AlphabeticalOrder(names.data(), static_cast<int>(names.size())))
    std::cout << index << '\n';
  return std::cout.good() ? 0 : 1;
}
