#include "cad/command_line.h"

#include "platform/automation.h"

namespace zavin::cad {

namespace {

// Reads one (...) expression starting at text[i] == '('; appends the
// arguments of a (command ...) call and returns the index after ')'.
std::size_t ReadExpression(std::string_view text, std::size_t i, std::vector<std::string>& out) {
  std::vector<std::string> atoms;
  std::size_t j = i + 1;
  while (j < text.size() && text[j] != ')') {
    const char c = text[j];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++j;
    } else if (c == '"') {
      std::string s;
      ++j;
      while (j < text.size() && text[j] != '"') {
        if (text[j] == '\\' && j + 1 < text.size()) ++j;
        s += text[j++];
      }
      if (j < text.size()) ++j;
      atoms.push_back(std::move(s));
    } else if (c == '(') {
      std::vector<std::string> ignored;
      j = ReadExpression(text, j, ignored);
    } else {
      std::string s;
      while (j < text.size() && text[j] != ' ' && text[j] != ')' && text[j] != '\r' &&
             text[j] != '\n' && text[j] != '\t' && text[j] != '(' && text[j] != '"')
        s += text[j++];
      atoms.push_back(std::move(s));
    }
  }
  if (!atoms.empty() && platform::UpperAscii(atoms[0]) == "COMMAND")
    out.insert(out.end(), atoms.begin() + 1, atoms.end());
  return j < text.size() ? j + 1 : j;
}

}  // namespace

std::vector<std::string> CommandInputs(std::string_view text) {
  std::vector<std::string> out;
  std::string current;
  bool open = false;  // characters seen since the last input ended
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '(' && !open) {
      i = ReadExpression(text, i, out);
      // The Enter that submits an expression is not an input of its own.
      if (i < text.size() && (text[i] == '\r' || text[i] == '\n')) ++i;
      continue;
    }
    if (c == ' ' || c == '\r' || c == '\n') {
      out.push_back(std::move(current));
      current.clear();
      open = false;
    } else {
      current += c;
      open = true;
    }
    ++i;
  }
  if (open) out.push_back(std::move(current));
  return out;
}

std::string CommandKey(std::string_view name) {
  std::size_t i = 0;
  while (i < name.size() && (name[i] == '_' || name[i] == '-' || name[i] == '.')) ++i;
  return platform::UpperAscii(name.substr(i));
}

}  // namespace zavin::cad
