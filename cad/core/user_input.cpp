#include "cad/core/user_input.h"

namespace zavin::cad {

UserAnswer ScriptedInput::Next(const std::string& prompt) {
  prompts_.push_back(prompt);
  if (answers_.empty()) return {UserAnswer::Kind::Cancel};
  UserAnswer a = answers_.front();
  answers_.pop_front();
  return a;
}

}  // namespace zavin::cad
