// Plays a session script through the page's binding, natively, and writes
// what the binding answers: the same script played through the WebAssembly
// build must give the same bytes (web/tests/node).
//
//   tarvo-web-session SCRIPT
//
// One command a line; a value is the rest of the line after one blank:
//   rules bundled | rules FILE NAME   load rules (prints the result)
//   start SEED FIRST                  open the form
//   linkclear | linkset KIND VALUE | link SEED FIRST
//   act ACTION VALUE                  one user action
//   name TEXT                         the name field loses the focus
//   view | sheet | print | rulesjson  print that output
//   filename TEXT                     print the sheet's file name for TEXT
//   time begin | time end             the time between, on standard error
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

extern "C" {
char* tarvo_input(int slot, int size);
const char* tarvo_output();
int tarvo_output_size();
int tarvo_load_bundled_rules();
int tarvo_load_rules();
void tarvo_rules_json();
void tarvo_start(std::uint32_t seed, int firstArchetype);
void tarvo_link_clear();
void tarvo_link_set(int kind);
void tarvo_start_link(std::uint32_t seed, int firstArchetype);
int tarvo_act(int action, int value);
void tarvo_take_name();
void tarvo_view_json();
void tarvo_sheet();
void tarvo_print_json();
void tarvo_file_name();
}

namespace {

void Put(int slot, const std::string& bytes) {
  char* buffer = tarvo_input(slot, static_cast<int>(bytes.size()));
  if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
}

void Print(const std::string& what) {
  std::cout << "== " << what << '\n';
  std::cout.write(tarvo_output(), tarvo_output_size());
  std::cout << '\n';
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "uso: tarvo-web-session SCRIPT\n";
    return 2;
  }
  std::ifstream script(argv[1], std::ios::binary);
  if (!script) {
    std::cerr << "tarvo-web-session: impossibile leggere " << argv[1] << '\n';
    return 1;
  }
  std::chrono::steady_clock::time_point began;
  std::string line;
  while (std::getline(script, line)) {
    const size_t blank = line.find(' ');
    const std::string command = line.substr(0, blank);
    const std::string rest = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    std::istringstream args(rest);
    if (command == "rules") {
      int loaded = 0;
      if (rest == "bundled") {
        loaded = tarvo_load_bundled_rules();
      } else {
        std::string path, name;
        args >> path;
        std::getline(args >> std::ws, name);
        Put(0, ReadFile(path));
        Put(1, name);
        loaded = tarvo_load_rules();
      }
      Print(loaded ? "rules 1" : "rules 0");
    } else if (command == "start" || command == "link") {
      std::uint32_t seed = 0;
      int first = 0;
      args >> seed >> first;
      if (command == "start") {
        tarvo_start(seed, first);
      } else {
        tarvo_start_link(seed, first);
        Print("link");
      }
    } else if (command == "linkclear") {
      tarvo_link_clear();
    } else if (command == "linkset") {
      const size_t space = rest.find(' ');
      Put(0, space == std::string::npos ? std::string() : rest.substr(space + 1));
      tarvo_link_set(std::atoi(rest.c_str()));
    } else if (command == "act") {
      int action = 0, value = 0;
      args >> action >> value;
      tarvo_act(action, value);
    } else if (command == "name") {
      Put(0, rest);
      tarvo_take_name();
    } else if (command == "view") {
      tarvo_view_json();
      Print(command);
    } else if (command == "sheet") {
      tarvo_sheet();
      Print(command);
    } else if (command == "print") {
      tarvo_print_json();
      Print(command);
    } else if (command == "rulesjson") {
      tarvo_rules_json();
      Print(command);
    } else if (command == "filename") {
      Put(0, rest);
      tarvo_file_name();
      Print(command);
    } else if (command == "time") {
      if (rest == "begin") {
        began = std::chrono::steady_clock::now();
      } else {
        const std::chrono::duration<double, std::milli> spent =
            std::chrono::steady_clock::now() - began;
        std::cerr << "ms " << spent.count() << '\n';
      }
    } else if (!command.empty()) {
      std::cerr << "tarvo-web-session: comando sconosciuto: " << command << '\n';
      return 2;
    }
  }
  return 0;
}
