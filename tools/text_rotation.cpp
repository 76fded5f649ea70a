#include "tools/text_rotation.h"

#include <numbers>

namespace zavin::tools {

namespace {
constexpr std::int32_t kAlignLeft = 0;
}  // namespace

geometry::TAcadPoint TextRotationBase(const host::Text& text) {
  return text.Alignment() == kAlignLeft ? text.InsertionPoint() : text.TextAlignmentPoint();
}

TextRotationResult RotatePickedText(const host::Document& document, double degrees) {
  const host::EntityPick pick = document.GetUtility().GetEntity(kTextRotationPrompt);
  if (pick.entity.EntityName() != host::kTextClass) return TextRotationResult::NotAText;
  const host::Text text(pick.entity);
  text.Rotate(TextRotationBase(text), degrees * std::numbers::pi / 180.0);
  return TextRotationResult::Rotated;
}

}  // namespace zavin::tools
