#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    // Tests see the process locale the user would have; those that need a
    // decimal-comma locale switch it themselves.
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
