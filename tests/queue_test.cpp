#include "support/fakes.h"
TEST(Queue, EmptyAfterInit) { EXPECT_EQ(GetIOCmd(), 0); }
