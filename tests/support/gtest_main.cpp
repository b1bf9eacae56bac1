// Entry point of every test program. The install steps tell and ask through message boxes, as
// in the wizard, so that the tests see them where the seam records or answers the boxes.
#include <gtest/gtest.h>

#include "app/box_feedback.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    BoxFeedback boxes;
    ScopedFeedback feedback(boxes);
    return RUN_ALL_TESTS();
}
