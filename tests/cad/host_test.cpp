#include "cad/embedded_host.h"

#include <gtest/gtest.h>

#include "cad_fixture.h"

namespace zavin::cad::testing {
namespace {

using HostTest = CadTest;

TEST_F(HostTest, ModelSpaceAddsLinesThatTheDatabaseHolds) {
  auto line = Call(ModelSpace(), "addline", {Pt(0, 0), Pt(3, 4)}).object();
  const std::int64_t id = Get(line, "ObjectID").ToInt64();
  ASSERT_NE(db().Find(id), nullptr);
  EXPECT_EQ(Get(line, "EntityName").text(), "AcDbLine");
  EXPECT_EQ(Get(ModelSpace(), "Count").ToInt32(), 1);
}

}  // namespace
}  // namespace zavin::cad::testing
