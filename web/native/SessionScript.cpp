// Plays a session script through the page's binding, natively, and writes
// what the binding answers: the same script played through the WebAssembly
// build must give the same bytes (web/tests/node).
//
//   tarvo-web-session [--quiet] SCRIPT
//
// With --quiet the answers are left in the binding, not written: for timing
// the binding alone (web/bench).
//
// One command a line; a value is the rest of the line after one blank:
//   rules bundled | rules FILE NAME   load rules (prints the result)
//   open FILE NAME                    open a sheet (prints the result)
//   start SEED FIRST                  open the form
//   linkclear | linkset KIND VALUE | link SEED FIRST
//   act ACTION VALUE                  one user action
//   name TEXT                         the name field loses the focus
//   view | sheet | print | rulesjson  print that output
//   foundry                           print the Foundry VTT actor
//   filename TEXT                     print the sheet's file name for TEXT
//   time begin | time end             the time between, on standard error:
//                                     "ms WALL cpu CPU" in milliseconds
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
char* tarvo_input(int slot, int size);
const char* tarvo_output();
int tarvo_output_size();
int tarvo_load_bundled_rules();
int tarvo_load_rules(int acceptWarnings);
int tarvo_open_sheet();
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
void tarvo_foundry_json();
void tarvo_file_name();
}

namespace {

bool g_quiet = false;

void Put(int slot, const std::string& bytes) {
  char* buffer = tarvo_input(slot, static_cast<int>(bytes.size()));
  if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
}

void Print(const std::string& what) {
  if (g_quiet) return;
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

// One line of the script, read before anything is played.
struct CCommand {
  std::string command;
  std::string rest;  // the line after the command and one blank
  long long a = 0;   // the first two numbers of `rest`, where it has them
  long long b = 0;
};

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  if (argc == 3 && std::strcmp(argv[1], "--quiet") == 0) {
    g_quiet = true;
    first = 2;
  }
  if (argc != first + 1) {
    std::cerr << "uso: tarvo-web-session [--quiet] SCRIPT\n";
    return 2;
  }
  std::ifstream script(argv[first], std::ios::binary);
  if (!script) {
    std::cerr << "tarvo-web-session: impossibile leggere " << argv[first] << '\n';
    return 1;
  }
  std::vector<CCommand> commands;
  std::string line;
  while (std::getline(script, line)) {
    CCommand command;
    const size_t blank = line.find(' ');
    command.command = line.substr(0, blank);
    command.rest = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    std::istringstream(command.rest) >> command.a >> command.b;
    commands.push_back(std::move(command));
  }

  std::chrono::steady_clock::time_point began;
  std::clock_t beganCpu = 0;
  for (const CCommand& next : commands) {
    const std::string& command = next.command;
    const std::string& rest = next.rest;
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
        loaded = tarvo_load_rules(1);
      }
      Print(loaded ? "rules 1" : "rules 0");
    } else if (command == "open") {
      std::string path, name;
      args >> path;
      std::getline(args >> std::ws, name);
      Put(0, ReadFile(path));
      Put(1, name);
      Print(tarvo_open_sheet() ? "open 1" : "open 0");
    } else if (command == "start" || command == "link") {
      const auto seed = static_cast<std::uint32_t>(next.a);
      const int firstArchetype = static_cast<int>(next.b);
      if (command == "start") {
        tarvo_start(seed, firstArchetype);
      } else {
        tarvo_start_link(seed, firstArchetype);
        Print("link");
      }
    } else if (command == "linkclear") {
      tarvo_link_clear();
    } else if (command == "linkset") {
      const size_t space = rest.find(' ');
      Put(0, space == std::string::npos ? std::string() : rest.substr(space + 1));
      tarvo_link_set(static_cast<int>(next.a));
    } else if (command == "act") {
      tarvo_act(static_cast<int>(next.a), static_cast<int>(next.b));
    } else if (command == "name") {
      Put(0, rest);
      tarvo_take_name();
    } else if (command == "view") {
      tarvo_view_json();
      Print(command);
    } else if (command == "sheet") {
      tarvo_sheet();
      Print(command);
    } else if (command == "foundry") {
      tarvo_foundry_json();
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
        beganCpu = std::clock();
      } else {
        const std::chrono::duration<double, std::milli> spent =
            std::chrono::steady_clock::now() - began;
        const double cpu = 1000.0 * static_cast<double>(std::clock() - beganCpu) / CLOCKS_PER_SEC;
        std::cerr << "ms " << spent.count() << " cpu " << cpu << '\n';
      }
    } else if (!command.empty()) {
      std::cerr << "tarvo-web-session: comando sconosciuto: " << command << '\n';
      return 2;
    }
  }
  return 0;
}
