#include "platform/variant.h"

#include <gtest/gtest.h>

#include "platform/automation.h"

namespace zavin::platform {
namespace {

TEST(VariantTest, ArraysKeepElementKindAndBoundsAndCopyDeeply) {
  Variant a = MakePointArray(1, 2, 3);
  Variant b = a;
  b.array().items[0] = Variant(9.0);
  EXPECT_EQ(a.array().element, VarKind::Double);
  EXPECT_EQ(a.array().upper(), 2);
  EXPECT_DOUBLE_EQ(a.array().items[0].ToDouble(), 1.0);
  EXPECT_FALSE(a == b);
  Variant shorts(MakeArray(VarKind::Int16, {Variant(std::int16_t{1001})}));
  Variant variants(MakeArray(VarKind::Variant, {Variant(std::int16_t{1001})}));
  EXPECT_FALSE(shorts == variants);
}

TEST(VariantTest, ConversionsCoerceNumbersAndRejectOthers) {
  EXPECT_EQ(Variant("12").ToInt32(), 12);
  EXPECT_EQ(Variant(2.5).ToInt32(), 2);
  EXPECT_DOUBLE_EQ(Variant(std::int16_t{7}).ToDouble(), 7.0);
  EXPECT_EQ(Variant(0.1).ToText(), "0.1");
  EXPECT_THROW(Variant("abc").ToDouble(), HostError);
  EXPECT_THROW(Variant().text(), HostError);
  EXPECT_THROW(Variant(1e12).ToInt32(), HostError);
}

}  // namespace
}  // namespace zavin::platform
